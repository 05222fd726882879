// Reports that meet full disks, and reports that are running while the load under them fails.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>

#include "ReliabilitySupport.h"
#include "export/RecordExport.h"
#include "export/SqliteExportSink.h"
#include "logdata/DataFolder.h"
#include "platform/File.h"
#include "report/ReportFile.h"
#include "report/ReportGenerator.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kAbort = "Report generation aborted.\nPlease try again.";

std::string Text(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> Texts(const std::vector<PlainWindow::Box>& boxes) {
    std::vector<std::string> texts;
    for (const auto& b : boxes) texts.push_back(b.text);
    return texts;
}

std::size_t Lines(const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++n;
    return n;
}

// What a load published, fetched record by record.
std::vector<CRecord> Published(CRecordDatabase& database, std::int64_t count) {
    std::vector<CRecord> records(static_cast<std::size_t>(count));
    for (std::int64_t s = 0; s < count; ++s) EXPECT_TRUE(database.GetRecord(s, records[static_cast<std::size_t>(s)]));
    return records;
}

bool SameRecords(const std::vector<CRecord>& a, const std::vector<CRecord>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameRecord);
}

// A store loaded from a sealed simulator folder, for reports to run over.
class ReportDiskFull : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_data = new TempDir;
        sim::SimulatorOptions options;
        options.days = 1;
        options.recordsPerDay = 66000;  // more than one CSV part file
        options.seed = 3;
        options.faults = false;
        sim::GenerateDataFolder(s_data->Path(), options);
        s_seal = new SealedFolder(s_data->Path());
        s_temp = new TempDir;
        s_recorder = new LoadRecorder;
        s_database = new CRecordDatabase(s_temp->Path(), s_recorder);
        ScanDataFolder(s_data->Path(), *s_database);
        s_database->StartLoad({});
        s_database->WaitForLoad();
        s_before = new std::vector<CRecord>(Published(*s_database, 66000));
    }
    static void TearDownTestSuite() {
        EXPECT_EQ(s_seal->Changes(), std::vector<std::string>{});
        delete s_before;
        delete s_database;
        delete s_recorder;
        delete s_temp;
        delete s_seal;
        delete s_data;
    }
    void TearDown() override {
        // Nothing of a failed report touches the store: every record reads as before.
        EXPECT_TRUE(SameRecords(Published(*s_database, 66000), *s_before));
        EXPECT_EQ(FolderNames(s_temp->Path()),
                  (std::vector<std::string>{"InvalidRecordLogFile.csv", "LG050109.txt_filter"}));
    }

    // Runs a report to its end and returns its notifications. leaves: descriptors the run may leave open.
    std::vector<std::string> Run(const CReportCriteria& criteria, std::int64_t recordsPerSheet = 0, int leaves = 0) {
        ReportRecorder receiver;
        Watchdog watchdog;
        const ProcessResources baseline = CountProcessResources();
        {
            CReportGenerator generator(s_database, &receiver);
            if (recordsPerSheet > 0) generator.SetRecordsPerSheetForTest(recordsPerSheet);
            watchdog.Arm("a report on a full disk", 120s);
            generator.Start(criteria);
            generator.Wait();
        }
        ProcessResources expected = baseline;
        expected.descriptors += leaves;
        EXPECT_EQ(SettledProcessResources(baseline), expected) << "a thread or a descriptor outlived the report";
        return receiver.Milestones();
    }

    static TempDir* s_data;
    static SealedFolder* s_seal;
    static TempDir* s_temp;
    static LoadRecorder* s_recorder;
    static CRecordDatabase* s_database;
    static std::vector<CRecord>* s_before;
    TempDir m_out;
};

TempDir* ReportDiskFull::s_data = nullptr;
SealedFolder* ReportDiskFull::s_seal = nullptr;
TempDir* ReportDiskFull::s_temp = nullptr;
LoadRecorder* ReportDiskFull::s_recorder = nullptr;
CRecordDatabase* ReportDiskFull::s_database = nullptr;
std::vector<CRecord>* ReportDiskFull::s_before = nullptr;

// /dev/full refuses every write with the disk-full error, as a full disk does; a link to it stands for a
// part file on a disk that filled up while the part before it was written.
TEST_F(ReportDiskFull, CsvPartTwoOnAFullDiskKeepsPartOneWhole) {
    const std::string chosen = m_out.File("log.csv");
    ASSERT_EQ(::symlink("/dev/full", m_out.File("log_2.csv").c_str()), 0);
    EXPECT_EQ(Run(CReportCriteria(chosen, 0, 65999, kReportTypeCsv)),
              (std::vector<std::string>{"started",
                                        std::string("message:No space left on device\n") + kAbort +
                                            "\nKept as an incomplete report: records 1 to 65535 in " +
                                            m_out.File("log_1.csv"),
                                        "failed"}));
    const std::string first = Text(m_out.File("log_1.csv"));
    EXPECT_EQ(Lines(first), 65536u);
    EXPECT_TRUE(first.ends_with("\r\n"));
    EXPECT_EQ(first.substr(first.rfind("\r\n", first.size() - 3) + 2, 6), "65535,");
}

TEST_F(ReportDiskFull, HtmlLargerThanOneBlockFailsMidwayOnAFullDisk) {
    EXPECT_EQ(
        Run(CReportCriteria("/dev/full", 0, 65999, kReportTypeHtml)),
        (std::vector<std::string>{"started", std::string("message:No space left on device\n") + kAbort, "failed"}));
}

TEST_F(ReportDiskFull, WorkbookTwoOnAFullDiskKeepsWorkbookOne) {
    const std::string chosen = m_out.File("log.xlsx");
    ASSERT_EQ(::symlink("/dev/full", m_out.File("log_2.xlsx").c_str()), 0);
    // Three sheets of 50 records make a workbook; 151 records need a second one.
    const auto events = Run(CReportCriteria(chosen, 0, 150, kReportTypeXls), 50);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0], "started");
    EXPECT_EQ(events[1], std::string("message:No space left on device\n") + kAbort +
                             "\nKept as an incomplete report: records 1 to 150 in " + m_out.File("log_1.xlsx"));
    EXPECT_EQ(events[2], "failed");
    const std::string first = Text(m_out.File("log_1.xlsx"));
    EXPECT_NE(first.rfind(std::string("PK\x05\x06", 4)), std::string::npos) << "the first workbook is not whole";
}

TEST_F(ReportDiskFull, WorkbookOnAFullDiskFails) {
    const auto events = Run(CReportCriteria("/dev/full", 0, 999, kReportTypeXls));
    // The system's words for it, as for the other report files.
    EXPECT_EQ(events, (std::vector<std::string>{"started", std::string("message:No space left on device\n") + kAbort,
                                                "failed"}));
}

// The SQLite export writes most of its file itself: a disk that fills up while its pages go out (the rows, or the
// indexes and the header after them) fails the export with the disk's words and leaves nothing under the chosen
// name.
TEST_F(ReportDiskFull, SqliteExportOnAFullDiskFailsAndLeavesNothing) {
    const std::string chosen = m_out.File("log.sqlite");
    std::size_t written = 0;
    const auto exportTo = [&](std::size_t room) -> std::string {
        written = 0;
        SetWriteFaultHook([&](const std::string& path, std::size_t bytes) {
            if (!path.starts_with(m_out.Path())) return 0;
            written += bytes;
            return written > room ? ENOSPC : 0;
        });
        std::string failure;
        try {
            CSqliteExportSink sink(chosen, FCUInformationFilePath(s_data->Path()), ExportMeta{});
            ExportRecords(*s_database, 66000, sink, {});
        } catch (const CVyxError& e) {
            failure = e.what();
        }
        SetWriteFaultHook(nullptr);
        return failure;
    };
    ASSERT_EQ(exportTo(SIZE_MAX), "");
    const std::size_t whole = written;
    std::filesystem::remove(chosen);
    for (const std::size_t room : {std::size_t{1} << 20, whole - 1}) {
        SCOPED_TRACE(room);
        const std::string failure = exportTo(room);
        EXPECT_NE(failure.find("No space left on device"), std::string::npos) << failure;
        // Among the rows, or at the very end.
        EXPECT_EQ(failure.find("records:") != std::string::npos, room < whole / 2) << failure;
        EXPECT_EQ(FolderNames(m_out.Path()), std::vector<std::string>{});
    }
}

// ---- a report running while the load under it fails

enum class Trigger { DiskFullInTheWorker, FetchFailsForTheList };

class ReportDuringAFailingLoad : public ::testing::TestWithParam<Trigger> {};

// The report dialog lets a report start while records are still coming in. When that load then fails, the
// main window empties its list; the report reads the same day files and must finish unharmed.
TEST_P(ReportDuringAFailingLoad, TheReportFinishesAndTheNextLoadWorks) {
    TempDir data;
    TempDir temp;
    TempDir out;
    sim::SimulatorOptions options;
    options.days = 2;
    options.recordsPerDay = 3000;
    options.seed = 12;
    options.faults = false;
    sim::GenerateDataFolder(data.Path(), options);
    SealedFolder seal(data.Path());
    Watchdog watchdog;

    // The worker is held at its first index write of the second day, then finds the disk full.
    std::atomic<bool> atGate{false};
    std::atomic<bool> release{false};
    SetWriteFaultHook([&](const std::string& path, std::size_t) {
        if (!path.ends_with("LG060109.txt_filter")) return 0;
        atGate = true;
        while (!release.load()) std::this_thread::sleep_for(1ms);
        return GetParam() == Trigger::DiskFullInTheWorker ? ENOSPC : 0;
    });

    PlainWindow window;
    NotificationQueue queue;
    CMainWindowController controller(window, window, window, temp.Path(), &queue);
    ReportRecorder receiver;
    CReportGenerator generator(&controller.Database(), &receiver);
    window.reportRunning = [&] { return generator.IsRunning() || generator.IsBusy(); };
    controller.OnInit();

    watchdog.Arm("the first day's records", 60s);
    controller.OpenFolder({data.Path(), true});
    while (!atGate.load() || controller.Total() < 3000) {
        if (auto n = queue.Take(1ms)) controller.OnLoadNotification(*n);
    }
    const std::vector<CRecord> shown = Published(controller.Database(), 3000);

    receiver.onEvent = [&](const std::string& e) {
        if (e == "started") generator.Pause();
    };
    const std::string report = out.File("log.csv");
    generator.Start(CReportCriteria(report, 0, 2999, kReportTypeCsv));
    watchdog.Arm("the report's pause", 60s);
    while (!generator.IsPaused()) std::this_thread::sleep_for(1ms);

    if (GetParam() == Trigger::DiskFullInTheWorker) {
        release = true;
        watchdog.Arm("the failing load", 60s);
        ASSERT_TRUE(queue.PumpUntilEnd(controller, 60s));
        ASSERT_FALSE(window.boxes.empty());
        EXPECT_EQ(window.boxes.back().text, "Very low disk space in " + temp.Path() +
                                                " drive.\nTo view more data please create space in " + temp.Path() +
                                                " drive.");
    } else {
        // The second day's index goes missing before the list has opened it: the list's fetch fails.
        release = true;
        watchdog.Arm("the load to its end", 60s);
        ASSERT_TRUE(queue.PumpUntilEnd(controller, 60s));
        ASSERT_EQ(window.listTotal, 6000);
        ASSERT_TRUE(std::filesystem::remove(temp.File("LG060109.txt_filter")));
        controller.FillPage(2990, 40);
        ASSERT_FALSE(window.boxes.empty());
        EXPECT_EQ(window.boxes.back().text, "No such file or directory: " + temp.File("LG060109.txt_filter"));
    }
    EXPECT_EQ(window.boxes.back().icon, MessageIcon::Stop);
    EXPECT_EQ(window.listTotal, 0);

    // While the report holds the day files, nothing may reload the store.
    window.boxes.clear();
    controller.OnMessageFilter();
    EXPECT_FALSE(controller.OnSortRequest(LoadOrder::Ascending));
    window.nextChoice = FolderChoice{data.Path(), true};
    controller.OnSelectFolder();
    EXPECT_EQ(Texts(window.boxes),
              (std::vector<std::string>{"Report generation is in process. Can not continue with filtering.",
                                        "Report generation is in process. Can not continue with sorting.",
                                        "Report generation is in proces.  Can not continue with folder selection."}));
    EXPECT_FALSE(controller.Database().Files().empty());

    watchdog.Arm("the report after the failure", 60s);
    generator.Resume();
    generator.Wait();
    EXPECT_EQ(receiver.Milestones(), (std::vector<std::string>{"started", "completed"}));
    EXPECT_EQ(Lines(Text(report)), 3001u);

    // Once the report is over, the window goes on as usual.
    SetWriteFaultHook(nullptr);
    queue.PumpUntilEnd(controller, 1ms);
    window.boxes.clear();
    watchdog.Arm("the next load", 60s);
    controller.OnMessageFilter();
    ASSERT_TRUE(queue.PumpUntilEnd(controller, 60s));
    EXPECT_EQ(window.listTotal, 6000);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(SameRecords(Published(controller.Database(), 3000), shown));
    controller.OnClose();
    watchdog.Disarm();
    EXPECT_EQ(seal.Changes(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Triggers, ReportDuringAFailingLoad,
                         ::testing::Values(Trigger::DiskFullInTheWorker, Trigger::FetchFailsForTheList),
                         [](const auto& info) {
                             return info.param == Trigger::DiskFullInTheWorker ? "DiskFullInTheWorker"
                                                                               : "FetchFailsForTheList";
                         });

}  // namespace
}  // namespace vyx::test
