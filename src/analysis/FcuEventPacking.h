#pragma once
// The events file holds its events in blocks of kEventBlockEvents. A block whose events lie close together
// (times, serial numbers and day files within a few bits of the block's least ones, as the events of a
// time-ordered pass do) is packed: 8 bytes an event, and 8 more for each record whose events start there
// (a record gives some three events on a busy loop), instead of 24. Writing the file, and deleting it on a
// disk that discards freed blocks at once, is much of the events pass's cost. Any other block, and the
// events after the last whole block, are stored as FcuEvent records.

#include <cstddef>
#include <cstdint>

#include "analysis/FcuEvent.h"

namespace vyx {

constexpr std::size_t kEventBlockEvents = 4096;
// The most a packed event takes: its own word and its record's.
constexpr std::size_t kPackedEventBytes = 16;

struct FcuEventBlock {
    std::uint64_t fileOffset = 0;
    std::int64_t baseSerial = 0;  // the least of the block's events, which the packed ones count from
    std::uint32_t baseTime = 0;
    std::uint16_t baseDayFile = 0;
    bool packed = false;
    std::uint32_t packedBytes = 0;

    std::size_t Bytes() const { return packed ? packedBytes : kEventBlockEvents * sizeof(FcuEvent); }
};

// Packs kEventBlockEvents events into out (room for kEventBlockEvents * kPackedEventBytes bytes) and sets the
// block's bases, packed and packedBytes; false (out untouched) when any event does not fit.
bool PackEventBlock(const FcuEvent* events, FcuEventBlock& block, std::uint8_t* out);

// The events of a packed block, from its block.Bytes() bytes; false when they do not hold the block whole.
bool UnpackEventBlock(const FcuEventBlock& block, const std::uint8_t* in, FcuEvent* events);

}  // namespace vyx
