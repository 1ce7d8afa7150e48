#pragma once

#include "platform/wsys/Geometry.h"
#include "platform/wsys/Object.h"

#include <string>
#include <vector>

namespace platform::wsys {

// Attribute names asked of accessibility elements.
extern const char* const kAccessibilityChildrenAttribute;
extern const char* const kAccessibilityVisibleChildrenAttribute;

// A list of objects, as attribute values are given.
class ObjectArray : public Object {
public:
    ObjectArray() = default;
    explicit ObjectArray(std::vector<Ref<Object>> items) : m_items(std::move(items)) {}
    const std::vector<Ref<Object>>& Items() const { return m_items; }
    bool operator==(const ObjectArray& o) const;

private:
    std::vector<Ref<Object>> m_items;
};

// What assistive tools ask of an element of the user interface. Views are elements; an
// element may stand for a part of a view. An element that is ignored is skipped, its
// children taking its place.
class AccessibilityElement {
public:
    // The element under a screen point, or null.
    virtual Object* AccessibilityHitTest(Point screen) = 0;
    virtual Object* AccessibilityFocusedUIElement() = 0;
    virtual bool AccessibilityIsIgnored() = 0;
    // Null for an attribute the element does not have.
    virtual Ref<Object> AccessibilityAttributeValue(const std::string& attribute) = 0;

protected:
    ~AccessibilityElement() = default;
};

// The items with each ignored element replaced by its own unignored children, in order.
Ref<ObjectArray> UnignoredChildren(const std::vector<Ref<Object>>& items);

} // namespace platform::wsys
