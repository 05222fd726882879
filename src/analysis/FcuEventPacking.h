#pragma once
// The events file holds its events in blocks of kEventBlockEvents. A block whose events lie close together
// (times, serial numbers and day files within a few bits of the block's least ones, as the events of a
// time-ordered pass do) is packed in 16 bytes an event instead of 24: writing the file is much of the events
// pass's cost. Any other block, and the events after the last whole block, are stored as FcuEvent records.

#include <cstddef>
#include <cstdint>

#include "analysis/FcuEvent.h"

namespace vyx {

constexpr std::size_t kEventBlockEvents = 4096;
constexpr std::size_t kPackedEventBytes = 16;

struct FcuEventBlock {
    std::uint64_t fileOffset = 0;
    std::int64_t baseSerial = 0;  // the least of the block's events, which the packed ones count from
    std::uint32_t baseTime = 0;
    std::uint16_t baseDayFile = 0;
    bool packed = false;

    std::size_t Bytes() const { return kEventBlockEvents * (packed ? kPackedEventBytes : sizeof(FcuEvent)); }
};

// Packs kEventBlockEvents events into out (kEventBlockEvents * kPackedEventBytes bytes) and sets the block's
// bases and packed; false (out untouched) when any event does not fit.
bool PackEventBlock(const FcuEvent* events, FcuEventBlock& block, std::uint8_t* out);

// The events of a packed block, from its bytes.
void UnpackEventBlock(const FcuEventBlock& block, const std::uint8_t* in, FcuEvent* events);

}  // namespace vyx
