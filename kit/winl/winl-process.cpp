#include "kit/winl/winl-misc.h"

#include "platform/wsys/Application.h"

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

void WINL_MakeProcessFront(HANDLE process) {
    auto* header = static_cast<WINL_HandleHeader*>(process);
    if (!header || header->type != WINL_HANDLE_PROCESS) return;
    wsys::Task* task = static_cast<WINL_ProcessHandle*>(header)->task;
    // A process that is not running yet is waited for, about a second at most.
    for (int retries = 0; !task->IsRunning(); ++retries) {
        if (retries == 19) return;
        Sleep(50);
    }
    // The child's windows live outside this application's model: what the model shows of
    // the child coming to the front is this application giving up being the active one.
    wsys::App().Deactivate();
}
