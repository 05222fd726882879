// The data folder is only ever read. Every flow of the viewer's logic, every load order with the filter
// bar's filters, every report form and the command-line tool run against a folder that is read-only and
// watched: as root mode bits stop nothing, so the folder's entries are compared by name, type, mode, size,
// change times and content hash afterwards, and an inotify watch reports any write, even one that put the
// same bytes back.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ReliabilitySupport.h"
#include "filter/CommandList.h"
#include "logdata/LoadPipeline.h"
#include "report/FCULogReport.h"
#include "report/ReportGenerator.h"
#include "simulator/LoggerSimulator.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class ReadOnlyDataFolder : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimulatorOptions options;
        options.days = 3;
        options.recordsPerDay = 3000;
        options.seed = 9;
        options.clockJumps = true;
        m_summary = sim::GenerateDataFolder(m_data.Path(), options);
        // Entries that must never be opened: a pipe would hold a reader for ever.
        ASSERT_EQ(::mkfifo(m_data.File("LG010209.txt").c_str(), 0600), 0);
        fs::create_directory(m_data.File("LG020209.txt"));
        m_seal = std::make_unique<SealedFolder>(m_data.Path());
    }
    void TearDown() override { EXPECT_EQ(m_seal->Changes(), std::vector<std::string>{}); }

    TempDir m_data;
    TempDir m_temp;
    TempDir m_out;
    sim::SimulatorSummary m_summary;
    std::unique_ptr<SealedFolder> m_seal;
};

class TableRows : public IFCUReportRowSource {
public:
    explicit TableRows(const std::vector<std::array<std::string, 3>>& rows) : m_rows(rows) {}
    int RowCount() const override { return static_cast<int>(m_rows.size()); }
    std::string ItemText(int row, int column) const override {
        return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }

private:
    const std::vector<std::array<std::string, 3>>& m_rows;
};

TEST_F(ReadOnlyDataFolder, TheViewersFlowsLoadsAndReportsNeverWriteIt) {
    Watchdog watchdog;
    watchdog.Arm("the viewer's flows on a read-only folder", 300s);
    PlainWindow window;
    NotificationQueue queue;
    CMainWindowController controller(window, window, window, m_temp.Path(), &queue);
    controller.OnInit();
    const auto loaded = [&](const std::function<void()>& command) {
        command();
        if (!controller.Database().IsStopFlagSet()) {
            ASSERT_TRUE(queue.PumpUntilEnd(controller, 120s));
        }
    };

    // Opening in messages mode loads everything; the list pages through it; details follow the rows.
    loaded([&] { controller.OpenFolder({m_data.Path(), true}); });
    ASSERT_EQ(window.listTotal, m_summary.records);
    controller.FillPage(0, 60);
    controller.FillPage(m_summary.records - 60, 60);
    EXPECT_EQ(controller.PageRows(), 60);
    int details = 0;
    for (std::int64_t s = 0; s < m_summary.records && details < 6; ++s) {
        CRecord record;
        ASSERT_TRUE(controller.Database().GetRecord(s, record));
        if (record.m_nMessageMode == kModeParameterBlockTransfer || record.m_nMessageMode == kModeModbus) {
            controller.OnRowDoubleClicked(s);
            controller.OnRowClicked(s + 1);
            controller.OnRowKey(s, 13);
            ++details;
        }
    }
    EXPECT_EQ(details, 6);

    // The filter bar in many settings, and both time orders.
    const CivilDateTime from{2009, 1, 6, 10, 0, 0};
    const CivilDateTime to{2009, 1, 7, 9, 0, 0};
    for (int commandIndex : {0, 1, 5, 12, 19, 20, 33, 50, 78}) {
        for (int channel : {0, 1, 2}) {
            window.inputs.selection.commandIndex = commandIndex;
            window.inputs.selection.channelIndex = channel;
            window.inputs.selection.fcuText = commandIndex % 2 ? "--ALL--" : "7";
            window.inputs.selection.selectDateTime = channel == 2;
            window.inputs.selection.from = from;
            window.inputs.selection.to = to;
            loaded([&] { controller.OnMessageFilter(); });
            controller.FillPage(0, 40);
        }
    }
    window.inputs.selection = {};
    window.inputs.modbusAddressText = "16";
    for (LoadOrder sort : {LoadOrder::Ascending, LoadOrder::Descending, LoadOrder::Stored}) loaded([&] { ASSERT_TRUE(controller.OnSortRequest(sort)); });
    window.inputs.modbusAddressText = "240";
    loaded([&] { controller.OnMessageFilter(); });
    ASSERT_EQ(window.listTotal, m_summary.records);

    // The Message Log report in every form, from the loaded store.
    ReportRecorder receiver;
    {
        CReportGenerator generator(&controller.Database(), &receiver);
        for (const auto& [type, name] : {std::pair{kReportTypeCsv, "log.csv"}, std::pair{kReportTypeHtml, "log.html"},
                                         std::pair{kReportTypeXls, "log.xlsx"}}) {
            generator.Start(
                CReportCriteria(m_out.File(name), 0, static_cast<std::int32_t>(m_summary.records - 1), type));
            generator.Wait();
        }
    }
    EXPECT_EQ(receiver.Milestones(),
              (std::vector<std::string>{"started", "completed", "started", "completed",
                                        "open:" + m_out.File("log.html"), "started", "completed"}));

    // FCU mode with each channel, and the FCU Log report in every form.
    controller.OpenFolder({m_data.Path(), false});
    for (int channel : {1, 2, 0}) {
        window.fcuChannel = channel;
        controller.OnFcuFilter();
        ASSERT_FALSE(window.fcuRows.empty());
    }
    const TableRows rows(window.fcuRows);
    for (const auto& [type, name] : {std::pair{kReportTypeCsv, "fcu.csv"}, std::pair{kReportTypeHtml, "fcu.html"},
                                     std::pair{kReportTypeXls, "fcu.xlsx"}}) {
        EXPECT_TRUE(WriteFCULogReport(rows, CFCUReportCriteria(m_out.File(name), type)).written) << name;
    }
    controller.OnClose();
    // Only the invalid-records notices, and the filters that keep nothing; no failure of any kind.
    EXPECT_FALSE(window.boxes.empty());
    for (const auto& box : window.boxes) {
        EXPECT_TRUE(box.text == "No valid record found." ||
                    box.text.find(" Invalid Records are found") != std::string::npos)
            << box.text;
    }
    watchdog.Disarm();
}

// The load sequence the tool runs, in every order, with a date range and filters built from the filter bar.
TEST_F(ReadOnlyDataFolder, LoadsInEveryOrderWithFiltersNeverWriteIt) {
    Watchdog watchdog;
    LoadRecorder recorder;
    CRecordDatabase database(m_temp.Path(), &recorder);
    FilterList filterList;
    const FCUConfigurationList configuration;
    const CTextToFilterCriteriaConverter converter(configuration);
    for (LoadOrder order : {LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending}) {
        for (int commandIndex : {0, 3, 19, 60}) {
            FilterBarSelection selection;
            selection.commandIndex = commandIndex;
            selection.channelIndex = commandIndex % 3;
            LoadRequest request;
            request.folder = m_data.Path();
            request.order = order;
            if (commandIndex == 3) request.range = DateTimeRange{{2009, 1, 5, 12, 0, 0}, {2009, 1, 6, 12, 0, 0}};
            watchdog.Arm("a filtered load", 60s);
            recorder.Clear();
            const auto result =
                RunLoadSequence(database, filterList, BuildFilterList(selection, configuration, converter, kDefaultModbusBaseAddress), request);
            ASSERT_TRUE(result.started);
            database.WaitForLoad();
            const auto all = recorder.All();
            ASSERT_FALSE(all.empty());
            EXPECT_NE(all.back().message, UM_LOAD_FAILED) << all.back().text;
        }
    }
    database.StopLoad();
    database.Reset();
    watchdog.Disarm();
}

// The command-line tool, when it has been built beside this suite.
TEST_F(ReadOnlyDataFolder, TheCommandLineToolNeverWritesIt) {
    const fs::path vyx = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "src" / "cli" / "vyx";
    if (!fs::exists(vyx)) GTEST_SKIP() << "vyx was not built: " << vyx;
    const std::string tool = ShellQuote(vyx.string());
    const std::string dir = ShellQuote(m_data.Path());
    const std::string commands[] = {
        tool + " count " + dir,
        tool + " count " + dir + " --order desc --channel A --fcu 7",
        tool + " show " + dir + " --record 17 --order asc",
        tool + " report " + dir + " --type csv --out " + ShellQuote(m_out.File("r.csv")),
        tool + " report " + dir + " --type html --out " + ShellQuote(m_out.File("r.html")) + " --order asc",
        tool + " report " + dir + " --type xlsx --out " + ShellQuote(m_out.File("r.xlsx")) + " --order desc",
        tool + " fcu " + dir,
        tool + " fcu " + dir + " --type xlsx --out " + ShellQuote(m_out.File("f.xlsx")),
        tool + " dump " + ShellQuote(m_data.File("LG050109.txt")),
    };
    Watchdog watchdog;
    for (const std::string& command : commands) {
        watchdog.Arm(command, 120s);
        const CommandResult result = RunCommand(command + " >/dev/null");
        EXPECT_EQ(result.exitCode, 0) << command << "\n" << result.err;
    }
    watchdog.Disarm();
}

}  // namespace
}  // namespace vyx::test
