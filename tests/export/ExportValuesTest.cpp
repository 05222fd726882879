// The values of one export row at the edges the generated folders do not reach: times at both ends of the
// 32-bit range with offsets either side of UTC, and the FCU column against the list's FCU text.

#include <gtest/gtest.h>

#include "export/ExportColumns.h"
#include "support/Records.h"

namespace vyx {
namespace {

std::string Text(const CExportValues& values, ExportColumnId id) {
    std::string out;
    values.AppendText(id, out);
    return out;
}

TEST(ExportValues, TimesKeepTheLocalClockAndShiftOnlyTheUtcColumn) {
    const struct {
        std::uint32_t time;
        const char* offset;
        const char* local;
        const char* utc;
    } cases[] = {
        {0, "+02:00", "1970-01-01T00:00:00", "1969-12-31T22:00:00Z"},
        {0, "-05:30", "1970-01-01T00:00:00", "1970-01-01T05:30:00Z"},
        {1234567890, "+00:00", "2009-02-13T23:31:30", "2009-02-13T23:31:30Z"},
        {1234567890, "-14:00", "2009-02-13T23:31:30", "2009-02-14T13:31:30Z"},
        {0xFFFFFFFFu, "+14:00", "2106-02-07T06:28:15", "2106-02-06T16:28:15Z"},
    };
    for (const auto& c : cases) {
        CRecord record;
        record.m_nTime = c.time;
        const ExportRow row{0, "LG010170.txt", 0, &record};
        CExportValues values(ParseUtcOffset(c.offset));
        values.Bind(row);
        EXPECT_EQ(Text(values, ExportColumnId::TimeLocal), c.local) << c.time << " " << c.offset;
        EXPECT_EQ(Text(values, ExportColumnId::TimeUtc), c.utc) << c.time << " " << c.offset;
        EXPECT_EQ(values.Integer(ExportColumnId::TimeEpoch), c.time);
    }
    for (const char* bad : {"+14:01", "+2:00", "02:00", "+02-00", "+02:60", "+02:00 "}) {
        EXPECT_FALSE(ParseUtcOffset(bad).has_value()) << bad;
    }
}

TEST(ExportValues, FcuIsEmptyWhereTheListShowsNoNumber) {
    // Halvik Common Protocol (class 4): FCU address at bytes 7..8; b12 - b13 != 2 addresses several FCUs.
    const struct {
        std::vector<std::uint8_t> bytes;
        bool null;
        const char* text;
    } cases[] = {
        {test::RecordBytes(24, {{4, 4}, {7, 0}, {8, 12}}), false, "12"},
        {test::RecordBytes(24, {{4, 4}, {7, 1}, {8, 45}}), true, "NA"},  // 301: no FCU
        {test::RecordBytes(24, {{4, 4}, {7, 0}, {8, 12}, {12, 6}, {13, 1}}), true, "Multiple"},
        {test::RecordBytes(24, {{4, 18}}), true, "NA"},
    };
    for (const auto& c : cases) {
        const CRecord record = test::Decode(c.bytes);
        const ExportRow row{4, "LG010170.txt", 96, &record};
        CExportValues values(std::nullopt);
        values.Bind(row);
        EXPECT_EQ(values.IsNull(ExportColumnId::Fcu), c.null) << c.text;
        EXPECT_EQ(Text(values, ExportColumnId::FcuText), c.text);
        EXPECT_EQ(values.Integer(ExportColumnId::SrNo), 5);
        EXPECT_EQ(values.Integer(ExportColumnId::MessageLength), 13);
        EXPECT_EQ(Text(values, ExportColumnId::MessageHex).size(), 26u);
    }
}

}  // namespace
}  // namespace vyx
