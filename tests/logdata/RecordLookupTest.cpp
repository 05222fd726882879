// Finding a record by its place: the serial number of (day file, offset) in every order, and none for a
// record the load does not hold.

#include <gtest/gtest.h>

#include <map>

#include "LoadTestSupport.h"

namespace vyx::test {
namespace {

class RecordLookupTest : public ::testing::TestWithParam<LoadOrder> {};

TEST_P(RecordLookupTest, EveryPlaceGivesBackItsSerialAndAFilteredRecordHasNone) {
    LoadFixture f;
    // Two days, times running backwards within each so that the time orders move every record.
    for (int d = 0; d < 2; ++d) {
        DayFileBytes bytes;
        for (int i = 0; i < 300; ++i) {
            bytes.Record(LoadFixture::Day(d) + 3000 - static_cast<std::uint32_t>(i) * 7, d * 1000 + i);
        }
        bytes.WriteTo(f.DayFile(d));
    }
    // The place of every record, by tag, from a load that keeps them all.
    f.Load(LoadOrder::Stored);
    std::map<std::uint32_t, RecordLocation> places;
    for (std::int64_t serial = 0; serial < 600; ++serial) {
        CRecord record;
        ASSERT_TRUE(f.database.GetRecord(serial, record));
        places[TagOf(record)] = *f.database.LocationOf(serial);
    }

    // Now odd tags are filtered out.
    const FilterList filters = Filters([](const CRecord& r) { return TagOf(r) % 2 == 0; });
    f.Load(GetParam(), filters);
    for (const auto& [tag, place] : places) {
        const auto serial = f.database.SerialAt(place);
        if (tag % 2 != 0) {
            EXPECT_FALSE(serial) << tag;
            continue;
        }
        ASSERT_TRUE(serial) << tag;
        CRecord record;
        ASSERT_TRUE(f.database.GetRecord(*serial, record));
        EXPECT_EQ(TagOf(record), tag);
        EXPECT_EQ(f.database.LocationOf(*serial), place);
    }
    EXPECT_FALSE(f.database.LocationOf(300));
    EXPECT_FALSE(f.database.SerialAt({places[0].dayFile, places[0].offset + 1}));  // inside a frame
    EXPECT_FALSE(f.database.SerialAt({f.DayFile(0) + ".other", 0}));               // no such day file
}

INSTANTIATE_TEST_SUITE_P(Orders, RecordLookupTest,
                         ::testing::Values(LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending));

}  // namespace
}  // namespace vyx::test
