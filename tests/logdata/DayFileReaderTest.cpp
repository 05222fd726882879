// Framing of day files: lengths that end, skip or truncate, frames across block boundaries, and the
// time value helpers the scan and the filters rely on.

#include <gtest/gtest.h>

#include <cerrno>

#include "logdata/DayFileReader.h"
#include "logdata/TimeValue.h"
#include "platform/File.h"
#include "platform/FileError.h"
#include "simulator/RecordBuilder.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Seen {
    std::vector<std::uint32_t> offsets;
    std::vector<int> lengths;
    std::vector<bool> decodable;
    FrameEnd end = FrameEnd::None;
    std::uint64_t endOffset = 0;
};

Seen ReadAll(const Bytes& content, std::size_t blockSize = 1 << 20) {
    test::TempDir dir;
    const std::string path = dir.File("LG010109.txt");
    {
        COutputFile out(path);
        out.Write(content.data(), content.size());
        out.Close();
    }
    CDayFileReader reader(blockSize);
    reader.Open(path);
    Seen seen;
    Frame frame;
    while (reader.Next(frame)) {
        seen.offsets.push_back(frame.offset);
        seen.lengths.push_back(frame.length);
        seen.decodable.push_back(frame.IsDecodable());
        // the record bytes must be the ones that follow the length field
        EXPECT_EQ(frame.bytes[0], content[frame.offset + 2]);
    }
    seen.end = reader.EndReason();
    seen.endOffset = reader.Offset();
    return seen;
}

Bytes Body(int n, std::uint8_t fill = 0x33) { return Bytes(static_cast<std::size_t>(n), fill); }

TEST(DayFileReader, EmptyFileEndsCleanly) {
    const Seen s = ReadAll({});
    EXPECT_TRUE(s.offsets.empty());
    EXPECT_EQ(s.end, FrameEnd::EndOfFile);
}

TEST(DayFileReader, LengthsOneAndTwoEndTheFile) {
    for (int badLength : {0, 1, 2}) {
        Bytes content;
        sim::AppendRawFrame(content, 10, Body(8));
        sim::AppendRawFrame(content, badLength, {});
        sim::AppendRawFrame(content, 10, Body(8));  // never reached
        const Seen s = ReadAll(content);
        EXPECT_EQ(s.offsets, std::vector<std::uint32_t>{0}) << badLength;
        EXPECT_EQ(s.end, FrameEnd::BadLength);
    }
}

TEST(DayFileReader, LengthsOutsideDecodableRangeAreSkippedNotEnding) {
    Bytes content;
    sim::AppendRawFrame(content, 303, Body(301));  // one byte too long to decode
    sim::AppendRawFrame(content, 302, Body(300));  // longest decodable
    sim::AppendRawFrame(content, 6, Body(4));      // one byte too short
    sim::AppendRawFrame(content, 7, Body(5));      // shortest decodable
    sim::AppendRawFrame(content, 3, Body(1));
    sim::AppendRawFrame(content, 0xFFFF, Body(0xFFFD));  // the longest a length field can say
    sim::AppendRawFrame(content, 20, Body(18));
    const Seen s = ReadAll(content);
    EXPECT_EQ(s.lengths, (std::vector<int>{303, 302, 6, 7, 3, 0xFFFF, 20}));
    EXPECT_EQ(s.decodable, (std::vector<bool>{false, true, false, true, false, false, true}));
    EXPECT_EQ(s.offsets, (std::vector<std::uint32_t>{0, 303, 605, 611, 618, 621, 621 + 0xFFFF}));
    EXPECT_EQ(s.end, FrameEnd::EndOfFile);
}

TEST(DayFileReader, TruncatedFramesEndTheFile) {
    Bytes content;
    sim::AppendRawFrame(content, 12, Body(10));
    sim::AppendRawFrame(content, 12, Body(9));  // one byte missing
    Seen s = ReadAll(content);
    EXPECT_EQ(s.offsets.size(), 1u);
    EXPECT_EQ(s.end, FrameEnd::Truncated);
    EXPECT_EQ(s.endOffset, 12u);

    content.resize(13);  // a single byte where a length field should be
    s = ReadAll(content);
    EXPECT_EQ(s.offsets.size(), 1u);
    EXPECT_EQ(s.end, FrameEnd::EndOfFile);
}

TEST(DayFileReader, FramesAcrossBlockBoundaries) {
    // Small blocks force frames (and length fields) to straddle the refill point.
    Bytes content;
    std::vector<std::uint32_t> expected;
    for (int i = 0; i < 500; ++i) {
        expected.push_back(static_cast<std::uint32_t>(content.size()));
        const int n = 5 + (i * 37) % 290;
        sim::AppendRawFrame(content, n + 2, Body(n, static_cast<std::uint8_t>(i)));
    }
    for (std::size_t block : {std::size_t{1}, std::size_t{7}, std::size_t{64}, std::size_t{4096}}) {
        const Seen s = ReadAll(content, block);
        EXPECT_EQ(s.offsets, expected) << block;
        EXPECT_EQ(s.end, FrameEnd::EndOfFile);
    }
}

TEST(DayFileReader, MissingFileThrowsWithSystemText) {
    CDayFileReader reader;
    try {
        reader.Open("/nonexistent/LG010109.txt");
        FAIL() << "no error";
    } catch (const CFileError& e) {
        EXPECT_EQ(e.ErrorNumber(), ENOENT);
        EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos);
    }
}

TEST(TimeValue, CalendarRules) {
    EXPECT_EQ(DayStart(1970, 1, 1), 0u);
    EXPECT_EQ(DayStart(2000, 1, 1).value() - DayStart(1999, 12, 31).value(), 86400u);
    EXPECT_TRUE(DayStart(2069, 12, 31).has_value());
    EXPECT_TRUE(DayStart(2000, 2, 29).has_value());
    EXPECT_FALSE(DayStart(2001, 2, 29).has_value());
    EXPECT_FALSE(DayStart(2009, 13, 1).has_value());
    EXPECT_FALSE(DayStart(2009, 0, 1).has_value());
    EXPECT_FALSE(DayStart(2009, 1, 32).has_value());
    EXPECT_FALSE(DayStart(1969, 12, 31).has_value());
    EXPECT_EQ(SecondsFromCivil({2009, 2, 13, 23, 31, 30}), 1234567890);
    const CivilDateTime t = BreakDown(1234567890u);
    EXPECT_EQ(t.year, 2009);
    EXPECT_EQ(t.month, 2);
    EXPECT_EQ(t.day, 13);
    EXPECT_EQ(t.hour, 23);
}

TEST(TimeValue, ParsesDialogDateTexts) {
    auto t = ParseDateTimeText("05/01/2009 10:00:00");
    ASSERT_TRUE(t);
    EXPECT_EQ(SecondsFromCivil(*t), SecondsFromCivil({2009, 1, 5, 10, 0, 0}));
    EXPECT_TRUE(ParseDateTimeText("31/12/2009"));
    EXPECT_FALSE(ParseDateTimeText("31/02/2009"));
    EXPECT_FALSE(ParseDateTimeText("05/01/2009 24:00:00"));
    EXPECT_FALSE(ParseDateTimeText("05/01/2009 10:00:00x"));
    EXPECT_FALSE(ParseDateTimeText("2009-01-05"));
    EXPECT_FALSE(ParseDateTimeText(""));
}

}  // namespace
}  // namespace vyx
