// Feeds arbitrary bytes to the configuration readers, as both resources at once, and walks the
// layout over a plug-in of every parameter. The first byte chooses the form: odd takes the rest
// as resource bytes (deciphered to noise), even enciphers the rest first, so that XML-shaped
// inputs reach the readers as text; one document may hold a "sysexlist" and a "uiconfig". The
// first byte also picks the colour scheme, the size and whether the plug-in gives a librarian
// view.
#include "fileencrypt/ConfigCipher.h"
#include "kit/effect/IPanelControl.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigManager.h"
#include "tests/support/TestEffect.h"
#include "tests/uiconfig/FakeConfigGraphics.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string resource = (data[0] & 1) ? rest : ConfigCipher::encipher(rest);

    static testsupport::TestEffect effect(kNumParams, kNumNonAutomatedParams);
    static FakeConfigPlugin plugin(false);
    plugin.effectBase = &effect;
    plugin.makeLibrarianView = nullptr;
    if (data[0] & 2)
        plugin.makeLibrarianView = [](int, int, int, const IBitmap&, IRECT rect,
                                      double) -> IControl* {
            return new IPanelControl(&effect, rect, &COLOR_RED);
        };
    FakeConfigGraphics graphics;
    for (const char* name : {UIConfigManager::kSysExResource, UIConfigManager::kUIConfigResource})
        graphics.files[name] = std::vector<char>(resource.begin(), resource.end());

    const double scales[] = {0.85, 1.0, 1.15};
    UIConfigManager manager;
    manager.readUIConfig(&graphics, &plugin, nullptr, data[0] % 7, scales[(data[0] >> 2) % 3]);
    for (size_t i = 0; i <= manager.getSysExContainers().size(); ++i)
        manager.getSysExValueListByID(int(i));
    manager.getValueList("tempoValues");
    manager.getLayer("main");
    manager.ClearImageCache();
    return 0;
}
