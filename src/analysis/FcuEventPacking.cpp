#include "analysis/FcuEventPacking.h"

namespace vyx {
namespace {

using namespace packing;

constexpr std::uint64_t Field(std::uint64_t word, int shift, int bits) {
    return (word >> shift) & ((std::uint64_t{1} << bits) - 1);
}

bool SameRecord(const FcuEvent& a, const FcuEvent& b) {
    return a.time == b.time && a.offset == b.offset && a.serialLow == b.serialLow && a.serialHigh == b.serialHigh &&
           a.dayFile == b.dayFile && a.channel == b.channel && a.source == b.source;
}

// The first `count` events of a packed block.
bool UnpackEvents(const FcuEventBlock& block, const std::uint8_t* in, std::size_t count, FcuEvent* events) {
    const std::uint8_t* const end = in + block.Bytes();
    FcuEvent record;  // the record fields of the latest record word
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t word = 0;
        if (end - in < 8) return false;
        std::memcpy(&word, in, 8);
        in += 8;
        if (Field(word, kNewRecordShift, kNewRecordBits) != 0) {
            std::uint64_t r = 0;
            if (end - in < 8) return false;
            std::memcpy(&r, in, 8);
            in += 8;
            record.offset = static_cast<std::uint32_t>(r);
            record.time = block.baseTime + static_cast<std::uint32_t>(Field(r, kTimeShift, kTimeBits));
            record.dayFile = static_cast<std::uint16_t>(block.baseDayFile +
                                                        static_cast<int>(Field(r, kDayFileShift, kDayFileBits)) -
                                                        kDayFileBias);
            record.channel = static_cast<std::uint8_t>(Field(r, kChannelShift, kChannelBits));
            record.source = static_cast<std::uint8_t>(Field(r, kSourceShift, kSourceBits));
        } else if (i == 0) {
            return false;
        }
        FcuEvent& e = events[i];
        e = record;
        e.kind = static_cast<FcuEventKind>(Field(word, 0, kKindBits));
        e.fcu = static_cast<std::uint16_t>(Field(word, kFcuShift, kFcuBits));
        e.edge = static_cast<FcuEventEdge>(Field(word, kEdgeShift, kEdgeBits));
        e.code = static_cast<std::uint8_t>(Field(word, kCodeShift, kCodeBits));
        e.value = static_cast<std::uint16_t>(Field(word, kValueShift, kValueBits));
        e.SetSerial(block.baseSerial + static_cast<std::int64_t>(Field(word, kSerialShift, kSerialBits)) -
                    kSerialBias);
    }
    return in == end;
}

}  // namespace

void CEventBlockPacker::Finish(FcuEventBlock& block) const {
    block.baseSerial = m_base.Serial();
    block.baseTime = m_base.time;
    block.baseDayFile = m_base.dayFile;
    block.packed = true;
    block.packedBytes = static_cast<std::uint32_t>(m_at - m_out);
}

void CEventBlockPacker::Unpack(FcuEvent* out) const {
    FcuEventBlock block;
    Finish(block);
    UnpackEvents(block, m_out, m_count, out);
}

bool PackEventBlock(const FcuEvent* events, FcuEventBlock& block, std::uint8_t* out) {
    CEventBlockPacker packer;
    packer.Begin(out);
    for (std::size_t i = 0; i < kEventBlockEvents;) {
        std::size_t end = i + 1;
        while (end < kEventBlockEvents && SameRecord(events[end], events[i])) ++end;
        if (!packer.AddRecord(events + i, end - i)) return false;
        i = end;
    }
    packer.Finish(block);
    return true;
}

bool UnpackEventBlock(const FcuEventBlock& block, const std::uint8_t* in, FcuEvent* events) {
    return UnpackEvents(block, in, kEventBlockEvents, events);
}

}  // namespace vyx
