#include "src/librarian/PatchLibrarian.h"

#include <algorithm>

// Blofeld and microQ sound dumps are rewritten into the Q layout while a bank is read, so the
// rest of the editor only ever sees Q sounds. The rules are value clamps and shifts by position.

namespace {
using Rule = uint8_t (*)(uint8_t);

struct PositionRule {
    std::vector<int> positions;
    Rule apply;
};

uint8_t masked(int v) {
    return uint8_t(v & 0x7F);
}

const std::vector<PositionRule>& blofeldRules() {
    static const std::vector<PositionRule> rules = {
        {{15, 31}, [](uint8_t v) -> uint8_t { return v >= 7 ? 0 : v; }},
        {{17, 33, 49, 57, 96, 101, 116, 121, 130, 268, 271, 274, 277, 280, 283, 286, 289},
         [](uint8_t v) -> uint8_t {
             if (v >= 17 || v == 10 || v == 12 || v == 14) return 0;
             if (v == 15) return 12;
             if (v == 16) return 11;
             return v;
         }},
        {{252, 253, 256, 257, 260, 261, 264, 265, 292, 295, 298, 301, 304, 307, 310, 313},
         [](uint8_t v) -> uint8_t { return v == 24 ? 0 : v; }},
        {{269, 272, 275, 278, 281, 284, 287, 290},
         [](uint8_t v) -> uint8_t { return v >= 31 ? 0 : v; }},
        {{293, 296, 299, 302, 305, 308, 311, 314},
         [](uint8_t v) -> uint8_t { return v >= 54 ? 0 : v; }},
        {{19, 20, 21, 22, 23, 35, 36, 37, 38, 39, 55, 76, 89, 109},
         [](uint8_t) -> uint8_t { return 0; }},
        {{84, 104}, [](uint8_t v) -> uint8_t { return v >= 18 ? 1 : v; }},
        {{151}, [](uint8_t v) -> uint8_t { return v == 6 ? 7 : v; }},
    };
    return rules;
}

// Rules that rewrite a position in place.
const std::vector<PositionRule>& microQRules() {
    static const std::vector<PositionRule> rules = {
        {{13, 29, 45}, [](uint8_t v) -> uint8_t { return v >= 5 ? masked(v + 3) : v; }},
        {{15, 31, 47}, [](uint8_t v) -> uint8_t { return v != 0 ? uint8_t(v - 1) : v; }},
        {{124}, [](uint8_t v) -> uint8_t { return v == 0 ? 127 : v; }},
        {{135}, [](uint8_t v) -> uint8_t { return v >= 4 ? masked(v + 1) : v; }},
        {{151},
         [](uint8_t v) -> uint8_t {
             if (v <= 3) return v;
             if (v == 7) return 4;
             if (v == 9) return 32;
             if (v == 10) return 33;
             return masked(v + 1);
         }},
    };
    return rules;
}

// From position 252 on, the Q dump holds the microQ values one position further on; these
// rules say what some of them become on the way.
const std::vector<PositionRule>& microQShiftRules() {
    static const std::vector<PositionRule> rules = {
        {{252, 253, 256, 257, 260, 261, 264, 265, 292, 295, 298, 301, 304, 307, 310, 313},
         [](uint8_t v) -> uint8_t { return v < 31    ? v
                                           : v <= 36 ? uint8_t(v + 12)
                                                     : 0; }},
        {{269, 272, 275, 278, 281, 284, 287, 290, 293, 296, 299, 302, 305, 308, 311, 314},
         [](uint8_t v) -> uint8_t { return uint8_t(std::min(v + 1, 127)); }},
    };
    return rules;
}

constexpr int kBlofeldSize = 392;
constexpr int kMicroQReadSize = 391; // the microQ rules read positions 0 to 390
constexpr int kFirstShifted = 254;
constexpr int kBlofeldCategory = 386;

// Padded with blanks as the Q writes them: the Blofeld's zero bytes after a short text would
// make "Pad" a category apart from "Pad " and reach the synthesizer.
const char kBlofeldCategories[][5] = {"Init", "Arp ", "Atmo", "Bass", "Drum", "FX  ", "Keys",
                                      "Lead", "Mono", "Pad ", "Perc", "Poly", "Seq "};
} // namespace

void PatchLibrarian::alterPatchFromBlofeldFormat(PatchSysexMessage* message) {
    message->padTo(kBlofeldSize);
    std::vector<uint8_t>& b = message->bytes;
    for (const PositionRule& rule : blofeldRules())
        for (int i : rule.positions)
            b[i] = rule.apply(b[i]);
    b.resize(kBlofeldSize);
}

void PatchLibrarian::alterBlofeldCategoryFormat(PatchSysexMessage* message) {
    message->padTo(kBlofeldCategory + 4);
    std::vector<uint8_t>& b = message->bytes;
    const int number = b[kBlofeldCategory];
    const int count = int(sizeof kBlofeldCategories / sizeof kBlofeldCategories[0]);
    const char* text = kBlofeldCategories[number < count ? number : 0];
    std::copy(text, text + 4, b.begin() + kBlofeldCategory);
}

void PatchLibrarian::alterPatchFromMicroQFormat(PatchSysexMessage* message) {
    message->padTo(kMicroQReadSize);
    const std::vector<uint8_t> old = message->bytes;
    std::vector<uint8_t>& b = message->bytes;
    b.resize(PatchSysexMessage::kSoundSize, 0);
    for (const PositionRule& rule : microQRules())
        for (int i : rule.positions)
            b[i] = rule.apply(old[i]);
    for (int i = kFirstShifted; i < kMicroQReadSize; ++i)
        b[i + 1] = old[i];
    for (const PositionRule& rule : microQShiftRules())
        for (int i : rule.positions)
            b[i + 1] = rule.apply(old[i]);
    b[PatchSysexMessage::kSoundSize - 1] = 0xF7;
}
