#pragma once

#include "platform/wsys/Object.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::wsys {

// Pasteboard types, by AppKit's names.
constexpr const char* kStringPboardType = "NSStringPboardType";
constexpr const char* kFilenamesPboardType = "NSFilenamesPboardType";
constexpr const char* kFilesPromisePboardType = "NSFilesPromisePboardType";

// A pasteboard of this process: the general one stands for the system clipboard, the drag one
// carries what a drag offers, and any other is found by its name. Declaring types drops what
// the pasteboard held; data may then be written under the declared types only. UI thread.
class Pasteboard : public Object {
public:
    static Pasteboard* General();
    static Pasteboard* Drag();
    // Made on the first request for the name.
    static Pasteboard* WithName(const std::string& name);
    // Every pasteboard emptied, its owner let go. For tests.
    static void ResetAll();

    const std::string& Name() const { return m_name; }
    // The new change count. The owner is retained until the next declaration.
    int DeclareTypes(const std::vector<std::string>& types, Object* owner);
    // The declared types, in declaration order.
    std::vector<std::string> Types() const;
    Object* Owner() const { return m_owner.get(); }
    int ChangeCount() const { return m_changes; }

    // False for a type that is not declared.
    bool SetData(const std::vector<uint8_t>& data, const std::string& type);
    bool SetString(const std::string& utf8, const std::string& type);
    bool SetStringList(const std::vector<std::string>& list, const std::string& type);
    // None for a type not declared or given no data.
    std::optional<std::vector<uint8_t>> DataForType(const std::string& type) const;
    std::optional<std::string> StringForType(const std::string& type) const;
    std::optional<std::vector<std::string>> StringListForType(const std::string& type) const;

    explicit Pasteboard(std::string name) : m_name(std::move(name)) {}

private:
    struct Entry {
        std::string type;
        std::optional<std::vector<uint8_t>> data;
    };
    const Entry* find(const std::string& type) const;

    std::string m_name;
    std::vector<Entry> m_entries;
    Ref<Object> m_owner;
    int m_changes = 0;
};

} // namespace platform::wsys
