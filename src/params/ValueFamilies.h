#pragma once

#include <cstddef>
#include <string>

class ParamChangePlugin;

// The value texts of the parameter display, one table of families. A family claims
// `members` runs of `width` ids (16 for a per-part parameter, 1 for a single id), `stride`
// ids apart, and makes the value text of each with its rule. No id belongs to two families.

// What a rule is given.
struct ValueTextArgs {
    ParamChangePlugin* plug;
    int id;
    int s;    // the value shown: the value argument truncated
    int p;    // the parameter's stored value truncated: the index into value lists
    double v; // the value argument itself
};

// How a rule ends the display.
enum class ValueLine {
    kWithEnding, // the value line is the text, a blank and "[s]"
    kWhole,      // the text is the whole value line
    kUntouched,  // the value line keeps its text
};

struct ValueFamily;
// Fills text (empty on entry) and says how the line ends.
using ValueRule = ValueLine (*)(const ValueTextArgs& args, const ValueFamily& family,
                                std::string& text);
// The computed text of a shown value.
using ValueFormula = std::string (*)(const ValueTextArgs& args);

// A signed amount around a centre: centreText at the centre, s − centre from low up to it,
// "+" and s − centre above it up to high; empty elsewhere.
struct SignedOffset {
    int centre;
    int low;
    int high;
    const char* centreText;
};

// The fixed text of one shown value.
struct FixedWord {
    int s;
    const char* text;
};

struct FamilyIds {
    int first;
    int width;
    int members;
    int stride;
};
constexpr FamilyIds perPart(int first, int members = 1, int stride = 16) {
    return {first, 16, members, stride};
}
constexpr FamilyIds single(int id) {
    return {id, 1, 1, 1};
}
// count single ids, stride apart.
constexpr FamilyIds singles(int first, int count, int stride = 1) {
    return {first, 1, count, stride};
}

struct ValueFamily {
    FamilyIds ids;
    ValueRule rule;
    const char* list;       // the value list the rule reads, or null
    SignedOffset offset;    // signedOffset
    const FixedWord* words; // fixedWords, percentage: the words, ending with a null text
    int add;                // shownPlus: added to s
    ValueFormula between;   // percentage: the text of an s from 1 to 126 that has no word
    bool claims(int id) const;
};

// The rule kinds that rows share.
// Entry p of the family's list; empty when the list is missing or shorter.
ValueLine listEntry(const ValueTextArgs& args, const ValueFamily& family, std::string& text);
ValueLine signedOffset(const ValueTextArgs& args, const ValueFamily& family, std::string& text);
// The word of s; empty when s has none.
ValueLine fixedWords(const ValueTextArgs& args, const ValueFamily& family, std::string& text);
// s + add, with a minus sign only when that is negative.
ValueLine shownPlus(const ValueTextArgs& args, const ValueFamily& family, std::string& text);
// The word of s, else for s from 1 to 126 the family's formula; empty elsewhere.
ValueLine percentage(const ValueTextArgs& args, const ValueFamily& family, std::string& text);

// Rows of each kind. A list rule other than listEntry reads the list its row names.
constexpr ValueFamily listFamily(FamilyIds ids, const char* list, ValueRule rule = listEntry) {
    return {ids, rule, list, {}, nullptr, 0, nullptr};
}
constexpr ValueFamily offsetFamily(FamilyIds ids, SignedOffset offset) {
    return {ids, signedOffset, nullptr, offset, nullptr, 0, nullptr};
}
constexpr ValueFamily wordFamily(FamilyIds ids, const FixedWord* words) {
    return {ids, fixedWords, nullptr, {}, words, 0, nullptr};
}
constexpr ValueFamily shownPlusFamily(FamilyIds ids, int add) {
    return {ids, shownPlus, nullptr, {}, nullptr, add, nullptr};
}
constexpr ValueFamily percentFamily(FamilyIds ids, const FixedWord* words, ValueFormula between) {
    return {ids, percentage, nullptr, {}, words, 0, between};
}
constexpr ValueFamily ruleFamily(FamilyIds ids, ValueRule rule) {
    return {ids, rule, nullptr, {}, nullptr, 0, nullptr};
}

// The families in the order they are tried.
struct ValueFamilyTable {
    const ValueFamily* first;
    size_t size;
    const ValueFamily* begin() const { return first; }
    const ValueFamily* end() const { return first + size; }
};
ValueFamilyTable valueFamilies();
// The family that claims id, or null.
const ValueFamily* findValueFamily(int id);
