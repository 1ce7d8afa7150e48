#include "platform/wsys/Alert.h"

#include "platform/text/TextFont.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/Paint.h"
#include "platform/wsys/Render.h"

#include <algorithm>
#include <cmath>

namespace platform::wsys {

namespace {

constexpr double kWidth = 420;
constexpr double kMargin = 20;
constexpr double kLineHeight = 17;
constexpr double kButtonHeight = 24;
constexpr double kButtonMinWidth = 80;
constexpr double kButtonGap = 12;
constexpr uint32_t kBackground = MakePixel(236, 236, 236);
constexpr uint32_t kButtonBorder = MakePixel(160, 160, 160);
constexpr uint32_t kButtonFace = MakePixel(255, 255, 255);
constexpr uint32_t kDefaultFace = MakePixel(56, 132, 244);
constexpr CanvasColor kText{0.1f, 0.1f, 0.1f, 1};
constexpr CanvasColor kDefaultText{1, 1, 1, 1};

double textWidth(const std::string& utf8) {
    std::shared_ptr<TextFont> font = SystemFont();
    std::u32string text;
    return font && DecodeUtf8(utf8, &text) ? font->LineWidth(text) : 7.0 * utf8.size();
}

// The message's lines: its own line breaks, then breaks between words where a line would run
// past the width; a word longer than the width stands alone.
std::vector<std::string> wrap(const std::string& message, double width) {
    std::vector<std::string> lines;
    size_t at = 0;
    do {
        size_t end = message.find('\n', at);
        if (end == std::string::npos) end = message.size();
        std::string line;
        for (size_t w = at; w < end;) {
            size_t next = message.find(' ', w);
            if (next == std::string::npos || next > end) next = end;
            const std::string word = message.substr(w, next - w);
            if (!line.empty() && textWidth(line + " " + word) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line += (line.empty() ? "" : " ") + word;
            }
            w = next + 1;
        }
        lines.push_back(line);
        at = end + 1;
    } while (at <= message.size());
    return lines;
}

double buttonWidth(const std::string& title) {
    return std::max(kButtonMinWidth, std::ceil(textWidth(title)) + 24);
}

// Button frames in the content's drawing coordinates (y down).
std::vector<Rect> buttonFrames(const std::vector<std::string>& buttons, double height) {
    std::vector<Rect> frames;
    const double top = height - kMargin - kButtonHeight;
    double right = kWidth - kMargin;
    for (size_t i = 0; i < buttons.size() && i < 2; ++i) {
        const double w = buttonWidth(buttons[i]);
        frames.push_back(Rect(right - w, top, w, kButtonHeight));
        right -= w + kButtonGap;
    }
    if (buttons.size() > 2) frames.push_back(Rect(kMargin, top, buttonWidth(buttons[2]), kButtonHeight));
    return frames;
}

class AlertView : public View {
public:
    AlertView(const Rect& frame, AlertPanel* panel) : View(frame), m_panel(panel) {}
    bool IsFlipped() const override { return true; }
    bool IsOpaque() const override { return true; }
    bool AcceptsFirstResponder() override { return true; }
    void Draw(const Rect&) override;
    void MouseUp(Event& e) override;
    void KeyDown(Event& e) override;

private:
    void answer(size_t index) { App().StopModalWithCode(AlertPanel::AnswerOf(index)); }
    AlertPanel* m_panel;
};

void AlertView::Draw(const Rect&) {
    Canvas* c = GraphicsContext::Current();
    if (!c) return;
    const Size size = Bounds().size;
    FillPixels(*c, 0, 0, int(size.width), int(size.height), kBackground);
    std::shared_ptr<TextFont> font = SystemFont();
    if (!font) return;
    std::u32string text;
    double baseline = kMargin + font->Ascent();
    for (const std::string& line : wrap(m_panel->Message(), kWidth - 2 * kMargin)) {
        if (DecodeUtf8(line, &text)) font->DrawLine(*c, kMargin, baseline, text, kText);
        baseline += kLineHeight;
    }
    const std::vector<Rect> frames = buttonFrames(m_panel->Buttons(), size.height);
    for (size_t i = 0; i < frames.size(); ++i) {
        const Rect& f = frames[i];
        const int l = int(f.MinX()), t = int(f.MinY()), r = int(f.MaxX()), b = int(f.MaxY());
        FillPixels(*c, l, t, r, b, kButtonBorder);
        FillPixels(*c, l + 1, t + 1, r - 1, b - 1, i == 0 ? kDefaultFace : kButtonFace);
        if (!DecodeUtf8(m_panel->Buttons()[i], &text)) continue;
        const double x = std::floor(f.MinX() + (f.size.width - font->LineWidth(text)) / 2);
        const double y = std::floor(f.MinY() + (kButtonHeight + font->Ascent() - font->Descent()) / 2);
        font->DrawLine(*c, x, y, text, i == 0 ? kDefaultText : kText);
    }
}

void AlertView::MouseUp(Event& e) {
    const Point p = ConvertPointFromView(e.locationInWindow, nullptr);
    const std::vector<Rect> frames = buttonFrames(m_panel->Buttons(), Bounds().size.height);
    for (size_t i = 0; i < frames.size(); ++i)
        if (frames[i].Contains(p)) return answer(i);
}

void AlertView::KeyDown(Event& e) {
    const char16_t c = e.characters.empty() ? 0 : e.characters[0];
    if (c == '\r' || c == 3) return answer(0);
    if (c != 27) return;
    const std::vector<std::string>& buttons = m_panel->Buttons();
    const auto cancel = std::find(buttons.begin(), buttons.end(), "Cancel");
    if (cancel != buttons.end()) answer(size_t(cancel - buttons.begin()));
}

} // namespace

AlertPanel::AlertPanel(const std::string& title, const std::string& message,
                       const std::vector<std::string>& buttons)
    : Panel(Rect(), kTitledWindowMask), m_message(message) {
    for (const std::string& b : buttons)
        if (!b.empty() && m_buttons.size() < 3) m_buttons.push_back(b);
    SetTitle(title);
    const double height = 2 * kMargin + wrap(message, kWidth - 2 * kMargin).size() * kLineHeight +
                          kMargin + kButtonHeight;
    SetContentSize(Size{kWidth, std::ceil(height)});
    SetContentView(Make<AlertView>(Rect(Point(), Size{kWidth, std::ceil(height)}), this).get());
    SetLevel(kModalPanelWindowLevel);
    Center();
}

Rect AlertPanel::ButtonScreenFrame(size_t index) const {
    const std::vector<Rect> frames = buttonFrames(m_buttons, ContentRect().size.height);
    if (index >= frames.size()) return Rect();
    const Rect& f = frames[index];
    const Rect content = ContentRect();
    return Rect(content.MinX() + f.MinX(), content.MaxY() - f.MaxY(), f.size.width, f.size.height);
}

int AlertPanel::AnswerOf(size_t index) {
    static const int answers[] = {kAlertDefaultReturn, kAlertAlternateReturn, kAlertOtherReturn};
    return answers[std::min<size_t>(index, 2)];
}

int RunAlertPanel(const std::string& title, const std::string& message,
                  const std::string& defaultButton, const std::string& alternateButton,
                  const std::string& otherButton) {
    Ref<AlertPanel> panel = Make<AlertPanel>(
        title, message,
        std::vector<std::string>{defaultButton.empty() ? "OK" : defaultButton, alternateButton,
                                 otherButton});
    panel->MakeFirstResponder(panel->ContentView());
    const int answer = App().RunModalForWindow(panel.get());
    panel->Close();
    return answer == kAlertAlternateReturn || answer == kAlertOtherReturn ? answer
                                                                            : kAlertDefaultReturn;
}

} // namespace platform::wsys
