// Random bytes as host chunks, preset lists, parameter blocks and program and bank files: every
// reader must fail cleanly, and whatever it did apply must leave each value inside its range.
#include "kit/effect/IEffectBase.h"

#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using testsupport::TestEffect;
using testsupport::TestGraphics;

namespace {

void checkValues(const IEffectBase& plug) {
    for (int i = 0; i < plug.NParams(); ++i) {
        const IParam* p = plug.GetParam(i);
        if (!(p->Value() >= p->GetMin() && p->Value() <= p->GetMax())) abort();
    }
}

const std::string& scratchFile() {
    static const std::string path = [] {
        char name[] = "/tmp/zoz_fuzz_state_XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0) close(fd);
        return std::string(name);
    }();
    return path;
}

void loadAsFile(bool doesChunks, const uint8_t* data, size_t size, bool bank) {
    TestEffect plug(9, 4, 3, doesChunks);
    plug.InitMixedParams();
    auto* gui = new TestGraphics(&plug);
    plug.AttachGraphics(gui);
    gui->answer = scratchFile();
    FILE* f = fopen(gui->answer.c_str(), "wb");
    if (!f) return;
    if (size) fwrite(data, 1, size, f);
    fclose(f);
    if (bank)
        plug.LoadBankFromFXB();
    else
        plug.LoadProgramFromFXP();
    checkValues(plug);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteChunk chunk;
    chunk.PutBytes(data, int(size));

    TestEffect plug(9, 4, 3);
    plug.InitMixedParams();
    plug.UnserializeHostChunk(&chunk, true);
    checkValues(plug);
    plug.UnserializeHostChunk(&chunk, false);
    checkValues(plug);
    plug.UnserializePresets(&chunk, 0);
    plug.UnserializeParams(&chunk, size > 0 ? data[0] % 16 : 0);
    plug.UnserializeNonAutomatedParams(&chunk, 0, 9);
    checkValues(plug);
    for (int i = 0; i < plug.NPresets(); ++i)
        plug.RestorePreset(i);
    checkValues(plug);

    // Program and bank files take the same bytes, once with a matching header put in front so
    // that the readers get past their first checks.
    loadAsFile(true, data, size, false);
    loadAsFile(false, data, size, true);
    static const uint8_t fxp[] = {'C', 'c', 'n', 'K', 0,   0,   0, 0, 'F',  'P',  'C', 'h', 0, 0,
                                  0,   1,   'v', 'h', '3', 's', 0, 0, 0x27, 0x17, 0,   0,   0, 5};
    static const uint8_t fxbParams[] = {'C', 'c', 'n',  'K',  0, 0, 0,   0,   'F', 'x',
                                        'B', 'k', 0,    0,    0, 2, 'v', 'h', '3', 's',
                                        0,   0,   0x27, 0x17, 0, 0, 0,   3};
    std::string withHeader(reinterpret_cast<const char*>(fxp), sizeof(fxp));
    withHeader.append(reinterpret_cast<const char*>(data), size);
    loadAsFile(true, reinterpret_cast<const uint8_t*>(withHeader.data()), withHeader.size(), false);
    std::string withBank(reinterpret_cast<const char*>(fxbParams), sizeof(fxbParams));
    withBank.append(reinterpret_cast<const char*>(data), size);
    loadAsFile(false, reinterpret_cast<const uint8_t*>(withBank.data()), withBank.size(), true);
    return 0;
}
