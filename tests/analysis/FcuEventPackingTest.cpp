#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "analysis/FcuEventPacking.h"

namespace vyx::test {
namespace {

// A block as a pass writes it: times rising, serial numbers and day files either side of the first, every field in use.
std::vector<FcuEvent> PassBlock() {
    std::vector<FcuEvent> events(kEventBlockEvents);
    for (std::size_t i = 0; i < events.size(); ++i) {
        FcuEvent& e = events[i];
        e.time = 0x7FFF0000u + static_cast<std::uint32_t>(i / 3);
        e.offset = 0xFFFFFF00u - static_cast<std::uint32_t>(i * 7);
        e.SetSerial((std::int64_t{1} << 39) + static_cast<std::int64_t>(i / 3) - (i % 5 == 1 ? 20 : 0));
        e.dayFile = static_cast<std::uint16_t>(65000 + (i > 2000 ? 7 : 0) - (i % 7 == 3 ? 8 : 0));
        e.fcu = static_cast<std::uint16_t>(i % 301);
        e.value = static_cast<std::uint16_t>(i * 977);
        e.kind = static_cast<FcuEventKind>(1 + i % 7);
        e.channel = static_cast<std::uint8_t>(i & 1);
        e.code = static_cast<std::uint8_t>(i % 256);
        e.edge = static_cast<FcuEventEdge>(i % 4);
        e.source = static_cast<std::uint8_t>(i % 11);
    }
    return events;
}

// Records of one to five events each, as a pass gives them: the events of a record share its fields.
std::vector<FcuEvent> RecordBlock(std::size_t& records) {
    std::vector<FcuEvent> events = PassBlock();
    records = 0;
    for (std::size_t i = 0, size = 0; i < events.size(); ++i) {
        if (size == 0) {
            size = 1 + records % 5;
            ++records;
        } else {
            FcuEvent& e = events[i];
            const FcuEvent& r = events[i - 1];
            e.time = r.time;
            e.offset = r.offset;
            e.SetSerial(r.Serial());
            e.dayFile = r.dayFile;
            e.channel = r.channel;
            e.source = r.source;
        }
        --size;
    }
    return events;
}

TEST(FcuEventPacking, PacksABlockThatFitsAndGivesItBackAsItWas) {
    std::size_t records = 0;
    const struct {
        const char* what;
        std::vector<FcuEvent> events;
        std::size_t records;
    } cases[] = {
        {"every event a record of its own", PassBlock(), kEventBlockEvents},
        {"records of one to five events", RecordBlock(records), records},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> bytes(kEventBlockEvents * kPackedEventBytes + 8);
        FcuEventBlock block;
        ASSERT_TRUE(PackEventBlock(c.events.data(), block, bytes.data()));
        EXPECT_TRUE(block.packed);
        EXPECT_EQ(block.Bytes(), 8 * (kEventBlockEvents + c.records));
        std::vector<FcuEvent> back(kEventBlockEvents);
        ASSERT_TRUE(UnpackEventBlock(block, bytes.data(), back.data()));
        EXPECT_TRUE(back == c.events);

        // Bytes that do not hold the block whole are refused, not read past.
        FcuEventBlock cut = block;
        cut.packedBytes -= 8;
        EXPECT_FALSE(UnpackEventBlock(cut, bytes.data(), back.data()));
        FcuEventBlock longer = block;
        longer.packedBytes += 8;
        EXPECT_FALSE(UnpackEventBlock(longer, bytes.data(), back.data()));
    }
}

TEST(FcuEventPacking, LeavesABlockWithAnyFieldOutOfReachWhole) {
    const struct {
        const char* what;
        std::function<void(FcuEvent&)> change;
    } cases[] = {
        {"time 2^23 s after the block's first", [](FcuEvent& e) { e.time = 0x7FFF0000u + (1u << 23); }},
        {"serial 2^24 after the first",
         [](FcuEvent& e) { e.SetSerial((std::int64_t{1} << 39) + (std::int64_t{1} << 24)); }},
        {"serial 2^24 + 1 before the first",
         [](FcuEvent& e) { e.SetSerial((std::int64_t{1} << 39) - (std::int64_t{1} << 24) - 1); }},
        {"day file 8 after the first", [](FcuEvent& e) { e.dayFile = 65008; }},
        {"day file 9 before the first", [](FcuEvent& e) { e.dayFile = 64991; }},
        {"time before the first", [](FcuEvent& e) { e.time = 0x7FFEFFFFu; }},
        {"kind 8", [](FcuEvent& e) { e.kind = static_cast<FcuEventKind>(8); }},
        {"channel 2", [](FcuEvent& e) { e.channel = 2; }},
        {"fcu 512", [](FcuEvent& e) { e.fcu = 512; }},
        {"edge 4", [](FcuEvent& e) { e.edge = static_cast<FcuEventEdge>(4); }},
        {"source 16", [](FcuEvent& e) { e.source = 16; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<FcuEvent> events = PassBlock();
        c.change(events[kEventBlockEvents - 1]);
        std::vector<std::uint8_t> bytes(kEventBlockEvents * kPackedEventBytes, 0xAB);
        FcuEventBlock block;
        EXPECT_FALSE(PackEventBlock(events.data(), block, bytes.data()));
        EXPECT_FALSE(block.packed);
        EXPECT_EQ(block.Bytes(), kEventBlockEvents * sizeof(FcuEvent));
    }
}

}  // namespace
}  // namespace vyx::test
