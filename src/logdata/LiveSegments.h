#pragma once
// The parts of day files that a follow adds to the store after its load. Each segment lists records of one
// day file with its own index file and a range of serial numbers after everything before it; a new segment
// starts whenever records come from another day file than the last ones. The follow's thread appends;
// other threads read: a segment is counted (release) only once it is in its slot, readers load the count
// (acquire) first, so they never see a half-made one.

#include <array>
#include <atomic>
#include <cstddef>
#include <memory>

#include "logdata/RecordFile.h"

namespace vyx {

class CLiveSegments {
public:
    static constexpr std::size_t kCapacity = 2048;

    std::size_t Count() const { return m_count.load(std::memory_order_acquire); }
    CRecordFile* At(std::size_t i) const { return m_slots[i].get(); }
    // The writer only; false when every slot is taken.
    bool Add(std::unique_ptr<CRecordFile> file);
    // Only while no writer and no reader runs (after the load was stopped).
    void Clear();

private:
    std::array<std::unique_ptr<CRecordFile>, kCapacity> m_slots;
    std::atomic<std::size_t> m_count{0};
};

}  // namespace vyx
