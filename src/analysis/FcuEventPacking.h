#pragma once
// The events file holds its events in blocks of kEventBlockEvents. A block whose events lie close together
// (times, serial numbers and day files within a few bits of the block's first event's, as the events of a
// time-ordered pass do) is packed: 8 bytes an event, and 8 more for each record whose events start there
// (a record gives some three events on a busy loop), instead of 24. Writing the file, and deleting it on a
// disk that discards freed blocks at once, is much of the events pass's cost. Any other block, and the
// events after the last whole block, are stored as FcuEvent records.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "analysis/FcuEvent.h"

namespace vyx {

constexpr std::size_t kEventBlockEvents = 4096;
// The most a packed event takes: its own word and its record's.
constexpr std::size_t kPackedEventBytes = 16;

struct FcuEventBlock {
    std::uint64_t fileOffset = 0;
    // The block's first event's, which the packed ones count from.
    std::int64_t baseSerial = 0;
    std::uint32_t baseTime = 0;
    std::uint16_t baseDayFile = 0;
    bool packed = false;
    std::uint32_t packedBytes = 0;

    std::size_t Bytes() const { return packed ? packedBytes : kEventBlockEvents * sizeof(FcuEvent); }
};

namespace packing {

// A packed event is one 64-bit word with the fields below, and, where its record differs from that of the
// event before it (always for a block's first), a second word with the record's fields. Words are
// little-endian.
constexpr int kKindBits = 3;
constexpr int kFcuBits = 9;
constexpr int kEdgeBits = 2;
constexpr int kCodeBits = 8;
constexpr int kValueBits = 16;
constexpr int kNewRecordBits = 1;
constexpr int kSerialBits = 25;  // some 16 million records either side of the block's first
static_assert(kKindBits + kFcuBits + kEdgeBits + kCodeBits + kValueBits + kNewRecordBits + kSerialBits == 64);
constexpr int kFcuShift = kKindBits;
constexpr int kEdgeShift = kFcuShift + kFcuBits;
constexpr int kCodeShift = kEdgeShift + kEdgeBits;
constexpr int kValueShift = kCodeShift + kCodeBits;
constexpr int kNewRecordShift = kValueShift + kValueBits;
constexpr int kSerialShift = kNewRecordShift + kNewRecordBits;

// The record's word.
constexpr int kOffsetBits = 32;
constexpr int kTimeBits = 23;    // some 97 days after the block's first time
constexpr int kDayFileBits = 4;  // 8 day files before the first's to 7 after
constexpr int kChannelBits = 1;
constexpr int kSourceBits = 4;
static_assert(kOffsetBits + kTimeBits + kDayFileBits + kChannelBits + kSourceBits == 64);
constexpr int kTimeShift = kOffsetBits;
constexpr int kDayFileShift = kTimeShift + kTimeBits;
constexpr int kChannelShift = kDayFileShift + kDayFileBits;
constexpr int kSourceShift = kChannelShift + kChannelBits;

// Serial numbers and day files go back as well as forward from the first event's (the pass merges day files
// by time); they are stored with these added.
constexpr std::int64_t kSerialBias = std::int64_t{1} << (kSerialBits - 1);
constexpr int kDayFileBias = 1 << (kDayFileBits - 1);

}  // namespace packing

// Packs the events of one block as they come, a record's events at a time, into room for
// kEventBlockEvents * kPackedEventBytes bytes, so a pass packs each event while it has it at hand.
class CEventBlockPacker {
public:
    void Begin(std::uint8_t* out) {
        m_out = out;
        m_at = out;
        m_count = 0;
    }

    // Packs `count` events of one record, which share its fields (time, offset, serial, day file, channel,
    // source), with no more than the block has room for. False, with the block left as it was, when one of
    // them lies out of the packing's reach.
    bool AddRecord(const FcuEvent* events, std::size_t count) {
        using namespace packing;
        if (count == 0) return true;
        const FcuEvent& first = events[0];
        if (m_count == 0) m_base = first;
        const std::uint32_t time = first.time - m_base.time;
        const auto serial = static_cast<std::uint64_t>(first.Serial() - m_base.Serial() + kSerialBias);
        const auto dayFile = static_cast<std::uint32_t>(first.dayFile - m_base.dayFile + kDayFileBias);
        if ((time >> kTimeBits) != 0 || (serial >> kSerialBits) != 0 || (dayFile >> kDayFileBits) != 0 ||
            (first.channel >> kChannelBits) != 0 || (first.source >> kSourceBits) != 0) {
            return false;
        }
        std::uint8_t* at = m_at;
        for (std::size_t i = 0; i < count; ++i) {
            const FcuEvent& e = events[i];
            if (((static_cast<unsigned>(e.kind) >> kKindBits) | (e.fcu >> kFcuBits) |
                 (static_cast<unsigned>(e.edge) >> kEdgeBits)) != 0) {
                return false;
            }
            std::uint64_t word = static_cast<std::uint8_t>(e.kind);
            word |= std::uint64_t{e.fcu} << kFcuShift;
            word |= std::uint64_t{static_cast<std::uint8_t>(e.edge)} << kEdgeShift;
            word |= std::uint64_t{e.code} << kCodeShift;
            word |= std::uint64_t{e.value} << kValueShift;
            word |= std::uint64_t{i == 0} << kNewRecordShift;  // the record's word follows its first event's
            word |= serial << kSerialShift;
            std::memcpy(at, &word, 8);
            at += 8;
            if (i == 0) {
                std::uint64_t record = first.offset;
                record |= std::uint64_t{time} << kTimeShift;
                record |= std::uint64_t{dayFile} << kDayFileShift;
                record |= std::uint64_t{first.channel} << kChannelShift;
                record |= std::uint64_t{first.source} << kSourceShift;
                std::memcpy(at, &record, 8);
                at += 8;
            }
        }
        m_at = at;
        m_count += count;
        return true;
    }

    std::size_t Count() const { return m_count; }

    // After kEventBlockEvents events: sets the block's bases, packed and packedBytes.
    void Finish(FcuEventBlock& block) const;
    // The events packed so far, as they were given, into out.
    void Unpack(FcuEvent* out) const;

private:
    std::uint8_t* m_out = nullptr;
    std::uint8_t* m_at = nullptr;
    std::size_t m_count = 0;
    FcuEvent m_base;
};

// Packs kEventBlockEvents events into out (room for kEventBlockEvents * kPackedEventBytes bytes) and sets the
// block's bases, packed and packedBytes; false when any event does not fit.
bool PackEventBlock(const FcuEvent* events, FcuEventBlock& block, std::uint8_t* out);

// The events of a packed block, from its block.Bytes() bytes; false when they do not hold the block whole.
bool UnpackEventBlock(const FcuEventBlock& block, const std::uint8_t* in, FcuEvent* events);

}  // namespace vyx
