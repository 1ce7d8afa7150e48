// Feeds arbitrary bytes to the configuration readers, as both resources at once. The first
// byte chooses the form: odd takes the rest as resource bytes (deciphered to noise), even
// enciphers the rest first, so that XML-shaped inputs reach the readers as text.
#include "fileencrypt/ConfigCipher.h"
#include "src/uiconfig/UIConfigManager.h"
#include "tests/uiconfig/FakeConfigGraphics.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string resource = (data[0] & 1) ? rest : ConfigCipher::encipher(rest);

    static FakeConfigPlugin plugin(false);
    FakeConfigGraphics graphics;
    for (const char* name : {UIConfigManager::kSysExResource, UIConfigManager::kUIConfigResource})
        graphics.files[name] = std::vector<char>(resource.begin(), resource.end());

    UIConfigManager manager;
    manager.readUIConfig(&graphics, &plugin, nullptr, data[0] % 7, 1.0);
    for (size_t i = 0; i <= manager.getSysExContainers().size(); ++i)
        manager.getSysExValueListByID(int(i));
    manager.getValueList("tempoValues");
    manager.ClearImageCache();
    return 0;
}
