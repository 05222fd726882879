// The generator's run control: pause, resume, stop (also while paused or opening), restart, and a report
// running while the store is read by someone else.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ReportTestSupport.h"
#include "report/ReportGenerator.h"

namespace vyx {
namespace {

using namespace std::chrono_literals;
using test::ReadFileText;
using test::RecordingReceiver;
using test::SplitLines;

// The receiver sees an event before the worker has acted on it; wait for the pause itself.
void WaitUntilPaused(const CReportGenerator& generator) {
    for (int i = 0; i < 2000 && !generator.IsPaused(); ++i) std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(generator.IsPaused());
}

class ReportGeneratorControl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_data = new test::TempDir;
        test::WriteSimulatedFolder(s_data->Path(), 1, 999);
        s_store = new test::LoadedStore(s_data->Path());
    }
    static void TearDownTestSuite() {
        delete s_store;
        delete s_data;
    }

    CRecordDatabase& Database() { return s_store->Database(); }
    std::size_t RecordLines(const std::string& path) { return SplitLines(ReadFileText(path)).size() - 1; }

    static test::TempDir* s_data;
    static test::LoadedStore* s_store;
    test::TempDir m_out;
    RecordingReceiver m_receiver;
};

test::TempDir* ReportGeneratorControl::s_data = nullptr;
test::LoadedStore* ReportGeneratorControl::s_store = nullptr;

TEST_F(ReportGeneratorControl, APauseHoldsTheWorkerAndResumeFinishesTheRun) {
    CReportGenerator generator(&Database(), &m_receiver);
    m_receiver.onEvent = [&](const std::string& e) {
        if (e == "started") generator.Pause();
    };
    const std::string path = m_out.File("log.csv");
    generator.Start(CReportCriteria(path, 0, 998, kReportTypeCsv));
    WaitUntilPaused(generator);
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(generator.IsPaused());
    EXPECT_TRUE(generator.IsRunning());
    EXPECT_EQ(m_receiver.Events(), std::vector<std::string>{"started"});

    generator.Resume();
    EXPECT_FALSE(generator.IsPaused());
    generator.Wait();
    const auto events = m_receiver.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "progress"), 4);
    EXPECT_EQ(events.back(), "completed");
    EXPECT_EQ(RecordLines(path), 999u);
}

// The pause takes effect after the record in progress, and a stop while paused writes no further record.
TEST_F(ReportGeneratorControl, StopWhilePausedEndsAfterTheRecordInProgress) {
    struct Case {
        std::int32_t type;
        const char* pauseOn;
        std::size_t records;
    };
    for (const Case c : {Case{kReportTypeCsv, "started", 1}, Case{kReportTypeCsv, "progress", 201},
                         Case{kReportTypeHtml, "progress", 201}, Case{kReportTypeXls, "started", 1}}) {
        RecordingReceiver receiver;
        CReportGenerator generator(&Database(), &receiver);
        std::atomic<bool> paused{false};
        receiver.onEvent = [&](const std::string& e) {
            if (e == c.pauseOn && !paused.exchange(true)) generator.Pause();
        };
        const std::string path = m_out.File("stopped" + std::to_string(c.type));
        generator.Start(CReportCriteria(path, 0, 998, c.type));
        WaitUntilPaused(generator);
        std::this_thread::sleep_for(50ms);
        generator.Stop();
        EXPECT_FALSE(generator.IsRunning());
        EXPECT_FALSE(generator.IsPaused());
        EXPECT_FALSE(generator.IsBusy());
        const auto milestones = receiver.Milestones();
        if (c.type == kReportTypeHtml) {
            EXPECT_EQ(milestones, (std::vector<std::string>{"started", "completed", "open:" + path}));
        } else {
            EXPECT_EQ(milestones, (std::vector<std::string>{"started", "completed"}));
        }
        const std::string bytes = ReadFileText(path);
        if (c.type == kReportTypeCsv) {
            EXPECT_EQ(RecordLines(path), c.records);
        } else if (c.type == kReportTypeHtml) {
            // 21 line feeds before the first row, 9 in each row, 2 after the last.
            EXPECT_EQ(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')), 21 + c.records * 9 + 2);
            EXPECT_TRUE(bytes.ends_with("\n</tr></tbody></table><br></body>\n</html>\n"));
        } else {
            // A complete workbook with every record written before the stop.
            const test::SheetContent sheet = test::ReadSheet(path, 1);
            EXPECT_EQ(sheet.lastRow, static_cast<int>(c.records) + 1);
            EXPECT_EQ(sheet.text.at("A2"), "1");
        }
    }
}

// The cancel question pauses the run; when the run ends meanwhile and the answer is Yes, the stop finds
// nothing running. The pause must not then hold the next run for good.
TEST_F(ReportGeneratorControl, APauseLeftFromAFinishedRunDoesNotHoldTheNextOne) {
    CReportGenerator generator(&Database(), &m_receiver);
    generator.Start(CReportCriteria(m_out.File("a.csv"), 0, 9, kReportTypeCsv));
    generator.Wait();
    generator.Pause();
    generator.Stop();
    EXPECT_FALSE(generator.IsPaused());
    generator.Pause();  // and a pause with no stop at all
    const std::string path = m_out.File("b.csv");
    generator.Start(CReportCriteria(path, 0, 998, kReportTypeCsv));
    generator.Wait();
    EXPECT_EQ(m_receiver.Milestones(), (std::vector<std::string>{"started", "completed", "started", "completed"}));
    EXPECT_EQ(RecordLines(path), 999u);
}

TEST_F(ReportGeneratorControl, StartingAgainStopsTheRunStillGoing) {
    CReportGenerator generator(&Database(), &m_receiver);
    std::atomic<int> starts{0};
    m_receiver.onEvent = [&](const std::string& e) {
        if (e == "started" && starts.fetch_add(1) == 0) generator.Pause();
    };
    const std::string first = m_out.File("first.csv");
    const std::string second = m_out.File("second.csv");
    generator.Start(CReportCriteria(first, 0, 998, kReportTypeCsv));
    WaitUntilPaused(generator);
    generator.Start(CReportCriteria(second, 0, 9, kReportTypeCsv));
    generator.Wait();
    EXPECT_EQ(m_receiver.Milestones(), (std::vector<std::string>{"started", "completed", "started", "completed"}));
    EXPECT_EQ(RecordLines(first), 1u);
    EXPECT_EQ(RecordLines(second), 10u);
}

TEST_F(ReportGeneratorControl, DestroyingAPausedGeneratorEndsItsWorker) {
    const std::string path = m_out.File("log.csv");
    {
        CReportGenerator generator(&Database(), &m_receiver);
        m_receiver.onEvent = [&](const std::string& e) {
            if (e == "started") generator.Pause();
        };
        generator.Start(CReportCriteria(path, 0, 998, kReportTypeCsv));
        WaitUntilPaused(generator);
    }
    m_receiver.onEvent = nullptr;
    EXPECT_EQ(m_receiver.Events().back(), "completed");
    EXPECT_EQ(RecordLines(path), 1u);
}

// The report reads the store through its own handles while the list keeps fetching rows from it.
TEST_F(ReportGeneratorControl, AReportRunsWhileTheStoreIsReadElsewhere) {
    const std::string quiet = m_out.File("quiet.csv");
    {
        CReportGenerator generator(&Database(), &m_receiver);
        generator.Start(CReportCriteria(quiet, 0, 998, kReportTypeCsv));
        generator.Wait();
    }
    RecordingReceiver receiver;
    CReportGenerator generator(&Database(), &receiver);
    const std::string busy = m_out.File("busy.csv");
    generator.Start(CReportCriteria(busy, 0, 998, kReportTypeCsv));
    CRecord record;
    std::int64_t fetched = 0;
    while (generator.IsBusy() || fetched == 0) {
        for (std::int64_t i = 998; i >= 0; i -= 7) fetched += Database().GetRecord(i, record) ? 1 : 0;
    }
    generator.Wait();
    EXPECT_GT(fetched, 0);
    EXPECT_EQ(ReadFileText(busy), ReadFileText(quiet));
}

}  // namespace
}  // namespace vyx
