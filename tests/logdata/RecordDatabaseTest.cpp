// The record store and its worker: serial ranges, progress, frames, fetches, invalid records, index files.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "LoadTestSupport.h"
#include "logdata/DataFolder.h"
#include "platform/File.h"

namespace vyx::test {
namespace {

using Ranges = std::vector<std::pair<int, int>>;

TEST(RecordDatabaseTest, PublishesEveryThousandAndAtFileEndBeforeProgress) {
    LoadFixture f;
    f.target.WatchRanges(&f.database);
    DayFileBytes().Records(2500, LoadFixture::Day(0)).WriteTo(f.DayFile(0));
    f.Load(LoadOrder::Stored);

    EXPECT_EQ(f.target.Counts(UM_LOAD_PROGRESS), (std::vector<std::int64_t>{1000, 2000, 2500}));
    EXPECT_EQ(f.target.RangesAtProgress(), (std::vector<Ranges>{{{0, 999}}, {{0, 1999}}, {{0, 2499}}}));
    EXPECT_EQ(f.target.Counts(UM_LOAD_FINISHED), (std::vector<std::int64_t>{2500}));
    const auto all = f.target.All();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all.front().message, UM_LOAD_STARTED);
    EXPECT_EQ(all[1].message, UM_LOAD_FILE);
    EXPECT_EQ(all[1].text, f.DayFile(0));
    for (const auto& n : all) EXPECT_EQ(n.jobId, f.database.JobId());
    EXPECT_TRUE(f.database.IsStopFlagSet() == false);
}

// A file without accepted records between two with records.
class EmptyMiddleFileTest : public ::testing::TestWithParam<LoadOrder> {};

TEST_P(EmptyMiddleFileTest, RangeAndFetch) {
    LoadFixture f;
    DayFileBytes().Records(3, LoadFixture::Day(0), 100).WriteTo(f.DayFile(0));
    DayFileBytes().Records(4, LoadFixture::Day(1), 200).WriteTo(f.DayFile(1));
    DayFileBytes().Records(2, LoadFixture::Day(2), 300).WriteTo(f.DayFile(2));
    const FilterList keepOuter = Filters([](const CRecord& r) { return TagOf(r) < 200 || TagOf(r) >= 300; });
    f.Load(GetParam(), keepOuter);

    const auto& files = f.database.Files();
    ASSERT_EQ(files.size(), 3u);
    if (GetParam() == LoadOrder::Stored) {
        EXPECT_EQ(files[1]->FirstSerial(), files[1]->LastSerial() + 1);
        EXPECT_EQ(f.target.Counts(UM_LOAD_PROGRESS), (std::vector<std::int64_t>{3, 3, 5}));
        EXPECT_EQ(f.FetchTags(5), (std::vector<std::uint32_t>{100, 101, 102, 300, 301}));
    } else if (GetParam() == LoadOrder::Ascending) {
        EXPECT_EQ(std::make_pair(files[1]->FirstSerial(), files[1]->LastSerial()), std::make_pair(SerialNumber{-1}, SerialNumber{-1}));
        EXPECT_EQ(f.target.Counts(UM_LOAD_PROGRESS), (std::vector<std::int64_t>{3, 5}));
        EXPECT_EQ(f.FetchTags(5), (std::vector<std::uint32_t>{100, 101, 102, 300, 301}));
    } else {
        EXPECT_EQ(std::make_pair(files[1]->FirstSerial(), files[1]->LastSerial()), std::make_pair(SerialNumber{-1}, SerialNumber{-1}));
        EXPECT_EQ(f.target.Counts(UM_LOAD_PROGRESS), (std::vector<std::int64_t>{2, 5}));
        EXPECT_EQ(f.FetchTags(5), (std::vector<std::uint32_t>{301, 300, 102, 101, 100}));
    }
    CRecord untouched;
    untouched.m_nFCU = 77;
    EXPECT_FALSE(f.database.GetRecord(5, untouched));
    EXPECT_FALSE(f.database.GetRecord(-1, untouched));
    EXPECT_FALSE(f.database.GetRecord(1LL << 40, untouched));
    EXPECT_EQ(untouched.m_nFCU, 77);
}

INSTANTIATE_TEST_SUITE_P(AllOrders, EmptyMiddleFileTest,
                         ::testing::Values(LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending));

struct FrameCase {
    const char* name;
    int lengthField;
    std::size_t body;
    std::vector<std::uint32_t> expectedTags;  // records 1 and 2 surround the odd frame
};

class FrameLengthTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameLengthTest, EndsOrSkips) {
    LoadFixture f;
    DayFileBytes bytes;
    bytes.Record(LoadFixture::Day(0), 1).Raw(GetParam().lengthField, GetParam().body).Record(LoadFixture::Day(0), 2);
    bytes.WriteTo(f.DayFile(0));
    f.Load(LoadOrder::Stored);
    const auto& expected = GetParam().expectedTags;
    ASSERT_EQ(f.target.Counts(UM_LOAD_FINISHED), (std::vector<std::int64_t>{std::ssize(expected)}));
    std::vector<std::uint32_t> tags = f.FetchTags(std::ssize(expected));
    // A decoded short frame has no tag of its own.
    std::replace(tags.begin(), tags.end(), 0xFFFFFFFFu, 0u);
    EXPECT_EQ(tags, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, FrameLengthTest,
    ::testing::Values(FrameCase{"Length1EndsFile", 1, 20, {1}}, FrameCase{"Length2EndsFile", 2, 20, {1}},
                      FrameCase{"Length6Skipped", 6, 4, {1, 2}}, FrameCase{"Length7Decoded", 7, 5, {1, 0, 2}},
                      FrameCase{"Length302Decoded", 302, 300, {1, 0x21212121, 2}},
                      FrameCase{"Length303Skipped", 303, 301, {1, 2}}, FrameCase{"TruncatedEndsFile", 100, 10, {1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordDatabaseTest, InvalidRecordsAreLoggedWithTheirLineNumbers) {
    for (LoadOrder order : {LoadOrder::Stored, LoadOrder::Ascending}) {
        LoadFixture f;
        DayFileBytes().Records(3, LoadFixture::Day(0), 10).WriteTo(f.DayFile(0));
        DayFileBytes()
            .Record(LoadFixture::Day(1), 20)
            .Record(LoadFixture::Day(1) + 1, 99, 0x07)
            .Record(LoadFixture::Day(1) + 2, 21)
            .WriteTo(f.DayFile(1));
        f.Load(order);

        EXPECT_EQ(f.target.Counts(UM_LOAD_FINISHED), (std::vector<std::int64_t>{5}));
        const std::string logPath = f.temp.File("InvalidRecordLogFile.csv");
        EXPECT_EQ(f.target.Counts(UM_INVALID_RECORDS), (std::vector<std::int64_t>{1}));
        EXPECT_EQ(f.target.Texts(UM_INVALID_RECORDS), (std::vector<std::string>{logPath}));
        EXPECT_EQ(f.target.All().back().message, UM_INVALID_RECORDS);
        std::ifstream in(logPath, std::ios::binary);
        std::stringstream stream;
        stream << in.rdbuf();
        const std::string text = stream.str();
        // File order counts the record accepted just before; time order counts only the earlier days.
        EXPECT_EQ(text.substr(0, 2), order == LoadOrder::Stored ? "4," : "3,");
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    }
}

TEST(RecordDatabaseTest, StartDeletesOldIndexFilesAndResetDeletesAll) {
    LoadFixture f;
    DayFileBytes().Records(5, LoadFixture::Day(0)).WriteTo(f.DayFile(0));
    DayFileBytes().Records(5, LoadFixture::Day(5)).WriteTo(f.DayFile(5));
    f.Load(LoadOrder::Stored);
    const std::string index0 = f.database.Files()[0]->IndexPath();
    const std::string index5 = f.database.Files()[1]->IndexPath();
    EXPECT_EQ(index0, f.temp.File("LG050109.txt_filter"));
    EXPECT_TRUE(FileExists(index0) && FileExists(index5));

    // A reload whose window leaves out the second file must not keep its old index or range.
    f.database.SetDateWindow({LoadFixture::Day(-1), LoadFixture::Day(1)});
    f.database.StartLoad({});
    f.database.WaitForLoad();
    EXPECT_FALSE(FileExists(index5));
    EXPECT_EQ(f.database.Files()[1]->LastSerial(), -1);
    EXPECT_EQ(f.target.Counts(UM_LOAD_FINISHED).back(), 5);

    f.database.Reset();
    EXPECT_FALSE(FileExists(index0));
    EXPECT_TRUE(f.database.Files().empty());
}

}  // namespace
}  // namespace vyx::test
