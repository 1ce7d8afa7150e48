#include "platform/text/FontResolver.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <strings.h>

namespace platform {

namespace {

constexpr const char* kMonospaceFallback = "DejaVu Sans Mono";
constexpr const char* kProportionalFallback = "DejaVu Sans";

// Monospace faces of other systems whose names do not say so.
constexpr const char* kMonospaceFaces[] = {"Monaco",  "Menlo",       "Consolas",
                                           "Courier", "Courier New", "Fixedsys"};

// A fontconfig configuration of our own, so that the host's is never touched; it is loaded on
// first use and released when the module unloads. Calls into it are made one at a time.
class Fontconfig {
public:
    ~Fontconfig() {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_config) FcConfigDestroy(m_config);
        m_config = nullptr;
        m_closed = true;
    }

    template <class F> bool With(F use) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_config && !m_closed) m_config = FcInitLoadConfigAndFonts();
        return m_config && use(m_config);
    }

private:
    std::mutex m_mutex;
    FcConfig* m_config = nullptr;
    bool m_closed = false;
} s_fontconfig;

bool endsWith(const std::string& s, const char* suffix) {
    const size_t n = strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

bool isMonospaceName(const std::string& family) {
    std::string lower(family);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (lower.find("mono") != std::string::npos) return true;
    return std::any_of(std::begin(kMonospaceFaces), std::end(kMonospaceFaces),
                       [&](const char* face) { return strcasecmp(face, family.c_str()) == 0; });
}

// The best installed face of the family in the style; with exact set, only a face that
// carries that family name counts.
bool match(const std::string& family, bool bold, bool italic, bool exact, FontLocation* out) {
    return s_fontconfig.With([&](FcConfig* config) {
        FcPattern* pattern = FcPatternCreate();
        if (!pattern) return false;
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        FcPattern* font = FcFontMatch(config, pattern, &result);
        FcPatternDestroy(pattern);
        if (!font) return false;

        bool familyMatches = !exact;
        FcChar8* name = nullptr;
        for (int i = 0;
             !familyMatches && FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i)
            familyMatches = strcasecmp(reinterpret_cast<const char*>(name), family.c_str()) == 0;
        FcChar8* file = nullptr;
        const bool found =
            familyMatches && FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch;
        if (found) {
            int index = 0;
            FcPatternGetInteger(font, FC_INDEX, 0, &index);
            out->file = reinterpret_cast<const char*>(file);
            out->index = index;
        }
        FcPatternDestroy(font);
        return found;
    });
}

} // namespace

bool ResolveFontName(const std::string& name, FontLocation* out) {
    *out = FontLocation{};
    std::string family = name;
    const bool italic = endsWith(family, " Italic");
    if (italic) family.resize(family.size() - strlen(" Italic"));
    const bool bold = endsWith(family, " Bold");
    if (bold) family.resize(family.size() - strlen(" Bold"));

    if (!family.empty() && match(family, bold, italic, true, out)) return true;
    const char* fallback = isMonospaceName(family) ? kMonospaceFallback : kProportionalFallback;
    return match(fallback, bold, italic, false, out);
}

bool ResolveLabelFont(FontLocation* out) {
    *out = FontLocation{};
    return match("sans-serif", false, false, false, out);
}

} // namespace platform
