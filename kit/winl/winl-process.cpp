#include "kit/winl/winl-misc.h"

#include <string>
#include <vector>

namespace wsys = platform::wsys;

HANDLE WINL_CreateProcess(const char* exe, int argc, const char** argv) {
    // Through the platform's strings, as every text handed to the platform goes.
    auto platformText = [](const char* s) {
        wsys::Ref<wsys::String> str = wsys::Ref<wsys::String>::Adopt(WINL_CStringToCFString(s));
        return str->ToUtf8Lossy();
    };
    std::vector<std::string> arguments;
    for (int i = 0; i < argc && argv; ++i)
        arguments.push_back(platformText(argv[i]));
    wsys::Ref<wsys::Task> task = wsys::Make<wsys::Task>(platformText(exe), std::move(arguments));
    if (!task->Launch()) return nullptr;
    return static_cast<WINL_HandleHeader*>(new WINL_ProcessHandle(task.Detach()));
}

int WINL_WaitForNSTask(wsys::Task* task, unsigned int ms) {
    if (!task) return WAIT_FAILED;
    if (ms == 0) return task->IsRunning() ? WAIT_TIMEOUT : WAIT_OBJECT_0;
    const unsigned int start = GetTickCount();
    while (task->IsRunning()) {
        // The unsigned difference stays right across the 2^32 wrap of the tick count.
        if (ms != INFINITE && GetTickCount() - start >= ms)
            return task->IsRunning() ? WAIT_TIMEOUT : WAIT_OBJECT_0;
        Sleep(1);
    }
    return WAIT_OBJECT_0;
}

void WINL_ReleaseNSTask(wsys::Task* task) {
    if (task) task->Release();
}

void WINL_MakeProcessFront(HANDLE) {}
