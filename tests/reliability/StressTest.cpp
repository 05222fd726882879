// Many loads stopped at random moments and many report runs stopped, paused and restarted: nothing may
// crash, hang, leak a thread or a descriptor, lose a published record or leave files behind.
// VYX_STRESS_CYCLES sets the number of load cycles (default 1000); the report gets a tenth of it.
// VYX_STRESS_SEED varies the moments chosen.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#include "support/FileText.h"
#include "ReliabilitySupport.h"
#include "logdata/DataFolder.h"
#include "platform/File.h"
#include "report/ReportGenerator.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kLogName = "InvalidRecordLogFile.csv";
constexpr const char* kDamageLogName = "DamageLogFile.csv";

class KeepAll : public CFilterCriteria {
public:
    int Test(const CRecord&) const override { return 1; }
};

// Index writes seen by the write seam; in a time-ordered load they come only from the merge.
std::atomic<int> g_indexWrites{0};

class LoadStress : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimulatorOptions options;
        options.days = 2;
        options.recordsPerDay = 12000;  // two runs per day file in time order, so every merge merges
        options.seed = 31;
        options.clockJumps = true;
        sim::GenerateDataFolder(m_data.Path(), options);
        m_expected = ExpectLoadOf(m_data.Path());
        for (LoadOrder order : {LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending}) {
            m_full[static_cast<int>(order)] = m_expected.Sequence(order, m_expected.Total());
        }
        m_keepAll.push_back(std::make_unique<KeepAll>());
        SetWriteFaultHook([](const std::string& path, std::size_t) {
            if (path.ends_with("_filter")) g_indexWrites.fetch_add(1);
            return 0;
        });
    }
    void TearDown() override { SetWriteFaultHook(nullptr); }

    ::testing::AssertionResult Holds(LoadOrder order, const std::vector<const CRecord*>& expected, std::int64_t s,
                                     const CRecord& fetched) const {
        return HoldsRecord(order, expected, s, fetched);
    }

    TempDir m_data;
    TempDir m_temp;
    ExpectedLoad m_expected;
    std::vector<const CRecord*> m_full[3];
    FilterList m_noFilters;
    FilterList m_keepAll;
};

// What one load told: started once, ended once (never failed), counts never going back, and the
// invalid-records notice only for a load that ran to its end.
void CheckNotificationsOfStoppedLoad(const std::vector<LoadNotification>& all, std::int64_t fullTotal,
                                     std::int64_t& finished) {
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.front().message, UM_LOAD_STARTED);
    int ends = 0;
    std::int64_t progress = 0;
    finished = -1;
    for (const auto& n : all) {
        switch (n.message) {
            case UM_LOAD_FINISHED:
                ++ends;
                finished = n.count;
                EXPECT_GE(n.count, progress);
                break;
            case UM_LOAD_PROGRESS:
                EXPECT_EQ(ends, 0) << "progress after the end";
                EXPECT_GE(n.count, progress);
                progress = n.count;
                break;
            case UM_INVALID_RECORDS:
                EXPECT_EQ(ends, 1);
                EXPECT_EQ(finished, fullTotal) << "invalid-records notice after a stop";
                break;
            case UM_LOAD_FAILED: ADD_FAILURE() << "load failed: " << n.text; break;
            default: EXPECT_EQ(ends, 0) << "notification " << n.message << " after the end";
        }
    }
    EXPECT_EQ(ends, 1);
}

TEST_F(LoadStress, StartAndStopAtRandomMomentsInEveryOrder) {
    const int cycles = CountFromEnvironment("VYX_STRESS_CYCLES", 1000);
    SealedFolder seal(m_data.Path());
    Watchdog watchdog;
    LoadRecorder recorder;
    auto database = std::make_unique<CRecordDatabase>(m_temp.Path(), &recorder);
    const ProcessResources baseline = CountProcessResources();
    const int seed = CountFromEnvironment("VYX_STRESS_SEED", 20260105);
    std::mt19937 random(static_cast<unsigned>(seed));
    const LoadOrder orders[] = {LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending};

    // One whole load per order first: every serial checked, and its time taken as the span to stop within.
    std::chrono::microseconds fullTime[3];
    for (LoadOrder order : orders) {
        const int o = static_cast<int>(order);
        database->Reset();
        ScanDataFolder(m_data.Path(), *database);
        database->SetLoadOrder(order);
        watchdog.Arm("a whole load", 60s);
        const auto start = std::chrono::steady_clock::now();
        database->StartLoad(m_noFilters);
        database->WaitForLoad();
        fullTime[o] = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
        const auto all = recorder.OfJob(database->JobId());
        ASSERT_EQ(all.back().message, UM_INVALID_RECORDS);
        EXPECT_EQ(all.back().count, m_expected.Invalid());
        CRecord record;
        for (std::int64_t s = 0; s < m_expected.Total(); ++s) {
            ASSERT_TRUE(database->GetRecord(s, record)) << s;
            ASSERT_TRUE(Holds(order, m_full[o], s, record));
        }
        EXPECT_FALSE(database->GetRecord(m_expected.Total(), record));
    }

    // What the cycles covered, for the record of the run.
    std::int64_t stoppedEarly = 0;
    std::int64_t publishedSum = 0;
    int perPoint[5] = {};
    std::atomic<bool> readerQuit{false};
    std::atomic<int> readerWrong{0};
    std::atomic<std::int64_t> readerFetches{0};
    bool running = false;  // the previous cycle started this cycle's load
    LoadOrder order = LoadOrder::Stored;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        if (!running) {
            database->Reset();
            for (const auto& name : FolderNames(m_temp.Path())) {
                ASSERT_TRUE(name == kLogName || name == kDamageLogName) << name << " left behind after a reset, cycle "
                                                                        << cycle;
            }
            ScanDataFolder(m_data.Path(), *database);
            order = orders[random() % 3];
            database->SetLoadOrder(order);
            database->StartLoad(random() % 2 ? m_noFilters : m_keepAll);
        }
        const std::uint32_t job = database->JobId();
        const int o = static_cast<int>(order);

        // A second reader fetches what has been published, as the report would while the list reads.
        readerQuit = false;
        std::thread reader([&, readerSeed = random()] {
            std::mt19937 r(readerSeed);
            const CRecordDatabaseView view = database->View();
            CRecord record;
            while (!readerQuit.load()) {
                std::int64_t known = 0;
                for (const auto& file : database->Files()) {
                    known = std::max<std::int64_t>(known, file->LastSerial() + 1);
                }
                if (known == 0) {
                    std::this_thread::yield();
                    continue;
                }
                const auto s = static_cast<std::int64_t>(r() % static_cast<std::uint64_t>(known));
                try {
                    if (!view.GetRecord(s, record) ||
                        (order == LoadOrder::Stored && !SameRecord(record, *m_full[0][s]))) {
                        ++readerWrong;
                    }
                } catch (const std::exception&) {
                    ++readerWrong;
                }
                ++readerFetches;
            }
        });

        // Where to stop: at once, after a random time, at a file or a progress count, or in a merge.
        watchdog.Arm("waiting for the stop point of cycle " + std::to_string(cycle), 30s);
        const auto ended = [&] {
            for (const auto& n : recorder.OfJob(job)) {
                if (n.message == UM_LOAD_FINISHED) return true;
            }
            return false;
        };
        const int point = static_cast<int>(random() % 5);
        ++perPoint[point];
        if (point == 1) {
            std::this_thread::sleep_for(std::chrono::microseconds(random() % (fullTime[o].count() + 1)));
        } else if (point == 2) {
            const std::string file = m_expected.files[random() % m_expected.files.size()].path;
            recorder.WaitFor(
                [&](const LoadNotification& n) {
                    return n.jobId == job &&
                           (n.message == UM_LOAD_FINISHED || (n.message == UM_LOAD_FILE && n.text == file));
                },
                30s);
        } else if (point == 3) {
            const std::int64_t count = 1000 * (1 + static_cast<std::int64_t>(random() % (m_expected.Total() / 1000)));
            recorder.WaitFor(
                [&](const LoadNotification& n) {
                    return n.jobId == job &&
                           (n.message == UM_LOAD_FINISHED || (n.message == UM_LOAD_PROGRESS && n.count >= count));
                },
                30s);
        } else if (point == 4) {
            const int seen = g_indexWrites.load();
            while (g_indexWrites.load() == seen && !ended()) std::this_thread::sleep_for(20us);
        }
        readerQuit = true;
        reader.join();

        const bool restart = random() % 4 == 0;
        watchdog.Arm("stopping the load of cycle " + std::to_string(cycle), 30s);
        if (restart) {
            // A new load stops the running one itself.
            order = orders[random() % 3];
            database->SetLoadOrder(order);
            database->StartLoad(random() % 2 ? m_noFilters : m_keepAll);
        } else {
            database->StopLoad();
        }
        running = restart;
        ASSERT_TRUE(database->IsStopFlagSet() || restart);

        std::int64_t finished = -1;
        CheckNotificationsOfStoppedLoad(recorder.OfJob(job), m_expected.Total(), finished);
        if (HasFatalFailure() || HasFailure()) FAIL() << "cycle " << cycle << ", point " << point;
        publishedSum += finished;
        if (finished < m_expected.Total()) ++stoppedEarly;
        if (!restart) {
            // Everything the stopped load published stays fetchable, and right.
            const auto expected = m_expected.Sequence(static_cast<LoadOrder>(o), finished);
            CRecord record;
            std::vector<std::int64_t> serials = {0, finished - 1};
            for (int i = 0; i < 20; ++i) serials.push_back(static_cast<std::int64_t>(random() % (finished + 1)) - 1);
            for (std::int64_t s : serials) {
                if (s < 0 || s >= finished) continue;
                ASSERT_TRUE(database->GetRecord(s, record)) << "cycle " << cycle << " serial " << s;
                ASSERT_TRUE(Holds(static_cast<LoadOrder>(o), expected, s, record)) << "cycle " << cycle;
            }
            EXPECT_FALSE(database->GetRecord(finished, record)) << "cycle " << cycle;
            for (const auto& name : FolderNames(m_temp.Path())) {
                EXPECT_EQ(name.rfind("temp_", 0), std::string::npos) << "run file left after cycle " << cycle;
            }
        }
        // The load a restart began is the next cycle's: its notifications stay.
        recorder.KeepOnly(restart ? database->JobId() : 0);
    }
    std::printf(
        "seed %d: %d cycles (at once %d, after a delay %d, at a file %d, at a count %d, in a merge %d): %lld stopped "
        "before the end, %lld records published on average of %lld; whole loads took %lld/%lld/%lld us; "
        "%lld fetches by the second reader\n",
        seed, cycles, perPoint[0], perPoint[1], perPoint[2], perPoint[3], perPoint[4],
        static_cast<long long>(stoppedEarly), static_cast<long long>(publishedSum / std::max(cycles, 1)),
        static_cast<long long>(m_expected.Total()), static_cast<long long>(fullTime[0].count()),
        static_cast<long long>(fullTime[1].count()), static_cast<long long>(fullTime[2].count()),
        static_cast<long long>(readerFetches.load()));
    watchdog.Arm("the last stop and reset", 30s);
    database->StopLoad();
    database->Reset();
    watchdog.Disarm();
    // Only the two logs stay; the damage log when the last load got as far as a damaged frame.
    const auto onlyTheLogs = [&] {
        auto names = FolderNames(m_temp.Path());
        std::erase(names, std::string(kDamageLogName));
        return names;
    };
    EXPECT_EQ(onlyTheLogs(), (std::vector<std::string>{kLogName}));
    EXPECT_EQ(readerWrong.load(), 0) << "of " << readerFetches.load() << " fetches by the second reader";
    EXPECT_EQ(SettledProcessResources(baseline), baseline);
    EXPECT_EQ(seal.Changes(), std::vector<std::string>{});
    database.reset();
    EXPECT_EQ(onlyTheLogs(), (std::vector<std::string>{kLogName}));
}

// ---- reports

// A report file as a stop or the end leaves it: complete lines, numbered from 1 without gaps.
// written: the records found in a CSV or HTML file.
void CheckReportFile(std::int32_t type, const std::string& path, std::int64_t records, bool whole,
                     std::int64_t& written) {
    written = -1;
    ASSERT_TRUE(FileExists(path)) << path;
    const std::string text = ReadFileText(path);
    if (type == kReportTypeCsv) {
        ASSERT_TRUE(text.starts_with("Sr.No.,Date-Time,MessageContent,MessageMode,Source,FCU,Channel,\r\n"));
        ASSERT_TRUE(text.ends_with("\r\n"));
        std::int64_t n = 0;
        for (std::size_t at = text.find("\r\n") + 2; at < text.size();) {
            const std::size_t end = text.find("\r\n", at);
            ASSERT_NE(end, std::string::npos);
            const std::string line = text.substr(at, end - at);
            ASSERT_EQ(line.substr(0, line.find(',')), std::to_string(++n)) << path;
            EXPECT_GE(std::count(line.begin(), line.end(), ','), 6);
            at = end + 2;
        }
        written = n;
        EXPECT_LE(n, records);
        if (whole) {
            EXPECT_EQ(n, records);
        }
    } else if (type == kReportTypeHtml) {
        EXPECT_TRUE(text.starts_with("<!DOCTYPE html>\n<html>\n<head>"));
        EXPECT_TRUE(text.ends_with("</tbody></table><br></body>\n</html>\n")) << path;
        std::int64_t rows = 0;
        for (std::size_t at = text.find("<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"right\">");
             at != std::string::npos;
             at = text.find("<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"right\">", at + 1)) {
            ++rows;
        }
        written = rows;
        EXPECT_LE(rows, records);
        if (whole) {
            EXPECT_EQ(rows, records);
        }
    } else {
        // A workbook is a zip archive, whole only with its end-of-directory record.
        ASSERT_GE(text.size(), 22u);
        EXPECT_NE(text.rfind(std::string("PK\x05\x06", 4)), std::string::npos) << path;
    }
}

TEST(ReportStress, StartStopPauseAndRestartCycles) {
    const int cycles = std::max(10, CountFromEnvironment("VYX_STRESS_CYCLES", 1000) / 10);
    TempDir data;
    TempDir temp;
    TempDir out;
    sim::SimulatorOptions options;
    options.days = 1;
    options.recordsPerDay = 6000;
    options.seed = 8;
    sim::GenerateDataFolder(data.Path(), options);
    SealedFolder seal(data.Path());
    Watchdog watchdog;
    LoadRecorder recorder;
    CRecordDatabase database(temp.Path(), &recorder);
    ScanDataFolder(data.Path(), database);
    database.StartLoad({});
    database.WaitForLoad();
    const std::int64_t total = recorder.All().at(recorder.All().size() - 2).count;
    ASSERT_GT(total, 5000);
    const auto tempBefore = FolderNames(temp.Path());

    ReportRecorder receiver;
    const ProcessResources baseline = CountProcessResources();
    std::mt19937 random(static_cast<unsigned>(CountFromEnvironment("VYX_STRESS_SEED", 77)));
    const std::int32_t types[] = {kReportTypeCsv, kReportTypeHtml, kReportTypeXls};
    int runCount = 0;
    int stoppedAtStart = 0;
    int stoppedMidway = 0;
    const char* extensions[] = {"html", "csv", "xlsx"};
    {
        CReportGenerator generator(&database, &receiver);
        generator.SetRecordsPerSheetForTest(700);  // sheet and workbook changes within a few thousand records
        for (int cycle = 0; cycle < cycles; ++cycle) {
            receiver.Clear();
            receiver.onEvent = nullptr;
            struct Run {
                std::int32_t type;
                std::string path;
                std::int64_t records;
            };
            std::vector<Run> runs;
            auto start = [&] {
                const std::int32_t type = types[random() % 3];
                const auto first = static_cast<std::int32_t>(random() % static_cast<std::uint64_t>(total));
                const auto last =
                    static_cast<std::int32_t>(first + random() % static_cast<std::uint64_t>(total - first));
                runs.push_back(
                    {type,
                     out.File("r" + std::to_string(cycle) + "_" + std::to_string(runs.size()) + "." + extensions[type]),
                     last - first + 1});
                generator.Start(CReportCriteria(runs.back().path, first, last, type));
            };
            const int action = static_cast<int>(random() % 6);
            const auto somewhile = [&] { std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000)); };
            watchdog.Arm("report cycle " + std::to_string(cycle) + " action " + std::to_string(action), 60s);
            bool stopped = true;
            start();
            switch (action) {
                case 0: generator.Stop(); break;
                case 1:
                    receiver.WaitFor("started", 30s);
                    generator.Stop();
                    break;
                case 2:
                    receiver.WaitFor("started", 30s);
                    somewhile();
                    generator.Pause();
                    somewhile();
                    if (random() % 2) {
                        generator.Stop();
                    } else {
                        generator.Resume();
                        generator.Wait();
                    }
                    break;
                case 3:
                    receiver.WaitFor("started", 30s);
                    somewhile();
                    start();  // the running one is stopped first
                    generator.Wait();
                    break;
                case 4:
                    somewhile();
                    generator.Stop();
                    break;
                default: generator.Wait(); stopped = false;
            }
            generator.Wait();
            EXPECT_FALSE(generator.IsBusy());
            EXPECT_FALSE(generator.IsRunning());
            EXPECT_FALSE(generator.IsPaused());

            // Each run: started, its steps, then completed (and the page to open for HTML), nothing else.
            std::vector<std::string> expected;
            for (const Run& run : runs) {
                expected.push_back("started");
                expected.push_back("completed");
                if (run.type == kReportTypeHtml) expected.push_back("open:" + run.path);
            }
            EXPECT_EQ(receiver.Milestones(), expected) << "cycle " << cycle << " action " << action;
            for (std::size_t i = 0; i < runs.size(); ++i) {
                const bool whole = !stopped || (action == 3 && i + 1 == runs.size());
                if (runs[i].type == kReportTypeXls) {
                    // Workbook parts: "_1", "_2", ... once a run needs more than one.
                    const std::string single = runs[i].path;
                    const std::string part = single.substr(0, single.size() - 5) + "_1.xlsx";
                    std::int64_t ignored = 0;
                    CheckReportFile(kReportTypeXls, FileExists(single) ? single : part, runs[i].records, whole,
                                    ignored);
                } else {
                    std::int64_t written = 0;
                    CheckReportFile(runs[i].type, runs[i].path, runs[i].records, whole, written);
                    if (written == 0) ++stoppedAtStart;
                    if (written > 0 && written < runs[i].records) ++stoppedMidway;
                }
                ++runCount;
            }
            if (HasFailure()) FAIL() << "cycle " << cycle << " action " << action;
            for (const auto& name : FolderNames(out.Path())) std::filesystem::remove(out.File(name));
        }
        watchdog.Disarm();
    }
    std::printf(
        "%d report cycles, %d runs; of the CSV and HTML runs %d were stopped before their first record and "
        "%d midway\n",
        cycles, runCount, stoppedAtStart, stoppedMidway);
    EXPECT_EQ(SettledProcessResources(baseline), baseline);
    EXPECT_EQ(FolderNames(temp.Path()), tempBefore) << "the report left files in the temporary folder";
    EXPECT_EQ(seal.Changes(), std::vector<std::string>{});
}

}  // namespace
}  // namespace vyx::test
