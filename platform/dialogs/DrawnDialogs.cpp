#include "platform/dialogs/DrawnDialogs.h"

#include "platform/dialogs/DrawnWindow.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace platform::dialogs {

namespace fs = std::filesystem;

namespace {

const uint32_t kBackground = DrawnWindow::Colour(236, 236, 236);
const uint32_t kField = DrawnWindow::Colour(255, 255, 255);
const uint32_t kBorder = DrawnWindow::Colour(128, 128, 128);
const uint32_t kInk = DrawnWindow::Colour(0, 0, 0);
const uint32_t kHighlight = DrawnWindow::Colour(48, 112, 192);
const uint32_t kHighlightInk = DrawnWindow::Colour(255, 255, 255);

constexpr int kMargin = 10;
constexpr int kLineHeight = 20;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 26;

struct Rect {
    int x, y, w, h;
    bool Contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

void drawButton(DrawnWindow& win, const Rect& r, const std::string& label, bool focused) {
    win.Fill(r.x, r.y, r.w, r.h, focused ? kHighlight : kField);
    win.Frame(r.x, r.y, r.w, r.h, kBorder);
    win.Text(r.x + (r.w - TextWidth(label)) / 2, r.y + 18, label,
             focused ? kHighlightInk : kInk, r.w);
}

bool isPressed(const ViewEvent& e) {
    return e.type == ViewEventType::kKey &&
           (e.key == ViewKey::kReturn || e.key == ViewKey::kEnter);
}

bool isEscape(const ViewEvent& e) {
    return e.type == ViewEventType::kKey && e.key == ViewKey::kEscape;
}

bool isLeftClick(const ViewEvent& e) {
    return e.type == ViewEventType::kButtonDown && e.button == 1;
}

// Lines of at most `width` pixels, broken at blanks where a line would be longer.
std::vector<std::string> wrap(const std::string& text, int width) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t newline = std::min(text.find('\n', start), text.size());
        std::string line;
        for (size_t word = start; word < newline;) {
            size_t end = text.find(' ', word);
            end = end == std::string::npos || end > newline ? newline : end;
            const std::string next = line.empty() ? text.substr(word, end - word)
                                                  : line + " " + text.substr(word, end - word);
            if (!line.empty() && TextWidth(next) > width) {
                lines.push_back(line);
                line = text.substr(word, end - word);
            } else {
                line = next;
            }
            word = end + 1;
        }
        lines.push_back(line);
        start = newline + 1;
    }
    return lines;
}

// ---- The file chooser

class Chooser {
public:
    static constexpr int kWidth = 540, kRows = 14;
    static constexpr int kListTop = 34, kListHeight = kRows * kLineHeight;
    static constexpr int kNameTop = kListTop + kListHeight + 12;
    static constexpr int kButtonsTop = kNameTop + 36;
    static constexpr int kHeight = kButtonsTop + kButtonHeight + kMargin;

    Chooser(const FileRequest& request, DrawnWindow& win) : m_request(request), m_win(win) {
        m_name = request.proposedName;
        enter(request.folder.empty() ? "/" : request.folder);
    }

    // Handles the input; true once the user chose or cancelled.
    bool Step() {
        bool changed = m_win.TakeExposed();
        for (const ViewEvent& e : m_win.TakeInput()) {
            changed = true;
            if (isEscape(e)) return finish("");
            if (isPressed(e) && accept()) return true;
            if (e.type == ViewEventType::kKey) key(e);
            if (isLeftClick(e) && click(e)) return true;
        }
        if (changed) draw();
        return false;
    }
    const std::string& Chosen() const { return m_chosen; }

private:
    struct Entry {
        std::string name;
        bool folder;
    };

    Rect cancelButton() const { return {kWidth - 2 * (kButtonWidth + kMargin), kButtonsTop, kButtonWidth, kButtonHeight}; }
    Rect okButton() const { return {kWidth - kButtonWidth - kMargin, kButtonsTop, kButtonWidth, kButtonHeight}; }

    bool offered(const fs::path& file) const {
        if (m_request.extensions.empty()) return true;
        std::string ext = file.extension().string();
        if (!ext.empty()) ext.erase(0, 1);
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(tolower(c)); });
        for (std::string wanted : m_request.extensions) {
            std::transform(wanted.begin(), wanted.end(), wanted.begin(), [](unsigned char c) { return char(tolower(c)); });
            if (ext == wanted) return true;
        }
        return false;
    }

    void enter(const fs::path& folder) {
        std::error_code error;
        const fs::path canonical = fs::weakly_canonical(folder, error);
        m_folder = error ? folder.lexically_normal() : canonical;
        m_entries.clear();
        if (m_folder != m_folder.root_path()) m_entries.push_back({"..", true});
        std::vector<Entry> folders, files;
        for (fs::directory_iterator it(m_folder, error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (name.empty() || name[0] == '.') continue;
            std::error_code kind;
            if (it->is_directory(kind))
                folders.push_back({name, true});
            else if (offered(it->path()))
                files.push_back({name, false});
        }
        const auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
        std::sort(folders.begin(), folders.end(), byName);
        std::sort(files.begin(), files.end(), byName);
        m_entries.insert(m_entries.end(), folders.begin(), folders.end());
        m_entries.insert(m_entries.end(), files.begin(), files.end());
        m_selected = -1;
        m_top = 0;
    }

    void select(int row) {
        if (m_entries.empty()) return;
        m_selected = std::clamp(row, 0, int(m_entries.size()) - 1);
        m_top = std::clamp(m_top, m_selected - kRows + 1, m_selected);
        if (!m_entries[size_t(m_selected)].folder) setName(m_entries[size_t(m_selected)].name);
    }

    void setName(const std::string& name) {
        m_name = name;
        m_nameSelected = false;
    }

    bool finish(const std::string& path) {
        m_chosen = path;
        return true;
    }

    // A folder opens; a file is chosen (one to open must exist).
    bool take(const fs::path& path) {
        std::error_code error;
        if (fs::is_directory(path, error)) {
            enter(path);
            setName("");
            return false;
        }
        if (!m_request.save && !fs::is_regular_file(path, error)) return false;
        return finish(path.string());
    }

    bool accept() {
        if (!m_name.empty()) {
            fs::path typed(m_name);
            if (m_name[0] == '~' && getenv("HOME"))
                typed = std::string(getenv("HOME")) + m_name.substr(1);
            return take(typed.is_absolute() ? typed : m_folder / typed);
        }
        if (m_selected < 0) return false;
        const Entry& entry = m_entries[size_t(m_selected)];
        return take(entry.name == ".." ? m_folder.parent_path() : m_folder / entry.name);
    }

    void key(const ViewEvent& e) {
        switch (e.key) {
        case ViewKey::kUp:
            select(m_selected - 1);
            break;
        case ViewKey::kDown:
            select(m_selected + 1);
            break;
        case ViewKey::kBackSpace:
            if (m_nameSelected) {
                setName("");
                break;
            }
            // One character, which may be several bytes.
            while (!m_name.empty() && (m_name.back() & 0xC0) == 0x80)
                m_name.pop_back();
            if (!m_name.empty()) m_name.pop_back();
            break;
        case ViewKey::kSpace:
        case ViewKey::kCharacter:
            if (e.control && !e.alt && !e.command && (e.text[0] == 'a' || e.text[0] == 'A')) {
                m_nameSelected = !m_name.empty();
            } else if (!e.control && !e.alt && !e.command &&
                       static_cast<unsigned char>(e.text[0]) >= 0x20) {
                // What is typed replaces a selected name, as in any text field.
                setName((m_nameSelected ? "" : m_name) + e.text);
            }
            break;
        default:
            break;
        }
    }

    bool click(const ViewEvent& e) {
        if (okButton().Contains(e.x, e.y)) return accept();
        if (cancelButton().Contains(e.x, e.y)) return finish("");
        const Rect list{kMargin, kListTop, kWidth - 2 * kMargin, kListHeight};
        if (!list.Contains(e.x, e.y)) return false;
        const int row = m_top + (e.y - kListTop) / kLineHeight;
        if (row >= int(m_entries.size())) return false;
        select(row);
        if (e.clicks < 2) return false;
        setName("");
        return accept();
    }

    void draw() {
        m_win.Fill(0, 0, kWidth, kHeight, kBackground);
        m_win.Text(kMargin, 22, m_folder.string(), kInk, kWidth - 2 * kMargin);
        m_win.Fill(kMargin, kListTop, kWidth - 2 * kMargin, kListHeight, kField);
        for (int i = 0; i < kRows && m_top + i < int(m_entries.size()); ++i) {
            const Entry& entry = m_entries[size_t(m_top + i)];
            const int y = kListTop + i * kLineHeight;
            const bool selected = m_top + i == m_selected;
            if (selected) m_win.Fill(kMargin, y, kWidth - 2 * kMargin, kLineHeight, kHighlight);
            m_win.Text(kMargin + 6, y + 15, entry.name + (entry.folder ? "/" : ""),
                       selected ? kHighlightInk : kInk, kWidth - 2 * kMargin - 12);
        }
        m_win.Frame(kMargin, kListTop, kWidth - 2 * kMargin, kListHeight, kBorder);
        const int field = kMargin + 60;
        m_win.Text(kMargin, kNameTop + 17, "Name:", kInk, 60);
        m_win.Fill(field, kNameTop, kWidth - field - kMargin, 24, kField);
        m_win.Frame(field, kNameTop, kWidth - field - kMargin, 24, kBorder);
        const int nameWidth = kWidth - field - kMargin - 8;
        if (m_nameSelected)
            m_win.Fill(field + 4, kNameTop + 4, std::min(TextWidth(m_name), nameWidth), 16,
                       kHighlight);
        m_win.Text(field + 4, kNameTop + 17, m_name + (m_nameSelected ? "" : "|"),
                   m_nameSelected ? kHighlightInk : kInk, nameWidth);
        drawButton(m_win, cancelButton(), "Cancel", false);
        drawButton(m_win, okButton(), m_request.save ? "Save" : "Open", true);
        m_win.Show();
    }

    const FileRequest& m_request;
    DrawnWindow& m_win;
    fs::path m_folder;
    std::vector<Entry> m_entries;
    int m_selected = -1;
    int m_top = 0;
    std::string m_name;
    bool m_nameSelected = false; // Ctrl+A
    std::string m_chosen;
};

} // namespace

std::optional<std::string> DrawnChooseFile(const FileRequest& request, const Waiter& wait,
                                           const Owner& owner) {
    auto win = DrawnWindow::Open(request.save ? "Save File" : "Open File", Chooser::kWidth,
                                 Chooser::kHeight, owner);
    if (!win) return std::nullopt;
    Chooser chooser(request, *win);
    if (!wait([&] { return chooser.Step(); })) return std::string();
    return chooser.Chosen();
}

std::optional<int> DrawnMessage(const std::string& text, const std::string& caption,
                                const std::vector<std::string>& buttons, const Waiter& wait,
                                const Owner& owner) {
    constexpr int kWidth = 440;
    const std::vector<std::string> lines = wrap(text, kWidth - 2 * kMargin);
    const int buttonsTop = kMargin + int(lines.size()) * kLineHeight + kMargin;
    const std::unique_ptr<DrawnWindow> win =
        DrawnWindow::Open(caption, kWidth, buttonsTop + kButtonHeight + kMargin, owner);
    if (!win) return std::nullopt;
    const int count = int(buttons.size());
    const auto buttonRect = [&](int i) {
        return Rect{kWidth - (count - i) * (kButtonWidth + kMargin), buttonsTop, kButtonWidth,
                    kButtonHeight};
    };
    const auto cancel = std::find(buttons.begin(), buttons.end(), "Cancel");
    int focused = 0, pressed = -2;
    const auto step = [&] {
        bool changed = win->TakeExposed();
        for (const ViewEvent& e : win->TakeInput()) {
            changed = true;
            if (isPressed(e)) pressed = focused;
            if (isEscape(e)) pressed = cancel == buttons.end() ? -1 : int(cancel - buttons.begin());
            if (e.type == ViewEventType::kKey && e.key == ViewKey::kLeft) focused = std::max(focused - 1, 0);
            if (e.type == ViewEventType::kKey && (e.key == ViewKey::kRight || e.key == ViewKey::kTab))
                focused = std::min(focused + 1, count - 1);
            for (int i = 0; isLeftClick(e) && i < count; ++i)
                if (buttonRect(i).Contains(e.x, e.y)) pressed = i;
            if (pressed != -2) return true;
        }
        if (!changed) return false;
        win->Fill(0, 0, kWidth, buttonsTop + kButtonHeight + kMargin, kBackground);
        for (size_t i = 0; i < lines.size(); ++i)
            win->Text(kMargin, kMargin + 15 + int(i) * kLineHeight, lines[i], kInk, kWidth - 2 * kMargin);
        for (int i = 0; i < count; ++i)
            drawButton(*win, buttonRect(i), buttons[size_t(i)], i == focused);
        win->Show();
        return false;
    };
    if (!wait(step)) return -1;
    return pressed;
}

} // namespace platform::dialogs
