#include "analysis/FcuEventPacking.h"

namespace vyx {
namespace {

using namespace packing;

constexpr std::uint64_t Field(std::uint64_t word, int shift, int bits) {
    return (word >> shift) & ((std::uint64_t{1} << bits) - 1);
}

}  // namespace

bool PackEventBlock(const FcuEvent* events, FcuEventBlock& block, std::uint8_t* out) {
    CEventBlockPacker packer;
    packer.Begin(out);
    for (std::size_t i = 0; i < kEventBlockEvents; ++i) packer.Add(events[i]);
    return packer.Finish(block);
}

bool UnpackEventBlock(const FcuEventBlock& block, const std::uint8_t* in, FcuEvent* events) {
    const std::uint8_t* const end = in + block.Bytes();
    FcuEvent record;  // the record fields of the latest record word
    for (std::size_t i = 0; i < kEventBlockEvents; ++i) {
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

}  // namespace vyx
