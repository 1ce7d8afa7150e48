// A loadable library for the library-loading tests. Its entry points append "<entry> <reason>"
// lines to the file named by WINL_TESTLIB_LOG (the library's own memory goes when it unloads)
// and refuse an attach when WINL_TESTLIB_REFUSE names them ("winl" or "dll").
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
int entry(const char* who, int reason) {
    if (const char* log = getenv("WINL_TESTLIB_LOG")) {
        if (FILE* f = fopen(log, "a")) {
            fprintf(f, "%s %d\n", who, reason);
            fclose(f);
        }
    }
    const char* refuse = getenv("WINL_TESTLIB_REFUSE");
    return reason == 1 && refuse && strcmp(refuse, who) == 0 ? 0 : 1;
}
} // namespace

extern "C" {
__attribute__((visibility("default"))) int WINL_dllMain(void*, int reason, void*) {
    return entry("winl", reason);
}
__attribute__((visibility("default"))) int DllMain(void*, int reason, void*) {
    return entry("dll", reason);
}
__attribute__((visibility("default"))) int winlTestAnswer() {
    return 42;
}
}
