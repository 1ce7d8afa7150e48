#include "kit/effect/IParamTexts.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

// The part of text that a list keeps.
size_t keptLength(const char* text) {
    return strnlen(text, IParamTexts::kMaxLength);
}

// The lists that parameters hold, by their texts, each followed by a zero byte. An entry goes
// with its list's last holder.
struct Registry {
    std::mutex mutex;
    std::unordered_map<std::string, std::weak_ptr<const IParamTexts>> lists;
};

// Never destroyed: a plug-in left alive at exit lets its lists go after static destruction.
Registry& registry() {
    static Registry* r = new Registry;
    return *r;
}

struct Unregister {
    std::string key;
    void operator()(const IParamTexts* list) const {
        {
            Registry& r = registry();
            std::lock_guard<std::mutex> lock(r.mutex);
            const auto it = r.lists.find(key);
            // Another holder may have made the same texts anew since this list's last went.
            if (it != r.lists.end() && it->second.expired()) r.lists.erase(it);
        }
        delete list;
    }
};

} // namespace

IParamTexts::IParamTexts(const std::vector<std::string>& texts) {
    m_texts.reserve(texts.size());
    for (const std::string& t : texts)
        set(size(), t.c_str());
}

void IParamTexts::set(int i, const char* text) {
    if (i < 0 || i > size()) return;
    if (i == size()) m_texts.emplace_back();
    if (!text) text = "";
    const size_t n = keptLength(text);
    memcpy(m_texts[size_t(i)].c, text, n);
    m_texts[size_t(i)].c[n] = 0;
}

std::shared_ptr<const IParamTexts> IParamTexts::Shared(const std::vector<std::string>& texts) {
    std::string key;
    for (const std::string& t : texts)
        key.append(t.c_str(), keptLength(t.c_str())).push_back(0);
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::weak_ptr<const IParamTexts>& entry = r.lists[key];
    if (std::shared_ptr<const IParamTexts> list = entry.lock()) return list;
    std::shared_ptr<const IParamTexts> list(new IParamTexts(texts), Unregister{key});
    entry = list;
    return list;
}
