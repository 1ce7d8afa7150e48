#include "kit/effect/IGraphicsLinuxTextEntry.h"

#include "kit/effect/IControl.h"
#include "kit/effect/IParam.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Fill.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMargin = 2;

const struct {
    EParamType type;
    const char* accepted;
} kAccepted[] = {
    {kTypeBool, "0123456789-+"},
    {kTypeInt, "0123456789-+"},
    {kTypeEnum, "0123456789-+"},
    {kTypeDouble, "0123456789.-+"},
    {kTypeText,
     "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 !#$%&/'+-*()[],.\""},
};

RAST_pixel pixelOf(const IColor& c) {
    return RAST_MakePixel(c.R, c.G, c.B, c.A);
}

RAST_pixel halfway(RAST_pixel a, RAST_pixel b) {
    return RAST_MakePixel((RAST_GetRed(a) + RAST_GetRed(b)) / 2,
                          (RAST_GetGreen(a) + RAST_GetGreen(b)) / 2,
                          (RAST_GetBlue(a) + RAST_GetBlue(b)) / 2, 255);
}

bool continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

const char* IGraphicsLinuxTextEntry::AcceptedCharacters(const IParam* param) {
    for (const auto& a : kAccepted)
        if (a.type == param->Type()) return a.accepted;
    return "";
}

bool IGraphicsLinuxTextEntry::Accepts(const char* accepted, int maxLength,
                                      const std::string& text) {
    int characters = 0;
    for (char c : text) {
        if (accepted && (!c || !strchr(accepted, c))) return false;
        if (!continuation(c)) ++characters;
    }
    return maxLength == 0 || characters <= maxLength;
}

std::unique_ptr<IGraphicsLinuxTextEntry>
IGraphicsLinuxTextEntry::Open(platform::View& view, IControl* control, IParam* param,
                              const IText& text, const IRECT& screenArea, const char* str) {
    std::unique_ptr<IGraphicsLinuxTextEntry> entry(
        new IGraphicsLinuxTextEntry(view, control, param, text, str));
    if (!entry->m_popup.Open({screenArea.L, screenArea.T, screenArea.R, screenArea.B}, true))
        return nullptr;
    entry->draw();
    return entry;
}

IGraphicsLinuxTextEntry::IGraphicsLinuxTextEntry(platform::View& view, IControl* control,
                                                 IParam* param, const IText& text, const char* str)
    : m_popup(view, "Monaco", TruncToInt(text.mSize * 0.9)), m_control(control), m_param(param),
      m_accepted(param ? AcceptedCharacters(param) : nullptr),
      m_maxLength(param ? control->GetTextEntryLength() : 0), m_align(text.mAlign),
      m_foreground(pixelOf(text.mTextEntryFGColor)), m_background(pixelOf(text.mTextEntryBGColor)),
      m_text(str), m_caret(m_text.size()) {}

IGraphicsLinuxTextEntry::Outcome IGraphicsLinuxTextEntry::OnKey(const platform::ViewEvent& e) {
    using platform::ViewKey;
    auto previous = [&](size_t at) {
        while (at > 0 && continuation(m_text[--at])) {
        }
        return at;
    };
    auto next = [&](size_t at) {
        while (at < m_text.size() && continuation(m_text[++at])) {
        }
        return std::min(at, m_text.size());
    };
    const size_t low = std::min(m_anchor, m_caret), high = std::max(m_anchor, m_caret);
    switch (e.key) {
    case ViewKey::kReturn:
    case ViewKey::kEnter:
    case ViewKey::kTab:
        return kCommit;
    case ViewKey::kEscape:
        return kCancel;
    case ViewKey::kBackSpace:
    case ViewKey::kDelete:
        if (low == high) {
            if (e.key == ViewKey::kBackSpace ? low == 0 : high == m_text.size()) break;
            m_anchor = e.key == ViewKey::kBackSpace ? previous(m_caret) : next(m_caret);
        }
        replaceSelection("");
        break;
    case ViewKey::kLeft:
        moveCaret(low != high ? low : previous(m_caret));
        break;
    case ViewKey::kRight:
        moveCaret(low != high ? high : next(m_caret));
        break;
    case ViewKey::kHome:
    case ViewKey::kUp:
        moveCaret(0);
        break;
    case ViewKey::kEnd:
    case ViewKey::kDown:
        moveCaret(m_text.size());
        break;
    default:
        if (e.text[0] && !e.control && !e.command) replaceSelection(e.text);
        break;
    }
    draw();
    return kEditing;
}

bool IGraphicsLinuxTextEntry::OnClick(const platform::ViewEvent& e) {
    RAST_MemBitmap& b = m_popup.Bitmap();
    if (e.window != Window() || e.x < 0 || e.y < 0 || e.x >= b.getWidth() || e.y >= b.getHeight())
        return false;
    // The caret goes to the character boundary nearest to the click.
    const int left = textLeft(m_popup.Measure(m_text));
    size_t best = 0;
    int bestDistance = abs(e.x - left);
    for (size_t at = 1; at <= m_text.size(); ++at) {
        if (at < m_text.size() && continuation(m_text[at])) continue;
        const int distance = abs(e.x - (left + m_popup.Measure(m_text.substr(0, at))));
        if (distance < bestDistance) {
            best = at;
            bestDistance = distance;
        }
    }
    moveCaret(best);
    draw();
    return true;
}

void IGraphicsLinuxTextEntry::replaceSelection(const std::string& insert) {
    const size_t low = std::min(m_anchor, m_caret), high = std::max(m_anchor, m_caret);
    const std::string edited = m_text.substr(0, low) + insert + m_text.substr(high);
    if (!Accepts(m_accepted, m_maxLength, edited)) {
        m_anchor = m_caret;
        return;
    }
    m_text = edited;
    moveCaret(low + insert.size());
}

void IGraphicsLinuxTextEntry::moveCaret(size_t to) {
    m_anchor = m_caret = to;
}

int IGraphicsLinuxTextEntry::textLeft(int textWidth) {
    const int width = m_popup.Bitmap().getWidth();
    switch (m_align) {
    case IText::kAlignCenter:
        return (width - textWidth) / 2;
    case IText::kAlignFar:
        return width - kMargin - textWidth;
    default:
        return kMargin;
    }
}

void IGraphicsLinuxTextEntry::draw() {
    RAST_MemBitmap& b = m_popup.Bitmap();
    const int w = b.getWidth(), h = b.getHeight();
    RAST_FillRect(&b, 0, 0, w, h, m_background, 1.0f, RAST_MODE_COPY);
    const int left = textLeft(m_popup.Measure(m_text));
    auto xAt = [&](size_t at) { return left + m_popup.Measure(m_text.substr(0, at)); };
    const size_t low = std::min(m_anchor, m_caret), high = std::max(m_anchor, m_caret);
    if (low != high)
        RAST_FillRect(&b, xAt(low), 1, xAt(high) - xAt(low), h - 2,
                      halfway(m_background, m_foreground), 1.0f, RAST_MODE_COPY);
    m_popup.DrawText(m_text, {left, 0, w, h}, m_foreground, DT_LEFT | DT_VCENTER);
    if (low == high)
        RAST_FillRect(&b, xAt(m_caret), 2, 1, h - 4, m_foreground, 1.0f, RAST_MODE_COPY);
    m_popup.Put();
}
