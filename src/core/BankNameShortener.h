#pragma once

#include <string>

// The text a bank list shows for a bank file. Names too long for the editor's display keep
// their first 47 bytes, then "~", a counter and the lower-cased extension; the counter
// numbers the long names of a list that share those 47 bytes one after the other.
class BankNameShortener {
public:
    static constexpr size_t kLongName = 53;
    static constexpr size_t kPrefix = 47;

    // A new list: the count starts again, the last prefix is kept.
    void startList() { count = 0; }
    // The shown name of the next file of the list; the name itself when it is short.
    std::string shownName(const std::string& fileName);

private:
    std::string lastPrefix;
    int count = 0;
};
