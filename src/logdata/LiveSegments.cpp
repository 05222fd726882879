#include "logdata/LiveSegments.h"

namespace vyx {

bool CLiveSegments::Add(std::unique_ptr<CRecordFile> file) {
    const std::size_t count = m_count.load(std::memory_order_relaxed);
    if (count == kCapacity) return false;
    m_slots[count] = std::move(file);
    m_count.store(count + 1, std::memory_order_release);
    return true;
}

void CLiveSegments::Clear() {
    const std::size_t count = m_count.load(std::memory_order_relaxed);
    m_count.store(0, std::memory_order_release);
    for (std::size_t i = 0; i < count; ++i) m_slots[i].reset();
}

}  // namespace vyx
