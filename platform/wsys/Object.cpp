#include "platform/wsys/Object.h"

namespace platform::wsys {

void Object::Release() {
    if (m_refs.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    if (m_deallocating.exchange(true)) return;
    Dealloc();
    delete this;
}

} // namespace platform::wsys
