#pragma once

#include "platform/Image.h"
#include "platform/wsys/Geometry.h"
#include "platform/wsys/Object.h"

#include <string>
#include <vector>

namespace platform::wsys {

class Pasteboard;
class View;
class Window;

// Drag operations, by AppKit's numbers.
enum DragOperation : unsigned { kDragOperationNone = 0, kDragOperationCopy = 1, kDragOperationGeneric = 4 };

// What a drag source answers besides what its pasteboard holds.
class DraggingSource {
public:
    // Writes the promised files into the folder; the names of the files written.
    virtual std::vector<std::string> NamesOfPromisedFilesDroppedAtDestination(const std::string& folder) = 0;

protected:
    ~DraggingSource() = default;
};

// The drag as a destination sees it.
class DraggingInfo {
public:
    Pasteboard* DraggingPasteboard() const { return m_pasteboard; }
    // The pointer in the base coordinates of the destination's window.
    Point DraggingLocation() const { return m_location; }
    Window* DraggingDestinationWindow() const { return m_window; }
    // The source when it is an object of this application.
    Object* DraggingSourceObject() const { return m_source; }
    // Asks the source to write its promised files into the folder; the names written.
    std::vector<std::string> NamesOfPromisedFilesDroppedAtDestination(const std::string& folder) const;

private:
    friend class DragSession;
    Pasteboard* m_pasteboard = nullptr;
    Point m_location;
    Window* m_window = nullptr;
    Object* m_source = nullptr;
};

// Views that take drops: the deepest view under the pointer that is registered for a type the
// drag pasteboard holds is the destination.
class DraggingDestination {
public:
    // The types the view takes now; none: not a destination.
    virtual std::vector<std::string> RegisteredDraggedTypes() = 0;
    // The operation the view would do.
    virtual unsigned DraggingEntered(DraggingInfo& info) = 0;
    virtual unsigned DraggingUpdated(DraggingInfo& info) = 0;
    virtual void DraggingExited(DraggingInfo& info) = 0;
    // The drop, when the last answer was an operation: whether it was taken.
    virtual bool PerformDragOperation(DraggingInfo& info) = 0;

protected:
    ~DraggingDestination() = default;
};

// What the last drag showed and how it ended.
struct DragRecord {
    std::vector<std::string> types; // of the drag pasteboard
    Image image{0, 0};              // the dragged image (none for promised files)
    Point imageAt;                  // the image's bottom-left corner, source view coordinates
    Object* source = nullptr;       // compared, never followed
    unsigned operation = kDragOperationNone;
};

// Runs a drag from the view until the left button is released, the drag pasteboard holding
// what is dragged: the moves and the release that come (queued, or the live state once nothing
// is queued) take it over destinations, which are entered, updated and exited, and the one
// under the release performs the drop. Released over no destination and outside every window
// with the file manager's folder set, a drag of promised files has the source write them
// there. The operation done, kDragOperationNone when nothing took the drop.
unsigned RunDrag(View* sourceView, Object* source, const Image& image, Point imageAt);

// The folder a release outside every window drops on; "" (the default): none.
void SetFileManagerFolder(const std::string& folder);
const DragRecord& LastDrag();

} // namespace platform::wsys
