#include "platform/wsys/Accessibility.h"

namespace platform::wsys {

const char* const kAccessibilityChildrenAttribute = "AXChildren";
const char* const kAccessibilityVisibleChildrenAttribute = "AXVisibleChildren";

bool ObjectArray::operator==(const ObjectArray& o) const {
    if (m_items.size() != o.m_items.size()) return false;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() != o.m_items[i].get()) return false;
    return true;
}

namespace {
void addUnignored(Object* item, std::vector<Ref<Object>>* out) {
    auto* element = dynamic_cast<AccessibilityElement*>(item);
    if (!element || !element->AccessibilityIsIgnored()) {
        out->push_back(item);
        return;
    }
    const Ref<Object> children = element->AccessibilityAttributeValue(kAccessibilityChildrenAttribute);
    if (auto* list = dynamic_cast<ObjectArray*>(children.get()))
        for (const Ref<Object>& child : list->Items())
            addUnignored(child.get(), out);
}
} // namespace

Ref<ObjectArray> UnignoredChildren(const std::vector<Ref<Object>>& items) {
    std::vector<Ref<Object>> out;
    for (const Ref<Object>& item : items)
        addUnignored(item.get(), &out);
    return Make<ObjectArray>(std::move(out));
}

} // namespace platform::wsys
