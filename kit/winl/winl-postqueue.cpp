#include "kit/winl/winl-misc-private.h"
#include "kit/winl/winl-wnd.h"

#include "kit/base/KIT_Mutex.h"
#include "platform/wsys/Application.h"

#include <atomic>
#include <pthread.h>
#include <vector>

namespace wsys = platform::wsys;

namespace {

constexpr unsigned int kKillRequest = 0xFFFFFFFF;
constexpr int kQueueLimit = 1024;

// A posted message, or a timer request (message = interval, 0xFFFFFFFF kills; wParam = id;
// lParam = callback).
struct PostRecord {
    HWND target;
    unsigned int message;
    WPARAM wParam;
    LPARAM lParam;
    PostRecord* next;
    bool timerRequest;
    bool dropped; // cleared away while a flush holds it
};

KIT_Mutex m_pmq_mutex;
PostRecord* m_pmq = nullptr;
PostRecord* m_pmq_tail = nullptr;
int m_pmq_size = 0;                // queued records and those a flush is handling
PostRecord* m_pmq_empty = nullptr; // records are reused, never freed
// The lists that running flushes took off the queue (flushes nest through modal loops).
std::vector<PostRecord*> s_flushing;

std::atomic<bool> s_mainThreadKnown{false};
pthread_t m_pmq_mainthread;
wsys::Ref<wsys::Timer> s_tick;

// Under the lock: a record from the free list or a new one, appended at the tail.
PostRecord* append(const PostRecord& content) {
    PostRecord* r = m_pmq_empty;
    if (r)
        m_pmq_empty = r->next;
    else
        r = new PostRecord;
    *r = content;
    r->next = nullptr;
    if (m_pmq_tail)
        m_pmq_tail->next = r;
    else
        m_pmq = r;
    m_pmq_tail = r;
    ++m_pmq_size;
    return r;
}

WinlPostMessageDelegate* postDelegate() {
    return dynamic_cast<WinlPostMessageDelegate*>(wsys::App().Delegate());
}

} // namespace

bool WINL_Internal_OffMainThread() {
    return s_mainThreadKnown.load() && !pthread_equal(pthread_self(), m_pmq_mainthread);
}

void WINL_Internal_QueueTimerRequest(HWND hwnd, unsigned int id, unsigned int ms,
                                     TIMERPROC callback) {
    const LPARAM cb = reinterpret_cast<LPARAM>(callback);
    KIT_MutexLock lock(&m_pmq_mutex);
    for (PostRecord* r = m_pmq; r; r = r->next) {
        if (r->timerRequest && r->target == hwnd && r->wParam == id) {
            r->message = ms;
            r->lParam = cb;
            return;
        }
    }
    append(PostRecord{hwnd, ms, id, cb, nullptr, true, false});
}

void WINL_Internal_PostMessage_Init() {
    WinlPostMessageDelegate* d = postDelegate();
    if (!d || (s_tick && s_tick->IsValid())) return;
    m_pmq_mainthread = pthread_self();
    s_mainThreadKnown = true;
    wsys::Ref<wsys::Object> keep = wsys::App().Delegate();
    s_tick = wsys::Make<wsys::Timer>(0.05, true,
                                     [keep, d](wsys::Timer& t) { d->winlPostMessageTick(t); });
    wsys::RunLoop::Main().AddTimer(s_tick.get(), wsys::kRunLoopCommonModes);
}

int PostMessage(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam) {
    WinlPostMessageDelegate* d = postDelegate();
    return d && d->winlPostMessage(hwnd, msg, wParam, lParam) ? 1 : 0;
}

int WINL_Internal_PostMessage(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam) {
    if (!hwnd || !s_mainThreadKnown.load()) return 0;
    auto* target = dynamic_cast<WinlPostTarget*>(hwnd);
    if (!target || !target->winlCanPostMessage()) return 0;
    KIT_MutexLock lock(&m_pmq_mutex);
    if (!m_pmq_empty && m_pmq_size >= kQueueLimit) return 0;
    append(PostRecord{hwnd, msg, wParam, lParam, nullptr, false, false});
    return 1;
}

void WINL_MessageQueue_Flush() {
    PostRecord* list;
    {
        KIT_MutexLock lock(&m_pmq_mutex);
        list = m_pmq;
        m_pmq = m_pmq_tail = nullptr;
        s_flushing.push_back(list);
    }
    // Handlers run without the lock, so they may post again; each record is read under it, as
    // a handler may clear a window's records meanwhile.
    int handled = 0;
    PostRecord* last = nullptr;
    for (PostRecord* r = list; r;) {
        PostRecord item;
        {
            KIT_MutexLock lock(&m_pmq_mutex);
            item = *r;
        }
        ++handled;
        last = r;
        r = item.next;
        if (item.dropped) continue;
        if (!item.timerRequest)
            SendMessage(item.target, item.message, item.wParam, item.lParam);
        else if (item.message != kKillRequest)
            SetTimer(item.target, unsigned(item.wParam), item.message,
                     reinterpret_cast<TIMERPROC>(item.lParam));
        else
            KillTimer(item.target, unsigned(item.wParam));
    }
    KIT_MutexLock lock(&m_pmq_mutex);
    for (auto it = s_flushing.begin(); it != s_flushing.end(); ++it) {
        if (*it == list) {
            s_flushing.erase(it);
            break;
        }
    }
    m_pmq_size -= handled;
    if (last) {
        last->next = m_pmq_empty;
        m_pmq_empty = list;
    }
}

void WINL_MessageQueue_Clear(HWND hwnd) {
    if (WinlPostMessageDelegate* d = postDelegate()) d->winlPostMessageClearQ(hwnd);
}

void WINL_Internal_PMQ_ClearAllMessages(HWND hwnd) {
    KIT_MutexLock lock(&m_pmq_mutex);
    PostRecord** link = &m_pmq;
    m_pmq_tail = nullptr;
    while (PostRecord* r = *link) {
        if (!hwnd || r->target == hwnd) {
            *link = r->next;
            r->next = m_pmq_empty;
            m_pmq_empty = r;
            --m_pmq_size;
        } else {
            m_pmq_tail = r;
            link = &r->next;
        }
    }
    for (PostRecord* list : s_flushing)
        for (PostRecord* r = list; r; r = r->next)
            if (!hwnd || r->target == hwnd) r->dropped = true;
}

bool WinlAppDelegate::winlPostMessage(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam) {
    return WINL_Internal_PostMessage(hwnd, msg, wParam, lParam) != 0;
}

void WinlAppDelegate::winlPostMessageTick(wsys::Timer&) {
    WINL_MessageQueue_Flush();
}

void WinlAppDelegate::winlPostMessageClearQ(HWND hwnd) {
    WINL_Internal_PMQ_ClearAllMessages(hwnd);
}
