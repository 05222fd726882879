// Day file names, the folder scan, the date window and the load sequence.

#include <gtest/gtest.h>

#include <filesystem>

#include "LoadTestSupport.h"
#include "logdata/DataFolder.h"
#include "logdata/LoadPipeline.h"
#include "res/StringTable.h"

namespace vyx::test {
namespace {

struct NameCase {
    const char* name;
    std::optional<std::uint32_t> dayStart;
};

class DayFileNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(DayFileNameTest, DayStart) {
    EXPECT_EQ(DayStartFromFileName(GetParam().name), GetParam().dayStart);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DayFileNameTest,
    ::testing::Values(NameCase{"LG010170.txt", 0u}, NameCase{"LG311299.txt", 946598400u},
                      NameCase{"LG010100.txt", 946684800u}, NameCase{"LG311269.txt", 3155673600u},
                      NameCase{"LG250909.txt", 1253836800u}, NameCase{"LG290200.txt", 951782400u},
                      NameCase{"lg010109.txt", 1230768000u}, NameCase{"lG010109.txt", 1230768000u},
                      NameCase{"LG290201.txt", std::nullopt}, NameCase{"LG300209.txt", std::nullopt},
                      NameCase{"LG010009.txt", std::nullopt}, NameCase{"LG011309.txt", std::nullopt},
                      NameCase{"LG000109.txt", std::nullopt}, NameCase{"LG320109.txt", std::nullopt},
                      NameCase{"LG0101AB.txt", std::nullopt}, NameCase{"LG01012009.txt", std::nullopt},
                      NameCase{"LG010109.TXT", std::nullopt}, NameCase{"LG010109.txt.bak", std::nullopt},
                      NameCase{"XG010109.txt", std::nullopt}, NameCase{"LG01.txt0109", std::nullopt},
                      NameCase{"LG-10109.txt", std::nullopt}, NameCase{"", std::nullopt}));

TEST(DataFolderTest, ScanRegistersDayFilesInNameOrderWithFirstAndLastDay) {
    LoadFixture f;
    for (const char* name : {"LG250909.txt", "LG010170.txt", "lg311269.txt", "LG290201.txt", "LG010109.TXT",
                             "MISCDATA.TXT", "LG020109.txt"}) {
        DayFileBytes().WriteTo(f.data.File(name));
    }
    std::filesystem::create_directory(f.data.File("LG030109.txt"));
    const DataFolderScan scan = ScanDataFolder(f.data.Path() + "/", f.database);
    EXPECT_EQ(scan.count, 4);
    EXPECT_EQ(scan.firstDay, 0u);
    EXPECT_EQ(scan.lastDay, 3155673600u);
    std::vector<std::string> paths;
    for (const auto& file : f.database.Files()) paths.push_back(file->Path());
    EXPECT_EQ(paths, (std::vector<std::string>{f.data.File("LG010170.txt"), f.data.File("LG020109.txt"),
                                               f.data.File("LG250909.txt"), f.data.File("lg311269.txt")}));
    EXPECT_EQ(f.database.Files()[3]->IndexPath(), f.temp.File("lg311269.txt_filter"));
    EXPECT_EQ(FCUInformationFilePath(f.data.Path() + "/"), f.data.File("MISCDATA.TXT"));
}

CivilDateTime At(int day, int month, int year, int hour = 0, int minute = 0, int second = 0) {
    return CivilDateTime{year, month, day, hour, minute, second};
}

TEST(LoadPipelineTest, DateWindowTakesADayOnEachSide) {
    const DateWindow window = ComputeDateWindow(DateTimeRange{At(5, 1, 2009, 10), At(6, 1, 2009, 9)});
    EXPECT_EQ(window.start, 1231063200u);  // 04-01-2009 10:00:00
    EXPECT_EQ(window.end, 1231318800u);    // 07-01-2009 09:00:00
    EXPECT_EQ(ComputeDateWindow(std::nullopt), DateWindow{});
    EXPECT_EQ(ComputeDateWindow(DateTimeRange{At(1, 1, 1970), At(3, 1, 1970)}).start, 0u);
    EXPECT_EQ(ComputeDateWindow(DateTimeRange{At(2, 1, 1970), At(3, 1, 1970)}).start, 0u);
    EXPECT_EQ(ComputeDateWindow(DateTimeRange{At(2, 1, 1970, 0, 0, 1), At(3, 1, 1970)}).start, 1u);
    EXPECT_EQ(ComputeDateWindow(DateTimeRange{At(1, 1, 2106), At(7, 2, 2106, 6, 28, 15)}).end, 0xFFFFFFFFu);
}

TEST(LoadPipelineTest, RangeSequenceReadsOnlyTheDaysOfTheWindow) {
    LoadFixture f;
    for (int d = -1; d <= 3; ++d) DayFileBytes().Records(3, LoadFixture::Day(d)).WriteTo(f.DayFile(d));
    FilterList filterList;
    LoadRequest request;
    request.folder = f.data.Path();
    request.range = DateTimeRange{At(5, 1, 2009, 10), At(6, 1, 2009, 9)};
    const LoadSequenceResult result = RunLoadSequence(f.database, filterList, {}, request);
    ASSERT_TRUE(result.started);
    f.database.WaitForLoad();
    EXPECT_EQ(f.target.Texts(UM_LOAD_FILE), (std::vector<std::string>{f.DayFile(0), f.DayFile(1), f.DayFile(2)}));
    EXPECT_EQ(f.target.Counts(UM_LOAD_FINISHED), (std::vector<std::int64_t>{9}));
}

TEST(LoadPipelineTest, WindowStartingAtZeroReadsAndFetchesTheSameFiles) {
    LoadFixture f;
    DayFileBytes().Records(2, 0).WriteTo(f.data.File("LG010170.txt"));
    DayFileBytes().Records(2, 86400 * 10, 10).WriteTo(f.data.File("LG110170.txt"));
    FilterList filterList;
    LoadRequest request;
    request.folder = f.data.Path();
    request.range = DateTimeRange{At(1, 1, 1970), At(1, 1, 1970, 12)};
    // A file after the window's end is still read when the start is 0; its records must be fetchable.
    ASSERT_TRUE(RunLoadSequence(f.database, filterList, {}, request).started);
    f.database.WaitForLoad();
    EXPECT_EQ(f.target.Counts(UM_LOAD_FINISHED), (std::vector<std::int64_t>{4}));
    EXPECT_EQ(f.FetchTags(4), (std::vector<std::uint32_t>{0, 1, 10, 11}));
}

TEST(LoadPipelineTest, SequenceStopsBeforeStartingOnBadInput) {
    LoadFixture f;
    FilterList filterList;
    LoadRequest request;
    request.folder = f.data.Path();
    EXPECT_EQ(RunLoadSequence(f.database, filterList, {}, request).messageId, res::IDS_NO_DATA_FILE);
    request.folder = f.data.File("absent");
    EXPECT_EQ(RunLoadSequence(f.database, filterList, {}, request).messageId, res::IDS_NO_DATA_FILE);
    request.folder = f.data.Path();
    DayFileBytes().Records(3, LoadFixture::Day(0)).WriteTo(f.DayFile(0));
    DayFileBytes().Records(3, LoadFixture::Day(1)).WriteTo(f.DayFile(1));
    struct {
        DateTimeRange range;
        int id;
    } cases[] = {
        {{At(6, 1, 2009), At(5, 1, 2009)}, res::IDS_START_AFTER_END},
        {{At(4, 1, 2009, 23, 59, 59), At(5, 1, 2009)}, res::IDS_INVALID_DATE_RANGE},
        {{At(5, 1, 2009), At(7, 1, 2009)}, res::IDS_INVALID_DATE_RANGE},
        {{At(5, 1, 2009), At(6, 1, 2009, 23, 59, 59)}, 0},
    };
    for (const auto& c : cases) {
        request.range = c.range;
        const LoadSequenceResult result = RunLoadSequence(f.database, filterList, {}, request);
        EXPECT_EQ(result.messageId, c.id);
        EXPECT_EQ(result.started, c.id == 0);
        EXPECT_EQ(result.scan.count, 2);
    }
    f.database.WaitForLoad();
    EXPECT_EQ(InvalidRecordsMessage(3, "/t/x.csv"),
              "3 Invalid Records are found\n\rPlease refer following file for more information:-\n\r/t/x.csv");
}

}  // namespace
}  // namespace vyx::test
