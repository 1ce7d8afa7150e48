#include "kit/winl/winl-hostviews.h"

#include "kit/winl/winl-gdi-shapes.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/Alert.h"
#include "platform/wsys/Pasteboard.h"
#include "platform/wsys/Window.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace wsys = platform::wsys;

void (*WINL_DDrop_onDragEnter)(HGLOBAL block, int x, int y) = nullptr;
void (*WINL_DDrop_onDragOver)(int x, int y) = nullptr;
void (*WINL_DDrop_onDragLeave)() = nullptr;
const char* (*WINL_DDrop_getDroppedFileTargetPath)(const char* firstPromisedType) = nullptr;

namespace {

// The pending promised-file drag.
char* s_dragdropsrcfn = nullptr;
WINL_DragDropWriter s_dragdropsrccallback = nullptr;

constexpr size_t kMaxPath = 4096;
constexpr size_t kMaxTargetFolder = 256;
constexpr int kMaxCopyNumber = 999;
constexpr int kDropHeader = 16;
constexpr int kDropDisabledRepaint = 1;
constexpr const char* kDisableRepaintProp = "WINL_DisableWindowRepre";

// Taken when anything is there, a dangling or planted link included.
bool nameTaken(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::string lastComponent(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "Keep Both Files": the name with a free number of three digits or more before its
// extension; a number the name ends in (after ' ', '_' or '-') counts on. "" when 999 is used.
std::string freeNumberedName(const std::string& target) {
    const size_t nameAt = target.rfind('/') + 1;
    size_t dot = target.rfind('.');
    if (dot == std::string::npos || dot < nameAt) dot = target.size();
    std::string base = target.substr(0, dot);
    const std::string extension = target.substr(dot);
    size_t digits = 0;
    while (digits < base.size() - nameAt && isdigit(static_cast<unsigned char>(base[base.size() - 1 - digits])))
        ++digits;
    int n = 0;
    const size_t nameLength = base.size() - nameAt;
    if (digits >= 1 && digits <= 3 && nameLength > digits + 1 &&
        strchr(" _-", base[base.size() - 1 - digits])) {
        n = atoi(base.c_str() + base.size() - digits);
        base.resize(base.size() - digits);
    } else {
        base += ' ';
    }
    for (int i = n + 1; i <= kMaxCopyNumber; ++i) {
        char number[16];
        snprintf(number, sizeof number, "%03d", i);
        const std::string candidate = base + number + extension;
        if (!nameTaken(candidate)) return candidate;
    }
    return "";
}

// A new folder only this user can reach, for promised files no hook placed.
std::string privateDropFolder() {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/winl-drop-XXXXXX";
    return mkdtemp(pattern.data()) ? pattern : "";
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The drop block: header, then each name (cut to the path limit) with its zero, then a zero.
HGLOBAL dropBlock(const std::vector<std::string>& names, POINT at) {
    size_t size = kDropHeader + 1;
    for (const std::string& n : names)
        size += std::min(n.size(), kMaxPath - 1) + 1;
    if (size > size_t(INT32_MAX)) return nullptr;
    HGLOBAL block = GlobalAlloc(0, int(size));
    if (!block) return nullptr;
    auto* p = static_cast<char*>(GlobalLock(block));
    const int32_t header[4] = {kDropHeader, at.x, at.y, 0};
    memcpy(p, header, sizeof header);
    char* at_ = p + kDropHeader;
    for (const std::string& n : names) {
        const size_t len = std::min(n.size(), kMaxPath - 1);
        memcpy(at_, n.data(), len);
        at_[len] = 0;
        at_ += len + 1;
    }
    *at_ = 0;
    GlobalUnlock(block);
    return block;
}

POINT screenPoint(const wsys::DraggingInfo& info) {
    wsys::Point p = info.DraggingLocation();
    if (wsys::Window* w = info.DraggingDestinationWindow()) p = w->ConvertBaseToScreen(p);
    return POINT{int(std::lround(p.x)), int(std::lround(p.y))};
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Source

void WINL_FinishDragDrop() {
    free(s_dragdropsrcfn);
    s_dragdropsrcfn = nullptr;
    s_dragdropsrccallback = nullptr;
}

void WINL_InitiateDragDrop(HWND hwnd, const RECT* rect, const char* name,
                           WINL_DragDropWriter writer) {
    WINL_FinishDragDrop();
    auto* view = dynamic_cast<Winl_vZoz_hwnd*>(hwnd);
    if (!view || !name) return;
    s_dragdropsrcfn = strdup(name);
    s_dragdropsrccallback = writer;
    const char* dot = strrchr(name, '.');
    wsys::Pasteboard* board = wsys::Pasteboard::Drag();
    board->DeclareTypes({wsys::kFilesPromisePboardType}, view);
    board->SetStringList({dot ? dot + 1 : name}, wsys::kFilesPromisePboardType);
    const wsys::Point from = rect ? wsys::Point{double(rect->left), double(rect->top)} : wsys::Point{};
    wsys::RunDrag(view, view, platform::Image(0, 0), from);
}

void WINL_InitiateDragDropOfFileList(HWND hwnd, const RECT* rect, const char** paths, int count,
                                     HGDIOBJ icon) {
    WINL_FinishDragDrop();
    auto* view = dynamic_cast<Winl_vZoz_hwnd*>(hwnd);
    if (!view || !paths) return;
    std::vector<std::string> list;
    for (int i = 0; i < count; ++i)
        if (paths[i]) list.push_back(paths[i]);
    wsys::Pasteboard* board = wsys::Pasteboard::Drag();
    board->DeclareTypes({wsys::kFilenamesPboardType}, view);
    board->SetStringList(list, wsys::kFilenamesPboardType);
    // The icon's picture upside down, as the platform's flipped image; else a plain document
    // picture stands for the workspace's icon of the files.
    platform::Image image(32, 32);
    if (const platform::Image* picture = GetNSImageFromHICON(icon)) {
        image = platform::Image(picture->width, picture->height);
        for (int y = 0; y < picture->height; ++y)
            std::copy_n(picture->pixels.begin() + size_t(y) * size_t(picture->width), picture->width,
                        image.pixels.begin() + size_t(picture->height - 1 - y) * size_t(picture->width));
    } else {
        std::fill(image.pixels.begin(), image.pixels.end(), wsys::MakePixel(240, 240, 240));
    }
    const wsys::Point from = rect ? wsys::Point{double(rect->left), double(rect->top)} : wsys::Point{};
    wsys::RunDrag(view, view, image, from);
}

std::vector<std::string> WINL_DoDragDrop(const char* folder) {
    std::vector<std::string> written;
    if (folder && s_dragdropsrcfn && s_dragdropsrccallback) {
        std::string target = std::string(folder) + "/" + lastComponent(s_dragdropsrcfn);
        bool write = target.size() < kMaxPath;
        if (write && nameTaken(target)) {
            const std::string name = lastComponent(target);
            const int answer = wsys::RunAlertPanel(
                "Copy",
                "An item named \"" + name + "\" already exists in this location. Do you want to "
                "replace it with the one you're moving?",
                "Keep Both Files", "Stop", "Replace");
            if (answer == wsys::kAlertAlternateReturn) write = false;
            if (answer == wsys::kAlertDefaultReturn) target = freeNumberedName(target);
            write = write && !target.empty();
        }
        if (write) {
            s_dragdropsrccallback(target.c_str());
            if (nameTaken(target)) written.push_back(lastComponent(target));
        }
    }
    WINL_FinishDragDrop();
    return written;
}

std::vector<std::string> Winl_vZoz_hwnd::NamesOfPromisedFilesDroppedAtDestination(const std::string& folder) {
    return WINL_DoDragDrop(folder.c_str());
}

// ---------------------------------------------------------------------------------------------
// Destination

std::vector<std::string> Winl_vZoz_hwnd::RegisteredDraggedTypes() {
    if (!m_supports_ddrop) return {};
    return {wsys::kFilenamesPboardType, wsys::kFilesPromisePboardType};
}

HGLOBAL Winl_vZoz_hwnd::winlExtendedDragOp(wsys::DraggingInfo& info, bool retGlob) {
    if (!m_supports_ddrop) return nullptr;
    wsys::Pasteboard* board = info.DraggingPasteboard();
    std::vector<std::string> names;
    if (auto files = board->StringListForType(wsys::kFilenamesPboardType)) {
        names = *files;
    } else if (auto types = board->StringListForType(wsys::kFilesPromisePboardType)) {
        if (retGlob) {
            for (const std::string& type : *types)
                names.push_back("tmp." + type);
        } else {
            if (!WINL_DDrop_getDroppedFileTargetPath) return nullptr;
            const char* hooked = WINL_DDrop_getDroppedFileTargetPath(types->empty() ? "" : types->front().c_str());
            std::string folder = hooked ? std::string(hooked, strnlen(hooked, kMaxTargetFolder - 1)) : "";
            if (folder.empty()) folder = privateDropFolder();
            if (folder.empty()) return nullptr;
            for (const std::string& name : info.NamesOfPromisedFilesDroppedAtDestination(folder))
                names.push_back(joinPath(folder, name));
        }
    }
    if (names.empty()) return nullptr;
    const wsys::Point at = ConvertPointFromView(info.DraggingLocation(), nullptr);
    HGLOBAL block = dropBlock(names, POINT{int(std::lround(at.x)), int(std::lround(at.y))});
    if (retGlob || !block) return block;
    onWinlMessage(WM_DROPFILES, WPARAM(block), 0);
    GlobalFree(block);
    return this;
}

unsigned Winl_vZoz_hwnd::DraggingEntered(wsys::DraggingInfo& info) {
    if (!m_supports_ddrop) return wsys::kDragOperationNone;
    if (!WINL_DDrop_onDragEnter) return wsys::kDragOperationGeneric;
    HGLOBAL block = winlExtendedDragOp(info, true);
    if (!block) return wsys::kDragOperationGeneric;
    const POINT at = screenPoint(info);
    WINL_DDrop_onDragEnter(block, at.x, at.y);
    GlobalFree(block);
    return wsys::kDragOperationGeneric;
}

unsigned Winl_vZoz_hwnd::DraggingUpdated(wsys::DraggingInfo& info) {
    if (!m_supports_ddrop) return wsys::kDragOperationNone;
    if (WINL_DDrop_onDragOver) {
        const POINT at = screenPoint(info);
        WINL_DDrop_onDragOver(at.x, at.y);
    }
    return wsys::kDragOperationGeneric;
}

void Winl_vZoz_hwnd::DraggingExited(wsys::DraggingInfo&) {
    if (m_supports_ddrop && WINL_DDrop_onDragLeave) WINL_DDrop_onDragLeave();
}

bool Winl_vZoz_hwnd::PerformDragOperation(wsys::DraggingInfo& info) {
    if (!m_supports_ddrop) return false;
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    if (WINL_DDrop_onDragLeave) WINL_DDrop_onDragLeave();
    auto* source = dynamic_cast<wsys::View*>(info.DraggingSourceObject());
    wsys::Window* window = GetWindow();
    // A drop within one window must not have the window rebuilt under the drag.
    wsys::Ref<wsys::View> content = source && window && source->GetWindow() == window ? window->ContentView() : nullptr;
    if (content) SetProp(content.get(), kDisableRepaintProp, reinterpret_cast<void*>(kDropDisabledRepaint));
    bool taken = false;
    wsys::View* hit = window && window->ContentView() ? window->ContentView()->HitTest(info.DraggingLocation()) : nullptr;
    for (wsys::View* v = hit; v && v != this && !taken; v = v->Superview())
        if (auto* w = dynamic_cast<Winl_vZoz_hwnd*>(v)) taken = w->winlExtendedDragOp(info, false) != nullptr;
    if (!taken) taken = winlExtendedDragOp(info, false) != nullptr;
    if (content) RemoveProp(content.get(), kDisableRepaintProp);
    return taken;
}
