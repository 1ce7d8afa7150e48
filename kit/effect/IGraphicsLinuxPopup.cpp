#include "kit/effect/IGraphicsLinuxPopup.h"

IGraphicsLinuxPopup::IGraphicsLinuxPopup(platform::View& view, const char* face, int size)
    : m_view(view), m_font(std::make_unique<RAST_CachedFont>()), m_fontSize(size) {
    m_font->SetFromHFont(
        CreateFont(size, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, face),
        RAST_FONT_OWNS_HFONT);
}

IGraphicsLinuxPopup::~IGraphicsLinuxPopup() {
    Close();
}

bool IGraphicsLinuxPopup::Open(const platform::ViewRect& screenArea, bool grab) {
    m_bitmap.resize(screenArea.Width(), screenArea.Height());
    m_window = m_view.OpenPopup(screenArea, grab);
    m_area = screenArea;
    return m_window != 0;
}

void IGraphicsLinuxPopup::Close() {
    if (m_window) m_view.ClosePopup(m_window);
    m_window = 0;
}

int IGraphicsLinuxPopup::Measure(const std::string& text) {
    if (text.empty()) return 0;
    RECT r{0, 0, 0, 0};
    m_font->DrawText(nullptr, text.c_str(), int(text.size()), &r,
                     DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return r.right - r.left;
}

void IGraphicsLinuxPopup::DrawText(const std::string& text, RECT r, RAST_pixel colour,
                                   unsigned flags) {
    m_font->SetTextColor(colour);
    m_font->DrawText(&m_bitmap, text.c_str(), int(text.size()), &r,
                     flags | DT_SINGLELINE | DT_NOPREFIX);
}

void IGraphicsLinuxPopup::Put() {
    if (!m_window || !m_bitmap.getBits()) return;
    m_view.Put(
        m_window,
        {m_bitmap.getBits(), m_bitmap.getWidth(), m_bitmap.getHeight(), m_bitmap.getRowSpan()},
        {0, 0, m_bitmap.getWidth(), m_bitmap.getHeight()});
}
