#include "src/core/BankNameShortener.h"

std::string BankNameShortener::shownName(const std::string& fileName) {
    if (fileName.size() < kLongName) return fileName;
    const std::string prefix = fileName.substr(0, kPrefix);
    count = prefix == lastPrefix ? count + 1 : 1;
    lastPrefix = prefix;
    const size_t dot = fileName.rfind('.');
    std::string extension = dot == std::string::npos ? fileName : fileName.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return prefix + "~" + std::to_string(count) + "." + extension;
}
