// A stop that arrives while the worker merges a day file's runs, with the list and a report fetching at the
// same time: the merge is finished, every record of that day can be read in time order, and the runs are
// gone. Run under ThreadSanitizer by scripts/tsan.sh.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "ReliabilitySupport.h"
#include "logdata/DataFolder.h"
#include "platform/File.h"
#include "report/ReportGenerator.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

using namespace std::chrono_literals;

class StopDuringTheMerge : public ::testing::TestWithParam<LoadOrder> {
protected:
    void TearDown() override { SetWriteFaultHook(nullptr); }
};

TEST_P(StopDuringTheMerge, FinishesTheMergeAndEndsBeforeTheNextDay) {
    TempDir data;
    TempDir temp;
    TempDir out;
    sim::SimulatorOptions options;
    options.days = 2;
    options.recordsPerDay = 25000;  // three runs for each day
    options.faults = false;
    options.clockJumps = true;
    sim::GenerateDataFolder(data.Path(), options);
    const ExpectedLoad expected = ExpectLoadOf(data.Path());
    const auto firstDay = expected.files[GetParam() == LoadOrder::Descending ? 1 : 0];
    const auto perDay = static_cast<std::int64_t>(firstDay.oracle.accepted.size());

    // The merge writes the index; its first write waits for the stop, the rest go on slowly, so the list and
    // the report fetch while the merge is still publishing.
    std::atomic<bool> merging{false};
    LoadRecorder recorder;
    CRecordDatabase database(temp.Path(), &recorder);
    SetWriteFaultHook([&](const std::string& path, std::size_t) {
        if (!path.ends_with("_filter")) return 0;
        if (!merging.exchange(true)) {
            while (!database.IsStopFlagSet()) std::this_thread::sleep_for(100us);
        }
        std::this_thread::sleep_for(200us);
        return 0;
    });
    ScanDataFolder(data.Path(), database);
    database.SetLoadOrder(GetParam());
    Watchdog watchdog;
    watchdog.Arm("the merge", 120s);
    database.StartLoad({});
    while (!merging.load()) std::this_thread::sleep_for(100us);
    const std::string index = std::filesystem::path(firstDay.path).filename().string() + "_filter";
    EXPECT_EQ(FolderNames(temp.Path()),
              (std::vector<std::string>{"InvalidRecordLogFile.csv", index, "temp_1.dat", "temp_2.dat", "temp_3.dat"}));

    // The list and a report read what is published while the stop waits for the merge.
    std::atomic<bool> quit{false};
    std::atomic<int> wrong{0};
    std::thread list([&] {
        CRecord record;
        while (!quit.load()) {
            std::int64_t known = 0;
            for (const auto& f : database.Files()) known = std::max<std::int64_t>(known, f->LastSerial() + 1);
            if (known > 0 && !database.GetRecord(known - 1, record)) ++wrong;
        }
    });
    std::thread stopper([&] { database.StopLoad(); });
    ReportRecorder receiver;
    CReportGenerator generator(&database, &receiver);
    recorder.WaitFor([](const LoadNotification& n) { return n.message == UM_LOAD_PROGRESS && n.count >= 2000; }, 60s);
    generator.Start(CReportCriteria(out.File("log.csv"), 0, 1999, kReportTypeCsv));
    generator.Wait();
    stopper.join();
    quit = true;
    list.join();
    watchdog.Disarm();

    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(receiver.Milestones(), (std::vector<std::string>{"started", "completed"}));
    const auto all = recorder.All();
    int files = 0;
    for (const auto& n : all) {
        files += n.message == UM_LOAD_FILE;
        EXPECT_NE(n.message, UM_INVALID_RECORDS);
        EXPECT_NE(n.message, UM_LOAD_FAILED);
    }
    EXPECT_EQ(files, 1) << "the next day was started after the stop";
    ASSERT_EQ(all.back().message, UM_LOAD_FINISHED);
    EXPECT_EQ(all.back().count, perDay);
    ExpectedLoad day;
    day.files.push_back(firstDay);
    const auto sequence = day.Sequence(GetParam(), perDay);
    CRecord record;
    for (std::int64_t s = 0; s < perDay; ++s) {
        ASSERT_TRUE(database.GetRecord(s, record)) << s;
        ASSERT_TRUE(HoldsRecord(GetParam(), sequence, s, record));
    }
    for (const auto& name : FolderNames(temp.Path())) EXPECT_FALSE(name.starts_with("temp_")) << name;
}

INSTANTIATE_TEST_SUITE_P(TimeOrders, StopDuringTheMerge,
                         ::testing::Values(LoadOrder::Ascending, LoadOrder::Descending));

}  // namespace
}  // namespace vyx::test
