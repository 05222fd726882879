#include "analysis/FcuEventPacking.h"

#include <algorithm>
#include <cstring>

namespace vyx {
namespace {

// The fields of a packed event, in 128 bits, with their widths.
constexpr int kOffsetBits = 32;
constexpr int kTimeBits = 23;    // some 97 days past the block's first time
constexpr int kDayFileBits = 4;
constexpr int kKindBits = 3;
constexpr int kChannelBits = 1;
constexpr int kSerialBits = 26;  // some 67 million records past the block's least serial number
constexpr int kFcuBits = 9;
constexpr int kEdgeBits = 2;
constexpr int kCodeBits = 8;
constexpr int kValueBits = 16;
constexpr int kSourceBits = 4;
static_assert(kOffsetBits + kTimeBits + kDayFileBits + kKindBits + kChannelBits == 63);
static_assert(kSerialBits + kFcuBits + kEdgeBits + kCodeBits + kValueBits + kSourceBits == 65);

constexpr bool Fits(std::uint64_t value, int bits) {
    return value < (std::uint64_t{1} << bits);
}

}  // namespace

bool PackEventBlock(const FcuEvent* events, FcuEventBlock& block, std::uint8_t* out) {
    // One look at every event: the least and greatest of the fields packed against the block's bases, and
    // all bits the other narrow fields use.
    std::int64_t serial = events[0].Serial();
    std::int64_t lastSerial = serial;
    std::uint32_t time = events[0].time;
    std::uint32_t lastTime = time;
    std::uint16_t dayFile = events[0].dayFile;
    std::uint16_t lastDayFile = dayFile;
    std::uint32_t kinds = 0, channels = 0, fcus = 0, edges = 0, sources = 0;
    for (std::size_t i = 0; i < kEventBlockEvents; ++i) {
        const FcuEvent& e = events[i];
        serial = std::min(serial, e.Serial());
        lastSerial = std::max(lastSerial, e.Serial());
        time = std::min(time, e.time);
        lastTime = std::max(lastTime, e.time);
        dayFile = std::min(dayFile, e.dayFile);
        lastDayFile = std::max(lastDayFile, e.dayFile);
        kinds |= static_cast<std::uint8_t>(e.kind);
        channels |= e.channel;
        fcus |= e.fcu;
        edges |= static_cast<std::uint8_t>(e.edge);
        sources |= e.source;
    }
    if (!Fits(lastTime - time, kTimeBits) || !Fits(static_cast<std::uint64_t>(lastSerial - serial), kSerialBits) ||
        !Fits(static_cast<std::uint64_t>(lastDayFile - dayFile), kDayFileBits) || !Fits(kinds, kKindBits) ||
        !Fits(channels, kChannelBits) || !Fits(fcus, kFcuBits) || !Fits(edges, kEdgeBits) ||
        !Fits(sources, kSourceBits)) {
        return false;
    }
    for (std::size_t i = 0; i < kEventBlockEvents; ++i) {
        const FcuEvent& e = events[i];
        // The fields with the widths above, in this order; the event's bytes are little-endian words.
        std::uint64_t w0 = e.offset;
        w0 |= std::uint64_t{e.time - time} << 32;
        w0 |= std::uint64_t{static_cast<std::uint32_t>(e.dayFile - dayFile)} << 55;
        w0 |= std::uint64_t{static_cast<std::uint8_t>(e.kind)} << 59;
        w0 |= std::uint64_t{e.channel} << 62;
        const auto serialDelta = static_cast<std::uint64_t>(e.Serial() - serial);
        // Bit 63 of the first word holds the lowest bit of the serial delta.
        w0 |= (serialDelta & 1u) << 63;
        std::uint64_t w1 = serialDelta >> 1;
        w1 |= std::uint64_t{e.fcu} << 25;
        w1 |= std::uint64_t{static_cast<std::uint8_t>(e.edge)} << 34;
        w1 |= std::uint64_t{e.code} << 36;
        w1 |= std::uint64_t{e.value} << 44;
        w1 |= std::uint64_t{e.source} << 60;
        std::memcpy(out + i * kPackedEventBytes, &w0, 8);
        std::memcpy(out + i * kPackedEventBytes + 8, &w1, 8);
    }
    block.baseSerial = serial;
    block.baseTime = time;
    block.baseDayFile = dayFile;
    block.packed = true;
    return true;
}

void UnpackEventBlock(const FcuEventBlock& block, const std::uint8_t* in, FcuEvent* events) {
    for (std::size_t i = 0; i < kEventBlockEvents; ++i) {
        std::uint64_t w0 = 0;
        std::uint64_t w1 = 0;
        std::memcpy(&w0, in + i * kPackedEventBytes, 8);
        std::memcpy(&w1, in + i * kPackedEventBytes + 8, 8);
        FcuEvent& e = events[i];
        e.offset = static_cast<std::uint32_t>(w0);
        e.time = block.baseTime + static_cast<std::uint32_t>((w0 >> 32) & ((1u << kTimeBits) - 1));
        e.dayFile = static_cast<std::uint16_t>(block.baseDayFile + ((w0 >> 55) & ((1u << kDayFileBits) - 1)));
        e.kind = static_cast<FcuEventKind>((w0 >> 59) & ((1u << kKindBits) - 1));
        e.channel = static_cast<std::uint8_t>((w0 >> 62) & 1u);
        const std::uint64_t serialDelta = (w0 >> 63) | ((w1 & ((std::uint64_t{1} << (kSerialBits - 1)) - 1)) << 1);
        e.SetSerial(block.baseSerial + static_cast<std::int64_t>(serialDelta));
        e.fcu = static_cast<std::uint16_t>((w1 >> 25) & ((1u << kFcuBits) - 1));
        e.edge = static_cast<FcuEventEdge>((w1 >> 34) & ((1u << kEdgeBits) - 1));
        e.code = static_cast<std::uint8_t>((w1 >> 36) & 0xFFu);
        e.value = static_cast<std::uint16_t>((w1 >> 44) & 0xFFFFu);
        e.source = static_cast<std::uint8_t>((w1 >> 60) & 0xFu);
    }
}

}  // namespace vyx
