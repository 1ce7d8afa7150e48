#include "platform/view/View.h"

#include <algorithm>

namespace platform {

ViewRect ViewRect::Intersect(const ViewRect& r) const {
    ViewRect i{std::max(left, r.left), std::max(top, r.top), std::min(right, r.right),
               std::min(bottom, r.bottom)};
    return i.IsEmpty() ? ViewRect() : i;
}

} // namespace platform
