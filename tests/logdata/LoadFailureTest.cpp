// Loads that meet full disks, failing writes and damaged, vanishing or odd day files.

#include <gtest/gtest.h>

#include "logdata/FrameReading.h"
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "LoadTestSupport.h"
#include "logdata/DataFolder.h"
#include "platform/File.h"
#include "simulator/LoggerSimulator.h"

namespace vyx::test {
namespace {

struct FaultCase {
    const char* name;
    LoadOrder order;
    const char* pathPart;  // writes to files whose name holds this fail
    int error;
};

class WriteFaultTest : public ::testing::TestWithParam<FaultCase> {
protected:
    void TearDown() override { SetWriteFaultHook(nullptr); }
};

TEST_P(WriteFaultTest, EndsTheLoadWithTheMessageAndLeavesNoRuns) {
    const FaultCase& c = GetParam();
    LoadFixture f;
    DayFileBytes bytes;
    bytes.Records(25000, LoadFixture::Day(0)).Record(LoadFixture::Day(0) + 5, 0, 0x06);
    bytes.WriteTo(f.DayFile(0));
    DayFileBytes().Records(10, LoadFixture::Day(1)).WriteTo(f.DayFile(1));
    std::string failedPath;
    SetWriteFaultHook([&](const std::string& path, std::size_t) {
        if (path.find(c.pathPart) == std::string::npos) return 0;
        failedPath = path;
        return c.error;
    });
    f.Load(c.order);
    SetWriteFaultHook(nullptr);

    const auto all = f.target.All();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().message, UM_LOAD_FAILED);
    EXPECT_EQ(all.back().icon, MessageIcon::Stop);
    EXPECT_EQ(all.back().jobId, f.database.JobId());
    const std::string expected = c.error == EIO ? "Input/output error: " + failedPath
                                                : "Very low disk space in " + f.temp.Path() +
                                                      " drive.\nTo view more data please create space in " +
                                                      f.temp.Path() + " drive.";
    EXPECT_EQ(all.back().text, expected);
    EXPECT_TRUE(f.target.Counts(UM_LOAD_FINISHED).empty());
    EXPECT_TRUE(f.target.Counts(UM_INVALID_RECORDS).empty());
    EXPECT_EQ(f.target.Texts(UM_LOAD_FILE).size(), 1u);  // the second day file is never started
    EXPECT_TRUE(f.database.IsStopFlagSet());
    for (const auto& name : f.TempFiles()) EXPECT_EQ(name.rfind("temp_", 0), std::string::npos) << name;
    f.database.Reset();  // the main window's reaction; must not wait or crash
}

INSTANTIATE_TEST_SUITE_P(Faults, WriteFaultTest,
                         ::testing::Values(FaultCase{"IndexDiskFull", LoadOrder::Stored, "_filter", ENOSPC},
                                           FaultCase{"IndexQuotaFull", LoadOrder::Stored, "_filter", EDQUOT},
                                           FaultCase{"IndexIoError", LoadOrder::Stored, "_filter", EIO},
                                           FaultCase{"SecondRunDiskFull", LoadOrder::Ascending, "temp_2.dat", ENOSPC},
                                           FaultCase{"MergeDiskFull", LoadOrder::Descending, "_filter", ENOSPC},
                                           FaultCase{"InvalidLogDiskFull", LoadOrder::Stored, "InvalidRecordLogFile",
                                                     ENOSPC}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LoadFailureTest, DayFileDeletedDuringTheLoadIsAFileError) {
    LoadFixture f;
    DayFileBytes().Records(10, LoadFixture::Day(0)).WriteTo(f.DayFile(0));
    DayFileBytes().Records(10, LoadFixture::Day(1)).WriteTo(f.DayFile(1));
    const std::string second = f.DayFile(1);
    const FilterList filters = Filters([&](const CRecord& r) {
        if (TagOf(r) == 5) std::filesystem::remove(second);
        return true;
    });
    f.Load(LoadOrder::Stored, filters);
    const auto all = f.target.All();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().message, UM_LOAD_FAILED);
    EXPECT_EQ(all.back().text, "No such file or directory: " + second);
    // What the first file published stays fetchable until the store is reset.
    EXPECT_EQ(f.FetchTags(2), (std::vector<std::uint32_t>{0, 1}));
}

TEST(LoadFailureTest, GarbageGrowingAndShrinkingFilesNeverBreakTheLoad) {
    LoadFixture f;
    std::mt19937 random(11);
    std::vector<std::uint8_t> garbage(200000);
    for (auto& b : garbage) b = static_cast<std::uint8_t>(random());
    {
        COutputFile out(f.DayFile(0));
        out.Write(garbage.data(), garbage.size());
        out.Close();
    }
    DayFileBytes().Records(50, LoadFixture::Day(1)).WriteTo(f.DayFile(1));
    DayFileBytes grown;
    grown.Records(50, LoadFixture::Day(1) + 100, 50);
    const FilterList filters = Filters([&](const CRecord& r) {
        if (r.m_nTime == LoadFixture::Day(1) + 10 && TagOf(r) == 10) {
            // The logger appends while the file is read.
            std::FILE* file = std::fopen(f.DayFile(1).c_str(), "ab");
            std::fwrite(grown.Bytes().data(), 1, grown.Bytes().size(), file);
            std::fclose(file);
        }
        return true;
    });
    for (LoadOrder order : {LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending}) {
        DayFileBytes().Records(50, LoadFixture::Day(1)).WriteTo(f.DayFile(1));
        f.Load(order, filters);
        const auto finished = f.target.Counts(UM_LOAD_FINISHED);
        ASSERT_EQ(finished.size(), 1u);
        const std::int64_t total = finished[0];
        EXPECT_GE(total, 50);
        // Every announced record can be fetched, whatever the garbage decoded to.
        CRecord record;
        for (std::int64_t s = 0; s < total; ++s) ASSERT_TRUE(f.database.GetRecord(s, record)) << s;
    }
    // A day file cut short after the load: the lost records are refused by name, not crashes, and
    // nothing else is handed out in their place.
    std::filesystem::resize_file(f.DayFile(1), 0);
    std::filesystem::resize_file(f.DayFile(0), 0);
    CRecord kept;
    kept.m_nFCU = 5;
    for (std::int64_t s = 0; s < 5; ++s) EXPECT_THROW(f.database.GetRecord(s, kept), CRecordUnreadable);
    EXPECT_EQ(kept.m_nFCU, 5);
}

// Names, sizes and change times of everything in a folder.
std::vector<std::tuple<std::string, std::uintmax_t, std::int64_t>> Snapshot(const std::string& folder) {
    std::vector<std::tuple<std::string, std::uintmax_t, std::int64_t>> entries;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        struct stat st {};
        ::stat(e.path().c_str(), &st);
        entries.emplace_back(e.path().filename().string(), static_cast<std::uintmax_t>(st.st_size),
                             static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

TEST(LoadFailureTest, ReadOnlyFolderIsLoadedAndNeverChanged) {
    LoadFixture f;
    sim::SimulatorOptions options;
    options.days = 3;
    options.recordsPerDay = 4000;
    options.clockJumps = true;
    const sim::SimulatorSummary summary = sim::GenerateDataFolder(f.data.Path(), options);
    ASSERT_EQ(::mkfifo(f.data.File("LG010209.txt").c_str(), 0600), 0);  // would block a reader forever
    for (const auto& e : std::filesystem::directory_iterator(f.data.Path())) {
        std::filesystem::permissions(e.path(), std::filesystem::perms::owner_read);
    }
    std::filesystem::permissions(f.data.Path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const auto before = Snapshot(f.data.Path());

    // Without filters records are only classified; with one every record is decoded. Both must agree.
    const FilterList keepAll = Filters([](const CRecord&) { return true; });
    const FilterList none;
    for (const FilterList* filters : {&keepAll, &none}) {
        for (LoadOrder order : {LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending}) {
            f.Load(order, *filters);
            EXPECT_EQ(f.database.Files().size(), summary.dayFiles.size());
            EXPECT_EQ(f.target.Counts(UM_LOAD_FINISHED), (std::vector<std::int64_t>{summary.records}));
            EXPECT_EQ(f.target.Counts(UM_INVALID_RECORDS), (std::vector<std::int64_t>{summary.invalidRecords}));
        }
    }
    EXPECT_EQ(Snapshot(f.data.Path()), before);
}

}  // namespace
}  // namespace vyx::test
