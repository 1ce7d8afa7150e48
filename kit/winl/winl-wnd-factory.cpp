#include "kit/winl/winl-wnd-factory.h"

#include "kit/winl/winl-wnd-controls.h"
#include "kit/winl/winl-wnd-private.h"
#include "platform/wsys/Menu.h"
#include "platform/wsys/Render.h"
#include "platform/wsys/String.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace wsys = platform::wsys;

int g_winl_want_nice_style = 0;

namespace {

// Style bits of the makers.
enum : unsigned int {
    kHidden = 0x80000000u,
    kEditCenter = 0x1,
    kEditRight = 0x2,
    kEditPassword = 0x20,
    kEditReadOnly = 0x800,
    kHScroll = 0x100000,
    kVScroll = 0x200000,
    kLabelNotify = 0x100,
    kBoxTitleCentered = 0x300,
};
constexpr int kNiceStyle = 1;
constexpr int kMnemonicLimit = 1024;
constexpr int kTallButton = 24;
constexpr int kComboHeight = 22, kListHeight = 18, kComboFontSize = 10;

// The layout state.
wsys::Rect m_transform(0, 0, 1, 1); // offsets, scales
float m_parent_h = 100;
wsys::Ref<wsys::View> m_make_owner;
bool m_doautoright = false;
bool m_sizetofits = false;
struct AutoRecord {
    float right = 0, centre = -100, growth = 0;
} m_lastdoauto;

// v + 0.5 in double precision, truncated toward zero (held to int's range).
int R(float v) {
    return int(std::trunc(std::clamp(double(v) + 0.5, double(INT_MIN), double(INT_MAX))));
}

bool niceLook() {
    return g_winl_want_nice_style == kNiceStyle;
}

template <class T> void applyFont(T* control, std::shared_ptr<platform::TextFont> font) {
    if (font) control->SetFont(std::move(font));
}

} // namespace

void WINL_MakeSetCurParms(float xScale, float yScale, float xOffset, float yOffset, HWND parent,
                          bool autoRight, bool sizeToFit) {
    m_sizetofits = sizeToFit;
    m_doautoright = autoRight;
    m_lastdoauto = AutoRecord();
    m_transform = wsys::Rect(xOffset, yOffset, xScale, yScale);
    wsys::View* owner = WINL_ViewOf(parent);
    m_make_owner = owner;
    m_parent_h = 100;
    if (!owner) return;
    m_parent_h = float(owner->Bounds().size.height);
    auto* parentView = dynamic_cast<wsys::View*>(parent);
    if (yScale > 0 && parentView && parentView->IsFlipped()) m_transform.size.height = -yScale;
}

wsys::Rect WINL_MakeCoords(double x, double y, double w, double h, bool wantAuto, bool fixedHeight) {
    if (w < 0 && h < 0) return wsys::Rect(-x, -y, -w, -h);
    const float xs = float(m_transform.size.width), ys = float(m_transform.size.height);
    const float xo = float(m_transform.origin.x), yo = float(m_transform.origin.y);
    const float fx = float(x), fy = float(y), fw = float(w), fh = float(h);
    const float hs = fixedHeight ? 1.0f : ys;
    const int X = R((fx + xo) * xs), W = R(fw * xs), H = R(std::fabs(hs) * fh);
    const int Y = ys >= 0 ? R(m_parent_h - ys * (fy + yo) + fh * hs) : R(-ys * (fy + yo));
    double left = X;
    if (m_doautoright && wantAuto) {
        const float c = m_lastdoauto.centre;
        if (std::fabs(float(X) - m_lastdoauto.right) < 32 && float(Y) <= c && c < float(Y) + float(H))
            left = X + std::trunc(m_lastdoauto.growth);
        m_lastdoauto = AutoRecord{float(X) + float(W), float(Y) + float(H) * 0.5f, 0};
    }
    return wsys::Rect(left, Y, W, H);
}

std::shared_ptr<platform::TextFont> WINL_MakeControlFont() {
    const float xs = float(m_transform.size.width);
    if (xs >= 1.81f) return nullptr;
    return wsys::SystemFontOfSize(xs < 1.0f ? 8 : 10);
}

std::string WINL_StripMnemonics(const char* text) {
    if (!text) text = "";
    const size_t n = strnlen(text, kMnemonicLimit);
    std::string shown;
    if (n < size_t(kMnemonicLimit) && std::memchr(text, '&', n)) {
        for (const char* p = text; *p; ++p) {
            if (*p == '&' && !*++p) break;
            shown += *p;
        }
        text = shown.c_str();
    }
    return wsys::Ref<wsys::String>::Adopt(WINL_CStringToCFString(text))->ToUtf8Lossy();
}

wsys::View* WINL_MakeOwner() {
    return m_make_owner.get();
}

bool WINL_MakeSizesToFit() {
    return m_sizetofits;
}

void WINL_MakeAddControl(wsys::View* control, int style) {
    if (unsigned(style) & kHidden) control->SetHidden(true);
    m_make_owner->AddSubview(control);
}

void WINL_MakeStoreGrowth(const wsys::View* control) {
    if (m_doautoright) m_lastdoauto.growth = float(control->Frame().MaxX()) - m_lastdoauto.right;
}

void WINL_MakeConnect(wsys::Control* control) {
    control->SetTarget(m_make_owner.get());
    control->SetAction(Winl_vZoz_hwnd::CommandAction);
    control->SetDelegate(m_make_owner.get());
}

HWND WINL_MakeButton(int isDefault, const char* label, int id, int x, int y, int w, int h,
                     int style) {
    if (!m_make_owner) return nullptr;
    if (uintptr_t(label) < 0x10000) label = "ICONTEMP";
    wsys::Ref<Winl_vZoz_button> button = wsys::Make<Winl_vZoz_button>();
    applyFont(button.get(), WINL_MakeControlFont());
    button->SetTag(id);
    button->SetBezelStyle(niceLook() ? wsys::kShadowlessSquareBezelStyle : wsys::kRoundedBezelStyle);
    wsys::Rect frame = WINL_MakeCoords(x, y, w, h, true, false);
    if (!niceLook() && frame.size.height >= 18 && frame.size.height < kTallButton)
        frame.size.height = kTallButton;
    button->SetFrame(frame);
    button->SetTitle(WINL_StripMnemonics(label));
    WINL_MakeConnect(button.get());
    WINL_MakeAddControl(button.get(), style);
    WINL_MakeStoreGrowth(button.get());
    if (wsys::Window* window = isDefault ? m_make_owner->GetWindow() : nullptr)
        window->SetDefaultButton(button.get());
    return button.get();
}

HWND WINL_MakeEditField(int id, int x, int y, int w, int h, int style) {
    if (!m_make_owner) return nullptr;
    const unsigned bits = unsigned(style);
    const bool editable = !(bits & kEditReadOnly);
    if (!(bits & (kHScroll | kVScroll))) {
        wsys::Ref<wsys::TextField> field;
        if (bits & kEditPassword)
            field = wsys::Make<wsys::SecureTextField>();
        else
            field = wsys::Make<Winl_vZoz_textfield>();
        field->SetEditable(editable);
        field->SetSelectable(true);
        // A new field's look: a bordered white box.
        field->SetBordered(true);
        field->SetDrawsBackground(true);
        applyFont(field.get(), WINL_MakeControlFont());
        if (bits & (kEditCenter | kEditRight))
            field->SetAlignment(bits & kEditCenter ? wsys::kCenterTextAlignment : wsys::kRightTextAlignment);
        if (std::abs(h) < 20) field->SetWraps(false);
        field->SetTag(id);
        WINL_MakeConnect(field.get());
        field->SetFrame(WINL_MakeCoords(x, y, w, h, true, false));
        WINL_MakeAddControl(field.get(), style);
        WINL_MakeStoreGrowth(field.get());
        return field.get();
    }
    wsys::Ref<Winl_vZoz_textview> text = wsys::Make<Winl_vZoz_textview>();
    text->SetEditable(editable);
    applyFont(text.get(), WINL_MakeControlFont());
    text->SetTag(id);
    text->SetDelegate(m_make_owner.get());
    text->SetHorizontallyResizable(false);
    const wsys::Rect frame = WINL_MakeCoords(x, y, w, h, true, false);
    if (!(bits & kVScroll)) {
        text->SetVerticallyResizable(false);
        text->SetFrame(frame);
        WINL_MakeAddControl(text.get(), style);
        WINL_MakeStoreGrowth(text.get());
        return text.get();
    }
    text->SetVerticallyResizable(true);
    wsys::Ref<wsys::ScrollView> scroll = wsys::Make<wsys::ScrollView>(frame);
    scroll->SetHasVerticalScroller(true);
    scroll->SetHasHorizontalScroller(bits & kHScroll);
    scroll->SetAutohidesScrollers(true);
    scroll->SetDrawsBackground(false);
    scroll->SetDocumentView(text.get());
    WINL_MakeAddControl(scroll.get(), style);
    WINL_MakeStoreGrowth(scroll.get());
    text->SetFrame(wsys::Rect(wsys::Point(), scroll->ContentSize()));
    return scroll.get();
}

HWND WINL_MakeLabel(int align, const char* text, int id, int x, int y, int w, int h, int style) {
    if (!m_make_owner) return nullptr;
    wsys::Ref<Winl_vZoz_textfield> label = wsys::Make<Winl_vZoz_textfield>();
    label->SetEditable(false);
    label->SetSelectable(false);
    label->SetBordered(false);
    label->SetDrawsBackground(false);
    applyFont(label.get(), WINL_MakeControlFont());
    if (unsigned(style) & kLabelNotify) {
        label->SetTarget(m_make_owner.get());
        label->SetAction(Winl_vZoz_hwnd::CommandAction);
    }
    label->SetStringValue(WINL_StripMnemonics(text));
    label->SetAlignment(align < 0   ? wsys::kLeftTextAlignment
                        : align > 0 ? wsys::kRightTextAlignment
                                    : wsys::kCenterTextAlignment);
    label->SetWraps(h >= 13);
    label->SetTag(id);
    label->SetFrame(WINL_MakeCoords(x, y, w, h, true, false));
    WINL_MakeAddControl(label.get(), style);
    if (m_sizetofits && text && std::strlen(text) >= 2) label->SizeToFit();
    WINL_MakeStoreGrowth(label.get());
    return label.get();
}

HWND WINL_MakeGroupBox(const char* title, int id, int x, int y, int w, int h, int style) {
    if (!m_make_owner) return nullptr;
    wsys::Ref<Winl_vZoz_box> box = wsys::Make<Winl_vZoz_box>();
    box->SetTitle(WINL_StripMnemonics(title));
    box->SetTag(id);
    if (unsigned(style) & kBoxTitleCentered) box->SetTitleCentered(true);
    box->SetFrame(WINL_MakeCoords(x, double(y) - 1, w, double(h) + 3, false, false));
    m_make_owner->AddSubview(box.get(), wsys::View::kBelow, nullptr);
    return box.get();
}

HWND WINL_MakeCombo(int id, int x, int y, int w, int, int style) {
    if (!m_make_owner) return nullptr;
    if ((style & 3) == CBS_DROPDOWNLIST) {
        wsys::Ref<Winl_vZoz_pub> list = wsys::Make<Winl_vZoz_pub>();
        list->SetTag(id);
        list->SetFont(wsys::SystemFontOfSize(kComboFontSize));
        list->SetFrame(WINL_MakeCoords(x, y, w, kListHeight, true, true));
        list->setWinlStyle(style);
        list->GetMenu()->SetAutoenablesItems(false);
        list->SetTarget(m_make_owner.get());
        list->SetAction(Winl_vZoz_hwnd::CommandAction);
        if (niceLook()) {
            list->SetBezelStyle(wsys::kShadowlessSquareBezelStyle);
            list->SetArrowPosition(wsys::PopUpButton::kArrowAtBottom);
        }
        WINL_MakeAddControl(list.get(), style);
        WINL_MakeStoreGrowth(list.get());
        return list.get();
    }
    wsys::Ref<Winl_vZoz_cbox> box = wsys::Make<Winl_vZoz_cbox>();
    box->SetFont(wsys::SystemFontOfSize(kComboFontSize));
    box->SetEditable(true);
    box->SetBordered(true);
    box->SetDrawsBackground(true);
    box->setWinlStyle(style);
    box->SetTag(id);
    box->SetFrame(WINL_MakeCoords(x, double(y) - 1, w, kComboHeight, true, true));
    WINL_MakeConnect(box.get());
    WINL_MakeAddControl(box.get(), style);
    WINL_MakeStoreGrowth(box.get());
    return box.get();
}
