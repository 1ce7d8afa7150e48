#include "platform/wsys/GLContext.h"

#include <atomic>

namespace platform::wsys {

namespace {
std::atomic<int> g_live{0};
thread_local Ref<GLContext> t_current;
} // namespace

GLContext::GLContext(std::vector<int> pixelFormat) : m_pixelFormat(std::move(pixelFormat)) {
    ++g_live;
}

GLContext::~GLContext() {
    --g_live;
}

void GLContext::MakeCurrentContext() {
    t_current = this;
}

GLContext* GLContext::CurrentContext() {
    return t_current.get();
}

void GLContext::ClearCurrentContext() {
    t_current = nullptr;
}

int GLContext::LiveCount() {
    return g_live;
}

} // namespace platform::wsys
