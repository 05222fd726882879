// The Message Log report's CSV and HTML forms through the generator and a loaded store: exact bytes, the
// numbering, part files, progress steps and failures.

#include <gtest/gtest.h>

#include <ctime>

#include "ReportTestSupport.h"
#include "report/ReportFile.h"
#include "report/ReportGenerator.h"

namespace vyx {
namespace {

using test::ReadFileText;
using test::RecordingReceiver;
using test::SplitLines;

constexpr const char* kCsvHeader = "Sr.No.,Date-Time,MessageContent,MessageMode,Source,FCU,Channel,";
constexpr const char* kAbort = "Report generation aborted.\nPlease try again.";

// Three records whose texts are known: a start-up record, a Modbus open command on a Yokogawa map, and a
// set-time record without payload or known source.
std::vector<sim::RecordSpec> CraftedRecords() {
    sim::RecordSpec startup;
    startup.time = 1234567890;
    startup.channel = 0;
    startup.classCode = sim::kClassStartupSequence;
    startup.payload = {0x01, 0xA0, 0x7F};
    startup.sourceNibble = 1;
    sim::RecordSpec modbus;
    modbus.time = 1234567891;
    modbus.channel = 1;
    modbus.classCode = sim::kClassModbus;
    modbus.databaseCode = 3;
    modbus.payload = {0xF0, 0x05, 0x02, 0x00, 0x00, 0x01};
    modbus.sourceNibble = 2;
    sim::RecordSpec setTime;
    setTime.time = 0;
    setTime.classCode = sim::kClassSetTime;
    setTime.sourceNibble = 0xF;
    return {startup, modbus, setTime};
}

const char* const kCraftedLines[] = {
    "1,13-02-2009 - 11:31:30:PM,01 A0 7F ,Startup Sequence,Ethernet,NA,MS_A(left)",
    "2,13-02-2009 - 11:31:31:PM,F0 05 02 00 00 01 ,Modbus - Open,RTU1 (Yokogawa),1,MS_B(right)",
    "3,01-01-1970 - 12:00:00:AM,,Set Time,UNIDENTIFIED_SOURCE,NA,MS_A(left)",
};

std::vector<std::string> RunReport(CRecordDatabase& database, const CReportCriteria& criteria) {
    RecordingReceiver receiver;
    CReportGenerator generator(&database, &receiver);
    generator.Start(criteria);
    generator.Wait();
    EXPECT_FALSE(generator.IsRunning());
    return receiver.Events();
}

class MessageLogReport : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_data = new test::TempDir;
        test::WriteDayFile(s_data->Path(), "LG130209.txt", CraftedRecords());
        s_crafted = new test::LoadedStore(s_data->Path());
        s_simulated = new test::TempDir;
        test::WriteSimulatedFolder(s_simulated->Path(), 2, 600);
        s_store1200 = new test::LoadedStore(s_simulated->Path());
    }
    static void TearDownTestSuite() {
        delete s_store1200;
        delete s_simulated;
        delete s_crafted;
        delete s_data;
    }

    static test::TempDir* s_data;
    static test::LoadedStore* s_crafted;
    static test::TempDir* s_simulated;
    static test::LoadedStore* s_store1200;
    test::TempDir m_out;
};

test::TempDir* MessageLogReport::s_data = nullptr;
test::LoadedStore* MessageLogReport::s_crafted = nullptr;
test::TempDir* MessageLogReport::s_simulated = nullptr;
test::LoadedStore* MessageLogReport::s_store1200 = nullptr;

TEST_F(MessageLogReport, CsvIsExactWithHeaderCommaAndCrLf) {
    ASSERT_EQ(s_crafted->Total(), 3);
    const std::string path = m_out.File("log.csv");
    const auto events = RunReport(s_crafted->Database(), CReportCriteria(path, 0, 2, kReportTypeCsv));
    EXPECT_EQ(events, (std::vector<std::string>{"started", "completed"}));
    std::string expected = std::string(kCsvHeader) + "\r\n";
    for (const char* line : kCraftedLines) expected += std::string(line) + "\r\n";
    EXPECT_EQ(ReadFileText(path), expected);
}

// The local time as the page shows it, worked out here independently of the writer.
std::string TimeText(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    char text[64];
    std::strftime(text, sizeof text, "%d-%m-%Y - %I:%M:%S:%p", &local);
    return text;
}

TEST_F(MessageLogReport, HtmlIsExactWithItsFontsSetOnceByTheStyle) {
    const std::string path = m_out.File("log.html");
    const std::time_t before = std::time(nullptr);
    const auto events = RunReport(s_crafted->Database(), CReportCriteria(path, 0, 1, kReportTypeHtml));
    const std::time_t after = std::time(nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"started", "completed", "open:" + path}));

    std::string time;
    const std::string page = test::MaskGeneratedOn(ReadFileText(path), &time);
    bool inRun = false;
    for (std::time_t t = before; t <= after; ++t) inRun = inRun || time == TimeText(t);
    EXPECT_TRUE(inRun) << time;

    const std::string expected =
        "<!DOCTYPE html>\n<html>\n<head>\n<title>Message Log Report</title>\n"
        "<meta http-equiv=\"content-type\" content=\"text/html; charset=ISO-8859-1\">\n"
        "<meta name=\"author\" content=\"Brennmark Instruments Inc.\">\n"
        "<style>table { table-layout: fixed; } th { font-family: \"Times New Roman\", serif; } "
        "td { font-family: Verdana, sans-serif; "
        "font-size: x-small; overflow-wrap: break-word; }</style></head>"
        "\n<body bgcolor=\"#FFFFFF\" text=\"#00009F\" link=\"#0000ee\" alink=\"#0000ee\" vlink=\"#551a8b\">"
        "\n<b>\n<font size = \"5\" color=\"#000000\" face = \"Verdana\" align=\"center\"><center>Message Log "
        "Report</center></font></b>Generated on TIME"
        "\n<table width=\"100%\" border=\"1\" cellspacing=\"1\" cellpadding=\"1\" bgcolor=\"#FFFFFF\" "
        "align=\"center\">\n<caption><big><big></big></big><br></caption>\n<tbody>"
        "\n<tr>"
        "\n<th width=\"5%\" valign=\"bottom\" bgcolor=\"#EEEEEE\" align=\"right\"><big>Sr.No.<br></big></th>"
        "\n<th width=\"23%\" valign=\"bottom\" bgcolor=\"#EEEEEE\" align=\"left\"><big>Date-Time<br></big></th>"
        "\n<th width=\"25%\" valign=\"bottom\" bgcolor=\"#EEEEEE\" align=\"left\"><big>MessageContent<br></big></th>"
        "\n<th width=\"15%\" valign=\"bottom\" bgcolor=\"#EEEEEE\" align=\"left\"><big>MessageMode<br></big></th>"
        "\n<th width=\"15%\" valign=\"bottom\" bgcolor=\"#EEEEEE\" align=\"left\"><big>Source<br></big></th>"
        "\n<th width=\"7%\" valign=\"bottom\" bgcolor=\"#EEEEEE\" align=\"left\"><big>FCU<br></big></th>"
        "\n<th width=\"10%\" valign=\"bottom\" bgcolor=\"#EEEEEE\" align=\"left\"><big>Channel<br></big></th>"
        "\n</tr>"
        "\n<tr>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"right\">1</td>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">13-02-2009 - 11:31:30:PM</td>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">01 A0 7F </td>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">Startup Sequence</td>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">Ethernet</td>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">NA</td>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">MS_A(left)</td>"
        "\n</tr>"
        "\n<tr>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"right\">2</td>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">13-02-2009 - 11:31:31:PM</td>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">F0 05 02 00 00 01 </td>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">Modbus - Open</td>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">RTU1 (Yokogawa)</td>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">1</td>"
        "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">MS_B(right)</td>"
        "\n</tr>"
        "</tbody></table><br></body>\n</html>\n";
    EXPECT_EQ(page, expected);
}

// The numbering is the position within the report, whatever the first store index; the records are the
// range's own.
TEST_F(MessageLogReport, SerialNumbersStartAtOneForAnyRange) {
    CRecordDatabase& database = s_store1200->Database();
    for (const auto& [first, last] : {std::pair{0, 4}, std::pair{100, 200}, std::pair{1199, 1199}}) {
        const std::string path = m_out.File("range.csv");
        RunReport(database, CReportCriteria(path, first, last, kReportTypeCsv));
        const auto lines = SplitLines(ReadFileText(path));
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(last - first + 2)) << first;
        CRecord record;
        for (int i = first; i <= last; ++i) {
            ASSERT_TRUE(database.GetRecord(i, record));
            const std::string expected = std::to_string(i - first + 1) + "," + CFormatRecord(&record).FormatDateTime() +
                                         "," + CFormatRecord(&record).FormatMessageContent() + ",";
            EXPECT_EQ(lines[static_cast<std::size_t>(i - first + 1)].substr(0, expected.size()), expected);
        }
    }
}

struct ProgressCase {
    std::int32_t first;
    std::int32_t count;
    int steps;
};

class MessageLogProgress : public MessageLogReport, public ::testing::WithParamInterface<ProgressCase> {};

// A step per 1000 records, or per 200 for runs of fewer than 1000, counted by report number.
TEST_P(MessageLogProgress, StepsFollowTheReportNumbers) {
    const ProgressCase c = GetParam();
    for (const std::int32_t type : {kReportTypeCsv, kReportTypeHtml}) {
        const std::string path = m_out.File(type == kReportTypeCsv ? "p.csv" : "p.html");
        const auto events =
            RunReport(s_store1200->Database(), CReportCriteria(path, c.first, c.first + c.count - 1, type));
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front(), "started");
        EXPECT_EQ(std::count(events.begin(), events.end(), "progress"), c.steps) << c.count << " type " << type;
        const auto end = std::find(events.begin(), events.end(), "completed");
        ASSERT_NE(end, events.end());
        EXPECT_EQ(std::count(end, events.end(), "progress"), 0) << "progress after the end";
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, MessageLogProgress,
                         ::testing::Values(ProgressCase{0, 1, 0}, ProgressCase{0, 199, 0}, ProgressCase{0, 200, 1},
                                           ProgressCase{0, 999, 4}, ProgressCase{201, 999, 4}, ProgressCase{0, 1000, 1},
                                           ProgressCase{0, 1200, 1}));

TEST_F(MessageLogReport, AnOutputThatCannotBeOpenedGivesTheMessageAndNoNotification) {
    for (const std::int32_t type : {kReportTypeCsv, kReportTypeHtml, kReportTypeXls}) {
        const std::string path = m_out.File("missing-folder/log.out");
        const auto events = RunReport(s_crafted->Database(), CReportCriteria(path, 0, 2, type));
        EXPECT_EQ(events, (std::vector<std::string>{std::string("stop message:No such file or directory\n") + kAbort}))
            << type;
    }
}

// A full disk: the run ends with the message and OnFailed, not with a success.
TEST_F(MessageLogReport, AWriteErrorEndsTheRunAsFailed) {
    for (const std::int32_t type : {kReportTypeCsv, kReportTypeHtml}) {
        const auto events = RunReport(s_crafted->Database(), CReportCriteria("/dev/full", 0, 2, type));
        EXPECT_EQ(events, (std::vector<std::string>{
                              "started", std::string("stop message:No space left on device\n") + kAbort, "failed"}))
            << type;
    }
}

TEST(ReportFileNames, PartFilesGoBeforeTheExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/out/log.csv", "/out/log_2.csv"}, {"/out/log.tar.csv", "/out/log.tar_2.csv"},
        {"/out.d/log", "/out.d/log_2"},     {"log", "log_2"},
        {"/out/.csv", "/out/_2.csv"},
    };
    for (const auto& [path, part] : cases) EXPECT_EQ(PartFileName(path, 2), part) << path;
}

}  // namespace
}  // namespace vyx
