#pragma once

#include <memory>
#include <string>
#include <vector>

// The display texts of a parameter, the text of value v at index v, each cut to
// kMaxLength characters. A list that Shared gives is one per process and never changes, so
// every parameter of every plug-in instance that shows those texts holds the same list; a
// parameter whose texts are changed one by one works on a copy of its own.
class IParamTexts {
public:
    static constexpr int kMaxLength = 55;

    IParamTexts() = default;
    explicit IParamTexts(const std::vector<std::string>& texts);

    int size() const { return int(m_texts.size()); }
    // The text at index i, 0 <= i < size().
    const char* text(int i) const { return m_texts[size_t(i)].c; }
    // Replaces the text at i, or appends one when i is size(); other indexes change nothing.
    void set(int i, const char* text);

    // The process's one list of these texts, made when no parameter holds it; thread-safe.
    static std::shared_ptr<const IParamTexts> Shared(const std::vector<std::string>& texts);

private:
    struct Text {
        char c[kMaxLength + 1];
    };
    std::vector<Text> m_texts;
};
