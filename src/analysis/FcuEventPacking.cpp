#include "analysis/FcuEventPacking.h"

#include <algorithm>
#include <cstring>

namespace vyx {
namespace {

// A packed event is one 64-bit word with the fields below, and, where its record differs from that of the
// event before it (always for a block's first), a second word with the record's fields. Words are
// little-endian.
constexpr int kKindBits = 3;
constexpr int kFcuBits = 9;
constexpr int kEdgeBits = 2;
constexpr int kCodeBits = 8;
constexpr int kValueBits = 16;
constexpr int kNewRecordBits = 1;
constexpr int kSerialBits = 25;  // some 33 million records past the block's least serial number
static_assert(kKindBits + kFcuBits + kEdgeBits + kCodeBits + kValueBits + kNewRecordBits + kSerialBits == 64);
constexpr int kFcuShift = kKindBits;
constexpr int kEdgeShift = kFcuShift + kFcuBits;
constexpr int kCodeShift = kEdgeShift + kEdgeBits;
constexpr int kValueShift = kCodeShift + kCodeBits;
constexpr int kNewRecordShift = kValueShift + kValueBits;
constexpr int kSerialShift = kNewRecordShift + kNewRecordBits;

// The record's word.
constexpr int kOffsetBits = 32;
constexpr int kTimeBits = 23;  // some 97 days past the block's first time
constexpr int kDayFileBits = 4;
constexpr int kChannelBits = 1;
constexpr int kSourceBits = 4;
static_assert(kOffsetBits + kTimeBits + kDayFileBits + kChannelBits + kSourceBits == 64);
constexpr int kTimeShift = kOffsetBits;
constexpr int kDayFileShift = kTimeShift + kTimeBits;
constexpr int kChannelShift = kDayFileShift + kDayFileBits;
constexpr int kSourceShift = kChannelShift + kChannelBits;

constexpr bool Fits(std::uint64_t value, int bits) {
    return value < (std::uint64_t{1} << bits);
}

constexpr std::uint64_t Field(std::uint64_t word, int shift, int bits) {
    return (word >> shift) & ((std::uint64_t{1} << bits) - 1);
}

bool SameRecord(const FcuEvent& a, const FcuEvent& b) {
    return a.time == b.time && a.offset == b.offset && a.serialLow == b.serialLow && a.serialHigh == b.serialHigh &&
           a.dayFile == b.dayFile && a.channel == b.channel && a.source == b.source;
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
    std::uint8_t* at = out;
    for (std::size_t i = 0; i < kEventBlockEvents; ++i) {
        const FcuEvent& e = events[i];
        const bool newRecord = i == 0 || !SameRecord(e, events[i - 1]);
        std::uint64_t word = static_cast<std::uint8_t>(e.kind);
        word |= std::uint64_t{e.fcu} << kFcuShift;
        word |= std::uint64_t{static_cast<std::uint8_t>(e.edge)} << kEdgeShift;
        word |= std::uint64_t{e.code} << kCodeShift;
        word |= std::uint64_t{e.value} << kValueShift;
        word |= std::uint64_t{newRecord} << kNewRecordShift;
        word |= static_cast<std::uint64_t>(e.Serial() - serial) << kSerialShift;
        std::memcpy(at, &word, 8);
        at += 8;
        if (newRecord) {
            std::uint64_t record = e.offset;
            record |= std::uint64_t{e.time - time} << kTimeShift;
            record |= std::uint64_t{static_cast<std::uint32_t>(e.dayFile - dayFile)} << kDayFileShift;
            record |= std::uint64_t{e.channel} << kChannelShift;
            record |= std::uint64_t{e.source} << kSourceShift;
            std::memcpy(at, &record, 8);
            at += 8;
        }
    }
    block.baseSerial = serial;
    block.baseTime = time;
    block.baseDayFile = dayFile;
    block.packed = true;
    block.packedBytes = static_cast<std::uint32_t>(at - out);
    return true;
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
            record.dayFile = static_cast<std::uint16_t>(block.baseDayFile + Field(r, kDayFileShift, kDayFileBits));
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
        e.SetSerial(block.baseSerial + static_cast<std::int64_t>(Field(word, kSerialShift, kSerialBits)));
    }
    return in == end;
}

}  // namespace vyx
