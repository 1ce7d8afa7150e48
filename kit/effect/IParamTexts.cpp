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
// with its list's last holder, and the table with its last entry: the module unloaded with no
// parameter alive leaves nothing behind, while a plug-in left alive at exit lets its lists go
// after static destruction. The lock has nothing to destroy.
std::mutex g_registryLock;
std::unordered_map<std::string, std::weak_ptr<const IParamTexts>>* g_lists = nullptr;

struct Unregister {
    std::string key;
    void operator()(const IParamTexts* list) const {
        {
            std::lock_guard<std::mutex> lock(g_registryLock);
            // Another holder may have made the same texts anew since this list's last went, and
            // let them go, table and all.
            if (g_lists) {
                const auto it = g_lists->find(key);
                if (it != g_lists->end() && it->second.expired()) g_lists->erase(it);
                if (g_lists->empty()) {
                    delete g_lists;
                    g_lists = nullptr;
                }
            }
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
    std::lock_guard<std::mutex> lock(g_registryLock);
    if (!g_lists) g_lists = new std::unordered_map<std::string, std::weak_ptr<const IParamTexts>>;
    std::weak_ptr<const IParamTexts>& entry = (*g_lists)[key];
    if (std::shared_ptr<const IParamTexts> list = entry.lock()) return list;
    std::shared_ptr<const IParamTexts> list(new IParamTexts(texts), Unregister{key});
    entry = list;
    return list;
}
