#pragma once

#include "kit/base/KIT_PtrList.h"
#include "kit/base/KIT_String.h"
#include "kit/effect/IBitmap.h"
#include "kit/effect/IEffectStructs.h"
#include "kit/rast/RAST_IBitmap.h"

#include <memory>
#include <mutex>
#include <utility>
#include <vector>

class ControlLayer;
class IControl;
class IEffectBase;
class IParam;
class IPopupMenu;
class RAST_IFont;

enum EFileAction { kFileOpen = 0, kFileSave = 1 };

// The editor's drawing surface and the owner of everything shown in it: a flat list of
// top-level controls (index 0 is the background) and a list of layer trees drawn over them.
// It works out what must be repainted, repaints it into its draw bitmap, routes mouse, wheel
// and key input to the control under the pointer (overlay layers first, then the other
// layers, then the top-level controls, the last added first) and shows the values that the
// plug-in sets. A window class derives from it and supplies the platform side: the window,
// the screen copy, resources, menus, text entry and file panels.
//
// No lock: everything runs on the GUI thread except SetParameterFromPlug, which the audio, MIDI
// input and sender threads call too; it only stores values and dirty flags, and finds the
// controls through an index that the contents' changes drop and the next call rebuilds.
class IGraphics {
public:
    // A frame rate below 1 becomes 25. The draw bitmap is made by PrepDraw.
    IGraphics(IEffectBase* plug, int w, int h, int fps = 0);

    // ---- The platform side, filled by the window class.

    // Copies the draw bitmap to the window.
    virtual bool DrawScreen(IRECT* r) = 0;
    // Sets r to the extent of str drawn in text at r's position.
    virtual bool MeasureIText(IText* text, const char* str, IRECT* r) {
        return DrawIText(text, str, r, true);
    }
    // Closes an open text entry without taking its text.
    virtual void ForceEndUserEdit() = 0;
    // Deletes every top-level control (layers stay) and remakes the draw bitmap at the new
    // size; the plug-in is told.
    virtual void Resize(int w, int h);
    virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
    virtual const char* GetGUIAPI() { return ""; }
    virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
    // Shows the menu at the area; returns the menu (or submenu) in which an item was chosen,
    // with its chosen item index set, or null when nothing was chosen.
    virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area) = 0;
    // Opens an edit field holding str; its text comes back through SetFromStringAfterPrompt
    // (with a parameter) or the control's TextFromTextEntry.
    virtual void CreateTextEntry(IControl* control, IText* text, IRECT* area, const char* str,
                                 IParam* param) = 0;
    virtual void HostPath(KIT_String* path) = 0;
    virtual void PluginPath(KIT_String* path) = 0;
    virtual void DesktopPath(KIT_String* path) = 0;
    // Modal file panel. file proposes a name and receives the chosen path ("" when cancelled);
    // dir is the start folder ("~/Desktop" when empty) and receives the chosen file's folder
    // followed by "/"; extensions are separated by single blanks.
    virtual void PromptForFile(KIT_String* file, EFileAction action, KIT_String* dir,
                               char* extensions) = 0;
    virtual bool PromptForColor(IColor* color, char* prompt) = 0;
    virtual bool OpenURL(const char* url, const char* title, const char* confirm,
                         const char* errorMessage) = 0;
    virtual void* OpenWindow(void* parentView) = 0;
    virtual void* OpenWindow(void* /*window*/, void* /*parentControl*/, short, short) {
        return nullptr;
    }
    virtual void AttachSubWindow(void* /*hostWindow*/) {}
    virtual void RemoveSubWindow() {}
    virtual void CloseWindow() = 0;
    virtual void* GetWindow() = 0;
    virtual ~IGraphics();
    // A bundle resource read whole, followed by one zero byte; false (bytes empty) when it
    // cannot be read whole.
    virtual bool OSLoadFile(int id, const char* name, std::vector<char>& bytes) = 0;
    virtual void HideMouseCursor() {}
    virtual void ShowMouseCursor() {}
    // A new bitmap decoded from an image resource, or null.
    virtual RAST_IBitmap* OSLoadBitmap(int id, const char* name) = 0;
    // The pixel size of an image resource; false when it cannot be had. Decodes the image
    // unless a platform reads the size alone.
    virtual bool OSBitmapSize(int id, const char* name, int* w, int* h);

    // ---- Images. Bitmaps live in a process-wide cache shared by every instance, keyed by
    // image id and counted: whoever takes a reference gives it back.

    // One reference on the bitmap cached under id; when the id is not cached yet, an image of
    // the resource's size times scale is cached (a cached id keeps its first scaling), whose
    // pixels are decoded through OSLoadBitmap when it is first drawn. The empty bitmap, and no
    // reference, when the image's size cannot be had.
    IBitmap LoadIBitmap(int id, const char* name, double scale, int nStates,
                        bool framesAreHorizontal);
    // The cached bitmap of id without taking a reference; the empty bitmap when not cached.
    IBitmap getImageById(int id, int nStates, bool framesAreHorizontal);
    // New bitmaps, cached without an id with one reference each; the empty bitmap for an
    // empty source or size.
    IBitmap ScaleBitmap(const IBitmap* bitmap, int destW, int destH);
    IBitmap CropBitmap(const IBitmap* bitmap, const IRECT* r);
    // Hands the bitmap to the cache, or takes one more reference when it is cached already.
    void RetainBitmap(const IBitmap* bitmap);
    void ReleaseBitmap(const IBitmap* bitmap);
    void ReleaseBitmapById(int id);

    // ---- Drawing onto the draw bitmap. Colours become pixel words and blends a weight and
    // a combine mode; no blend draws with source alpha at full weight. Bitmaps are clipped to
    // the area being repainted; the empty bitmap draws nothing.

    // The part of the bitmap from (srcX, srcY) that falls into dest.
    bool DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int srcX, int srcY,
                    const IChannelBlend* blend);
    // The same from frame bmpState (from 1; 0 and 1 both draw the first): the frame's start
    // replaces the offset along the strip.
    bool DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int bmpState, int srcX, int srcY,
                    const IChannelBlend* blend);
    bool DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int bmpState,
                    const IChannelBlend* blend);
    // The whole bitmap centred on (cx, cy) and turned by angle radians about its middle moved
    // down by yOffsetZeroDeg; not clipped to the repainted area.
    bool DrawRotatedBitmap(const IBitmap* bitmap, int cx, int cy, double angle, int yOffsetZeroDeg,
                           const IChannelBlend* blend);
    // The base with the mask (added) and the top turned by angle degrees over it, at (x, y).
    // Draws nothing unless all three bitmaps have the base's size.
    bool DrawRotatedMask(const IBitmap* base, const IBitmap* mask, const IBitmap* top, int x, int y,
                         double angle, const IChannelBlend* blend);
    bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool aa);
    // Stores the colour word into the pixel unblended; nothing outside the bitmap.
    bool ForcePixel(const IColor* color, int x, int y);
    // End points truncated to whole pixels.
    bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                  const IChannelBlend* blend, bool aa);
    // Angles in radians from straight up, clockwise.
    bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
                 const IChannelBlend* blend, bool aa);
    bool DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend,
                    bool aa);
    bool RoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                   int cornerRadius, bool aa);
    bool FillRoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                       int cornerRadius, bool aa);
    virtual bool FillIRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend);
    bool FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                    bool aa);
    bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                      const IChannelBlend* blend);
    bool FillIConvexPolygon(const IColor* color, const int* x, const int* y, int n,
                            const IChannelBlend* blend);
    // Opaque plain lines; the rectangle forms place the line at a fraction (held within 0..1)
    // of the width from the left or of the height from the bottom.
    bool DrawVerticalLine(const IColor* color, int x, int yLo, int yHi);
    bool DrawHorizontalLine(const IColor* color, int y, int xLo, int xHi);
    bool DrawVerticalLine(const IColor* color, const IRECT* rect, float x);
    bool DrawHorizontalLine(const IColor* color, const IRECT* rect, float y);
    // The outline along the lines L, T, R and B, both end points included.
    bool DrawRect(const IColor* color, const IRECT* rect);
    // From radius rMin to rMax at angle radians from straight up, clockwise.
    bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin,
                        float rMax, const IChannelBlend* blend, bool aa);
    // The draw bitmap's pixel; transparent black outside it.
    IColor GetPoint(int x, int y);
    RAST_pixel* GetBits();

    // ---- Text in the text's font, which the process-wide font cache makes once per size,
    // orientation, style and face, and which the text then remembers.

    // Draws str into r aligned by the text, or with measure moves r's edges to the extent of
    // str placed by the alignment. False when no font can be had.
    virtual bool DrawIText(IText* text, const char* str, IRECT* r, bool measure);
    // The text's font, made and cached when needed; null when none can be made.
    RAST_IFont* CacheFont(IText* text);

    // ---- Contents.

    // Readies drawing at the surface's size; called when the plug-in attaches the surface and
    // by Resize. The draw bitmap itself is made when it is first drawn into or asked for: a
    // plug-in whose editor never opens holds none.
    void PrepDraw();
    // The surface owns what it takes. The index of the new control or layer, or -1 when the
    // list could not grow (the element is then deleted).
    int AttachControl(IControl* control);
    int AttachLayer(ControlLayer* layer);
    // Puts a background at index 0: the image resource as a plain copy, or a colour panel.
    void AttachBackground(int id, const char* name, double scale);
    void AttachPanelBackground(const IColor* color);
    // Drops the index of controls by parameter; layers call it when they take a control or a
    // child once attached. A control's aux parameters are added before it is attached.
    void ContentsChanged();
    bool LoadFile(int id, const char* name, std::vector<char>& bytes) {
        return OSLoadFile(id, name, bytes);
    }
    // Strict drawing (the start) repaints the controls that meet the asked area; otherwise
    // each dirty control's area is repainted with the controls beneath and above it.
    void SetStrictDrawing(bool strict);
    // Mouse-over events reach controls only while this is set.
    void HandleMouseOver(bool handle) { m_handleMouseOver = handle; }

    // Shows a value set by the plug-in itself on every control of the parameter, top-level
    // or in a layer, visible or not: no change handler runs and nothing reaches the host or
    // the synthesizer. A plain (not normalised) value is also stored into the parameter,
    // through its normalised form so that step rounding and range apply; then an unknown
    // index changes nothing.
    void SetParameterFromPlug(int paramIdx, double value, bool normalized);
    // The same for many (parameter, value) pairs, in their order.
    void SetParametersFromPlug(const std::vector<std::pair<int, double>>& values, bool normalized);
    // Shows the parameter's value on its controls other than source, after source changed it.
    void ShowOnOtherControls(const IControl* source, int paramIdx);

    // ---- Input, in editor pixels from the top left. What a control takes of it (mouse-over
    // aside), and a finished edit field, is the user's editing: the plug-in tells the host.

    void OnMouseDown(int x, int y, IMouseMod* mod);
    void OnMouseUp(int x, int y, IMouseMod* mod);
    void OnMouseDrag(int x, int y, IMouseMod* mod);
    // True when the control takes double clicks as clicks and got a mouse-down.
    bool OnMouseDblClick(int x, int y, IMouseMod* mod);
    // False while mouse-over events are not handled.
    bool OnMouseOver(int x, int y, IMouseMod* mod);
    void OnMouseOut();
    void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
    // True when a control took the key.
    bool OnKeyDown(int x, int y, int key);
    void ReleaseMouseCapture();
    // The control that input at (x, y) goes to: the captured one, else the last hit in the
    // last visible top-level overlay layer, else in the last other visible layer, else the
    // last hit top-level control that is neither hidden nor grayed (grayed ones that want
    // mouse-over count for mouseOver). An overlay (a dialog, a panel, the progress veil) so
    // takes every point of its frame, whatever layers were attached after it; a visible modal
    // layer ends the search, hit or not.
    IControl* GetMouseControlIdx(int x, int y, bool mouseOver = false);
    void OnGUIIdle();

    // ---- Redraw.

    // Adds the rectangles of the dirty controls to r (the background's excepted).
    bool IsDirty(IRECT* r);
    // Repaints into the draw bitmap (top-level controls, then the layers) and copies it to
    // the window.
    bool Draw(IRECT* r);

    // ---- Asking the user for a parameter's value.

    // A menu of the display texts for a Bool or Enum parameter that has them, else an edit
    // field holding the current value.
    void PromptUserInput(IControl* control, IParam* param, IRECT* rect);
    // Takes the text of a finished edit field as the control's new value.
    void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text);

    IEffectBase* GetPlug() const { return m_plug; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int FPS() const { return m_fps; }
    int NControls() const { return m_controls.GetSize(); }
    IControl* GetControl(int idx) const { return m_controls.Get(idx); }
    int NLayers() const { return m_layers.GetSize(); }
    ControlLayer* GetLayer(int idx) const { return m_layers.Get(idx); }
    RAST_IBitmap* GetDrawBitmap() { return surface(); }
    const IRECT& GetDrawRECT() const { return m_drawRect; }
    // A button pressed on a control is held.
    bool HoldsPress() const { return m_captured != nullptr; }

private:
    // The controls that show each parameter, in the order of the top-level list and then of
    // the layer trees, depth first: one array, a parameter's controls side by side.
    class ControlIndex {
    public:
        // From (parameter, control) pairs in that order.
        explicit ControlIndex(const std::vector<std::pair<int, IControl*>>& filed);
        // The parameter's controls as [first, end).
        std::pair<IControl* const*, IControl* const*> of(int paramIdx) const;
        // The pairs it was made from, in their order, appended to filed.
        void fileInto(std::vector<std::pair<int, IControl*>>& filed) const;

    private:
        int m_lowest = 0;         // the lowest parameter filed
        std::vector<int> m_first; // by parameter - m_lowest, and the end after the last
        std::vector<IControl*> m_controls;
    };

    void insertBackground(IControl* background);
    // The draw bitmap, made at the surface's size when drawing has been readied and there is
    // none yet; null before PrepDraw.
    RAST_IBitmap* surface();
    // The pixels to draw of a bitmap, a cached image's decoded when it has none yet; null
    // when there are none.
    RAST_IBitmap* PixelsOf(const IBitmap* bitmap);
    // The current index, built when the contents changed since the last one; a caller keeps
    // the one it took while another thread drops it.
    std::shared_ptr<const ControlIndex> controlIndex();
    void showFromPlug(const ControlIndex& index, int paramIdx, double value, bool normalized);
    void tookInput();
    void drawDirtyControls();

    KIT_PtrList<IControl> m_controls;
    KIT_PtrList<ControlLayer> m_layers;
    IEffectBase* m_plug;
    IRECT m_drawRect;
    bool m_drawPrepared = false;
    RAST_IBitmap* m_drawBitmap = nullptr;
    RAST_IBitmap* m_scratchBitmap = nullptr;
    int m_width;
    int m_height;
    int m_fps;
    IControl* m_mouseOver = nullptr;
    IControl* m_captured = nullptr;
    int m_mouseX = 0;
    int m_mouseY = 0;
    bool m_handleMouseOver = false;
    bool m_strictDrawing = true;
    std::mutex m_indexLock;
    std::shared_ptr<const ControlIndex> m_index;
    // The layers attached after every other since the index was made: their controls come
    // last, as a new index would file them, so the index is extended by them when next asked
    // for instead of being made anew from every control.
    std::vector<const ControlLayer*> m_indexPending;
};
