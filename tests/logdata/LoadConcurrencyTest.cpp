// Stopping loads and fetching records while the worker writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "LoadTestSupport.h"
#include "logdata/DataFolder.h"
#include "platform/File.h"

namespace vyx::test {
namespace {

// Holds the worker inside the filter at one record until the load's stop flag is set.
class StopGate {
public:
    StopGate(std::uint32_t tag, const CRecordDatabase& database) : m_tag(tag), m_database(database) {}
    bool Keep(const CRecord& record) {
        if (TagOf(record) != m_tag || m_used.exchange(true)) return true;
        m_reached.store(true);
        while (!m_database.IsStopFlagSet()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    }
    void WaitReached() const {
        while (!m_reached.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

private:
    std::uint32_t m_tag;
    const CRecordDatabase& m_database;
    std::atomic<bool> m_used{false};
    std::atomic<bool> m_reached{false};
};

class StopMidFileTest : public ::testing::TestWithParam<LoadOrder> {};

TEST_P(StopMidFileTest, NewLoadWaitsForTheFileToBeFinished) {
    LoadFixture f;
    DayFileBytes first;
    first.Records(10, LoadFixture::Day(0))
        .Record(LoadFixture::Day(0) + 10, 0, 0x07)
        .Records(2990, LoadFixture::Day(0) + 11, 10);
    first.WriteTo(f.DayFile(0));
    DayFileBytes().Records(100, LoadFixture::Day(1), 5000).WriteTo(f.DayFile(1));
    ScanDataFolder(f.data.Path(), f.database);
    f.database.SetLoadOrder(GetParam());
    StopGate gate(1500, f.database);
    const FilterList filters = Filters([&](const CRecord& r) { return gate.Keep(r); });
    f.database.StartLoad(filters);
    const std::uint32_t stoppedJob = f.database.JobId();
    gate.WaitReached();

    // The next load stops this one and waits for it; the stopped worker still finishes its file.
    f.database.StartLoad(filters);
    const auto stopped = f.target.All();
    f.database.WaitForLoad();

    std::vector<LoadNotification> old;
    for (const auto& n : stopped) {
        if (n.jobId == stoppedJob) old.push_back(n);
    }
    // Newest first in descending order: the second day was read whole before the stop.
    const std::int64_t read = GetParam() == LoadOrder::Descending ? 1601 : 1501;
    ASSERT_FALSE(old.empty());
    EXPECT_EQ(old.back().message, UM_LOAD_FINISHED);
    EXPECT_EQ(old.back().count, read);
    std::string lastFile;
    for (const auto& n : old) {
        EXPECT_NE(n.message, UM_INVALID_RECORDS);
        if (n.message == UM_LOAD_FILE) lastFile = n.text;
    }
    EXPECT_EQ(lastFile, f.DayFile(0));
    // In time order the part read was sorted and merged before the worker ended.
    if (GetParam() != LoadOrder::Stored) {
        std::int64_t lastProgress = 0;
        for (const auto& n : old) {
            if (n.message == UM_LOAD_PROGRESS) lastProgress = n.count;
        }
        EXPECT_EQ(lastProgress, read);
    }
    EXPECT_NE(f.database.JobId(), stoppedJob);
    const auto all = f.target.All();
    EXPECT_EQ(all.back().message, UM_INVALID_RECORDS);
    EXPECT_EQ(all.back().jobId, f.database.JobId());
    EXPECT_EQ(f.target.Counts(UM_LOAD_FINISHED), (std::vector<std::int64_t>{read, 3100}));
    EXPECT_EQ(f.TempFiles(),
              (std::vector<std::string>{"InvalidRecordLogFile.csv", "LG050109.txt_filter", "LG060109.txt_filter"}));
}

INSTANTIATE_TEST_SUITE_P(AllOrders, StopMidFileTest,
                         ::testing::Values(LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending));

TEST(LoadConcurrencyTest, StoppedLoadKeepsTheLogLinesWrittenSoFar) {
    LoadFixture f;
    DayFileBytes()
        .Record(LoadFixture::Day(0), 1, 0x02)
        .Records(3000, LoadFixture::Day(0) + 1, 10)
        .WriteTo(f.DayFile(0));
    ScanDataFolder(f.data.Path(), f.database);
    StopGate gate(20, f.database);
    const FilterList filters = Filters([&](const CRecord& r) { return gate.Keep(r); });
    f.database.StartLoad(filters);
    gate.WaitReached();
    f.database.StopLoad();
    EXPECT_TRUE(f.target.Counts(UM_INVALID_RECORDS).empty());
    std::ifstream log(f.temp.File("InvalidRecordLogFile.csv"));
    std::string line;
    ASSERT_TRUE(std::getline(log, line));
    EXPECT_EQ(line.substr(0, 2), "0,");
}

TEST(LoadConcurrencyTest, StopRightAfterStartThenResetIsSafe) {
    LoadFixture f;
    for (int d = 0; d < 4; ++d) DayFileBytes().Records(3000, LoadFixture::Day(d)).WriteTo(f.DayFile(d));
    for (int round = 0; round < 20; ++round) {
        f.database.Reset();
        ScanDataFolder(f.data.Path(), f.database);
        f.database.SetLoadOrder(round % 2 ? LoadOrder::Ascending : LoadOrder::Stored);
        f.database.StartLoad({});
        f.database.StopLoad();
        f.database.Reset();  // frees the files the worker was given: it must be gone already
    }
    SUCCEED();
}

class FetchWhileLoadingTest : public ::testing::TestWithParam<LoadOrder> {};

TEST_P(FetchWhileLoadingTest, TwoThreadsSeeOnlyCompleteRecords) {
    LoadFixture f;
    constexpr int kPerDay = 20000;
    for (int d = 0; d < 3; ++d) {
        DayFileBytes()
            .Records(kPerDay, LoadFixture::Day(d), static_cast<std::uint32_t>(d * kPerDay))
            .WriteTo(f.DayFile(d));
    }
    ScanDataFolder(f.data.Path(), f.database);
    f.database.SetLoadOrder(GetParam());
    std::atomic<bool> done{false};
    std::atomic<int> fetched{0};
    std::atomic<int> wrong{0};
    auto reader = [&](unsigned seed) {
        std::mt19937 random(seed);
        CRecord record;
        while (!done.load()) {
            // The newest published serial: published means fetchable, even before it is announced.
            std::int64_t known = 0;
            for (const auto& file : f.database.Files()) known = std::max<std::int64_t>(known, file->LastSerial() + 1);
            if (known == 0) continue;
            const std::int64_t back = random() % 4 == 0 ? static_cast<std::int64_t>(random() % known) : 0;
            const std::int64_t serial = known - 1 - back;
            if (!f.database.GetRecord(serial, record) || TagOf(record) != serial) ++wrong;
            ++fetched;
        }
    };
    // Slow index writes make any gap between publishing a range and writing its entries wide open.
    SetWriteFaultHook([](const std::string& path, std::size_t) {
        if (path.ends_with("_filter")) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return 0;
    });
    f.database.StartLoad({});
    std::thread list(reader, 1u);
    std::thread report(reader, 2u);
    f.database.WaitForLoad();
    SetWriteFaultHook(nullptr);
    done = true;
    list.join();
    report.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GT(fetched.load(), 0);
    EXPECT_EQ(f.FetchTags(3 * kPerDay).back(), 3u * kPerDay - 1);
}

INSTANTIATE_TEST_SUITE_P(Orders, FetchWhileLoadingTest, ::testing::Values(LoadOrder::Stored, LoadOrder::Ascending));

}  // namespace
}  // namespace vyx::test
