#include "platform/wsys/Dragging.h"

#include "platform/Clock.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/Pasteboard.h"
#include "platform/wsys/View.h"
#include "platform/wsys/Window.h"

#include <algorithm>

namespace platform::wsys {

namespace {

std::string g_fileManagerFolder;
DragRecord g_last;
// How long a drag waits for the next event before it reads the live button state.
constexpr int64_t kSliceNanos = 5'000'000;

bool takes(DraggingDestination* d, const std::vector<std::string>& offered) {
    for (const std::string& t : d->RegisteredDraggedTypes())
        if (std::find(offered.begin(), offered.end(), t) != offered.end()) return true;
    return false;
}

} // namespace

std::vector<std::string>
DraggingInfo::NamesOfPromisedFilesDroppedAtDestination(const std::string& folder) const {
    auto* source = dynamic_cast<DraggingSource*>(m_source);
    return source ? source->NamesOfPromisedFilesDroppedAtDestination(folder) : std::vector<std::string>{};
}

class DragSession {
public:
    explicit DragSession(Object* source) {
        m_info.m_pasteboard = Pasteboard::Drag();
        m_info.m_source = source;
        m_types = m_info.m_pasteboard->Types();
    }
    unsigned Run();

private:
    // The destination under a screen point, with the info pointed at it.
    DraggingDestination* destinationAt(Point screen, Window** window);
    void moveTo(DraggingDestination* d);

    DraggingInfo m_info;
    std::vector<std::string> m_types;
    Ref<View> m_current; // the destination view entered
    unsigned m_operation = kDragOperationNone;
};

DraggingDestination* DragSession::destinationAt(Point screen, Window** window) {
    *window = App().WindowAtPoint(screen);
    if (!*window || !(*window)->ContentView()) return nullptr;
    const Point base = (*window)->ConvertScreenToBase(screen);
    m_info.m_window = *window;
    m_info.m_location = base;
    for (View* v = (*window)->ContentView()->HitTest(base); v; v = v->Superview()) {
        auto* d = dynamic_cast<DraggingDestination*>(v);
        if (d && takes(d, m_types)) return d;
    }
    return nullptr;
}

void DragSession::moveTo(DraggingDestination* d) {
    auto* current = dynamic_cast<DraggingDestination*>(m_current.get());
    if (d == current) {
        if (d) m_operation = d->DraggingUpdated(m_info);
        return;
    }
    if (current) current->DraggingExited(m_info);
    m_current = dynamic_cast<View*>(d);
    m_operation = d ? d->DraggingEntered(m_info) : kDragOperationNone;
}

unsigned DragSession::Run() {
    Application& app = App();
    for (;;) {
        const Ref<Event> e = app.NextEvent(kAnyEventMask, NowNanos() + kSliceNanos,
                                           kEventTrackingRunLoopMode);
        if (app.IsTerminated()) break;
        Point screen = app.MouseLocation();
        bool released = !e && !(app.PressedMouseButtons() & 1);
        if (e) {
            if (!IsPointerEvent(e->type)) continue;
            Window* in = e->window ? e->window.get() : app.WindowWithNumber(e->windowNumber);
            screen = in ? in->ConvertBaseToScreen(e->locationInWindow) : e->locationInWindow;
            released = IsMouseUp(e->type);
        } else if (!released) {
            continue;
        }
        Window* window = nullptr;
        DraggingDestination* d = destinationAt(screen, &window);
        moveTo(d);
        if (!released) continue;
        if (d) {
            if (m_operation != kDragOperationNone && d->PerformDragOperation(m_info)) return m_operation;
            d->DraggingExited(m_info);
            return kDragOperationNone;
        }
        const bool promised = std::find(m_types.begin(), m_types.end(), kFilesPromisePboardType) != m_types.end();
        if (!window && promised && !g_fileManagerFolder.empty() &&
            !m_info.NamesOfPromisedFilesDroppedAtDestination(g_fileManagerFolder).empty())
            return kDragOperationCopy;
        return kDragOperationNone;
    }
    if (auto* current = dynamic_cast<DraggingDestination*>(m_current.get())) current->DraggingExited(m_info);
    return kDragOperationNone;
}

unsigned RunDrag(View* sourceView, Object* source, const Image& image, Point imageAt) {
    g_last = DragRecord{Pasteboard::Drag()->Types(), image, imageAt, source, kDragOperationNone};
    Ref<View> keep(sourceView);
    Ref<Object> keepSource(source);
    DragSession session(source);
    g_last.operation = session.Run();
    return g_last.operation;
}

void SetFileManagerFolder(const std::string& folder) {
    g_fileManagerFolder = folder;
}

const DragRecord& LastDrag() {
    return g_last;
}

} // namespace platform::wsys
