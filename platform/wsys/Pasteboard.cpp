#include "platform/wsys/Pasteboard.h"

#include <map>

namespace platform::wsys {

namespace {

constexpr const char* kGeneralName = "Apple CFPasteboard general";
constexpr const char* kDragName = "Apple CFPasteboard drag";

std::map<std::string, Ref<Pasteboard>>& pasteboards() {
    static std::map<std::string, Ref<Pasteboard>> all;
    return all;
}

} // namespace

Pasteboard* Pasteboard::General() {
    return WithName(kGeneralName);
}

Pasteboard* Pasteboard::Drag() {
    return WithName(kDragName);
}

Pasteboard* Pasteboard::WithName(const std::string& name) {
    Ref<Pasteboard>& p = pasteboards()[name];
    if (!p) p = Make<Pasteboard>(name);
    return p.get();
}

void Pasteboard::ResetAll() {
    for (auto& [name, p] : pasteboards())
        p->DeclareTypes({}, nullptr);
}

int Pasteboard::DeclareTypes(const std::vector<std::string>& types, Object* owner) {
    m_entries.clear();
    for (const std::string& t : types)
        if (!find(t)) m_entries.push_back(Entry{t, std::nullopt});
    m_owner = owner;
    return ++m_changes;
}

std::vector<std::string> Pasteboard::Types() const {
    std::vector<std::string> types;
    for (const Entry& e : m_entries)
        types.push_back(e.type);
    return types;
}

const Pasteboard::Entry* Pasteboard::find(const std::string& type) const {
    for (const Entry& e : m_entries)
        if (e.type == type) return &e;
    return nullptr;
}

bool Pasteboard::SetData(const std::vector<uint8_t>& data, const std::string& type) {
    Entry* e = const_cast<Entry*>(find(type));
    if (!e) return false;
    e->data = data;
    return true;
}

bool Pasteboard::SetString(const std::string& utf8, const std::string& type) {
    return SetData(std::vector<uint8_t>(utf8.begin(), utf8.end()), type);
}

// A list is kept as its strings, each ended by a zero byte: no string holds one.
bool Pasteboard::SetStringList(const std::vector<std::string>& list, const std::string& type) {
    std::vector<uint8_t> data;
    for (const std::string& s : list) {
        data.insert(data.end(), s.begin(), s.end());
        data.push_back(0);
    }
    return SetData(data, type);
}

std::optional<std::vector<uint8_t>> Pasteboard::DataForType(const std::string& type) const {
    const Entry* e = find(type);
    return e ? e->data : std::nullopt;
}

std::optional<std::string> Pasteboard::StringForType(const std::string& type) const {
    const Entry* e = find(type);
    if (!e || !e->data) return std::nullopt;
    return std::string(e->data->begin(), e->data->end());
}

std::optional<std::vector<std::string>>
Pasteboard::StringListForType(const std::string& type) const {
    const std::optional<std::string> all = StringForType(type);
    if (!all) return std::nullopt;
    std::vector<std::string> list;
    for (size_t at = 0; at < all->size();) {
        size_t end = all->find('\0', at);
        if (end == std::string::npos) end = all->size();
        list.push_back(all->substr(at, end - at));
        at = end + 1;
    }
    return list;
}

} // namespace platform::wsys
