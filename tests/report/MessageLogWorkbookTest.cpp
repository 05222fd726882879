// The spreadsheet form: sheets, names, header, cells, progress and part files, checked by opening the
// workbooks the run writes. The per-sheet limit is lowered so sheet and workbook changes come quickly.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "ReportTestSupport.h"
#include "report/ReportGenerator.h"
#include "report/ReportWorkbook.h"
#include "support/RunCommand.h"

namespace vyx {
namespace {

using test::RecordingReceiver;

class MessageLogWorkbook : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_data = new test::TempDir;
        test::WriteSimulatedFolder(s_data->Path(), 1, 1200);
        s_store = new test::LoadedStore(s_data->Path());
    }
    static void TearDownTestSuite() {
        delete s_store;
        delete s_data;
    }

    std::vector<std::string> Run(std::int32_t first, std::int32_t last, std::int64_t perSheet = 0,
                                 const std::string& name = "log.xlsx") {
        RecordingReceiver receiver;
        CReportGenerator generator(&s_store->Database(), &receiver);
        if (perSheet > 0) generator.SetRecordsPerSheetForTest(perSheet);
        generator.Start(CReportCriteria(m_out.File(name), first, last, kReportTypeXls));
        generator.Wait();
        return receiver.Events();
    }

    // The seven texts of store record i as the list shows them.
    static std::vector<std::string> RecordTexts(std::int64_t i, std::int64_t number) {
        CRecord record;
        EXPECT_TRUE(s_store->Database().GetRecord(i, record));
        const CFormatRecord f(&record);
        return {std::to_string(number), f.FormatDateTime(), f.FormatMessageContent(), f.FormatMessageMode(),
                f.FormatSource(),       f.FormatFCU(),      f.FormatChannel()};
    }

    static test::TempDir* s_data;
    static test::LoadedStore* s_store;
    test::TempDir m_out;
};

test::TempDir* MessageLogWorkbook::s_data = nullptr;
test::LoadedStore* MessageLogWorkbook::s_store = nullptr;

const char* const kLabels[] = {"Sr.No.", "Date-Time", "MessageContent", "MessageMode", "Source", "FCU", "Channel"};
const double kWidths[] = {16, 23, 60, 22, 22, 11, 10};
const char* const kColumns[] = {"A", "B", "C", "D", "E", "F", "G"};

TEST_F(MessageLogWorkbook, HeaderIsBoldWithTheWidthsAndColumnAIsRightAligned) {
    const std::string path = m_out.File("log.xlsx");
    const auto events = Run(40, 42);
    EXPECT_EQ(events, (std::vector<std::string>{"started", "progress", "completed"}));
    EXPECT_EQ(test::SheetNames(path), std::vector<std::string>{"Sheet1"});
    const test::SheetContent sheet = test::ReadSheet(path, 1);
    const std::vector<test::CellStyle> styles = test::ReadCellStyles(path);
    const auto styleOf = [&](const std::string& cell) {
        const auto it = sheet.style.find(cell);
        return it == sheet.style.end() ? test::CellStyle{} : styles.at(static_cast<std::size_t>(it->second));
    };
    for (int c = 0; c < 7; ++c) {
        const std::string header = std::string(kColumns[c]) + "1";
        EXPECT_EQ(sheet.text.at(header), kLabels[c]);
        EXPECT_TRUE(styleOf(header).bold) << header;
        EXPECT_EQ(styleOf(header).horizontal, c == 0 ? "right" : "") << header;
        // Stored with the spreadsheet's padding: a width of 16 characters is written as 16.71...
        EXPECT_GE(sheet.widths.at(c + 1), kWidths[c]);
        EXPECT_LT(sheet.widths.at(c + 1), kWidths[c] + 1);
        const std::string data = std::string(kColumns[c]) + "2";
        EXPECT_FALSE(styleOf(data).bold) << data;
        EXPECT_EQ(styleOf(data).horizontal, c == 0 ? "right" : "") << data;
    }
    for (int row = 2; row <= 4; ++row) {
        const auto texts = RecordTexts(40 + row - 2, row - 1);
        for (int c = 0; c < 7; ++c) {
            const std::string cell = std::string(kColumns[c]) + std::to_string(row);
            const auto it = sheet.text.find(cell);
            EXPECT_EQ(it == sheet.text.end() ? "" : it->second, texts[static_cast<std::size_t>(c)]) << cell;
        }
    }
    EXPECT_EQ(sheet.lastRow, 4);
}

// The package's compression sub-type of a member, as zipinfo names it ("superfast" is level 1).
std::string DeflateSubType(const std::string& workbook, const std::string& member) {
    const auto result = test::RunCommand("zipinfo -v " + test::ShellQuote(workbook) + " " + test::ShellQuote(member));
    const std::string key = "compression sub-type (deflation):";
    const std::size_t at = result.out.find(key);
    if (at == std::string::npos) return {};
    const std::size_t start = result.out.find_first_not_of(' ', at + key.size());
    return result.out.substr(start, result.out.find('\n', start) - start);
}

TEST_F(MessageLogWorkbook, SheetsArePackedAtTheChosenDeflateLevel) {
    ASSERT_TRUE(WorkbookCompressionWrapperActive());
    EXPECT_EQ(WorkbookCompressionLevel(), kWorkbookFastestLevel);
    Run(0, 99, 0, "fast.xlsx");
    EXPECT_EQ(DeflateSubType(m_out.File("fast.xlsx"), "xl/worksheets/sheet1.xml"), "superfast");

    SetWorkbookCompressionLevel(kWorkbookDefaultLevel);
    Run(0, 99, 0, "default.xlsx");
    SetWorkbookCompressionLevel(kWorkbookFastestLevel);
    EXPECT_EQ(DeflateSubType(m_out.File("default.xlsx"), "xl/worksheets/sheet1.xml"), "normal");
    // Same cells either way.
    EXPECT_EQ(test::ReadSheet(m_out.File("fast.xlsx"), 1).text, test::ReadSheet(m_out.File("default.xlsx"), 1).text);
}

struct SplitCase {
    std::int64_t records;
    // Per workbook file ("" for the chosen name, else the part number): its sheets and their record counts.
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, int>>>> books;
};

class MessageLogWorkbookSplit : public MessageLogWorkbook, public ::testing::WithParamInterface<SplitCase> {};

// Five records per sheet here stand for 65535: 15 records fill a workbook as 196605 do.
TEST_P(MessageLogWorkbookSplit, SheetsAndPartFilesFollowTheLimits) {
    const SplitCase c = GetParam();
    const auto events = Run(0, static_cast<std::int32_t>(c.records - 1), 5);
    EXPECT_EQ(events.back(), "completed");
    std::int64_t number = 0;
    for (const auto& [part, sheets] : c.books) {
        const std::string path = m_out.File(part.empty() ? "log.xlsx" : "log_" + part + ".xlsx");
        ASSERT_TRUE(std::filesystem::exists(path)) << path;
        std::vector<std::string> names;
        for (const auto& sheet : sheets) names.push_back(sheet.first);
        EXPECT_EQ(test::SheetNames(path), names) << path;
        for (std::size_t s = 0; s < sheets.size(); ++s) {
            const test::SheetContent content = test::ReadSheet(path, static_cast<int>(s + 1));
            EXPECT_EQ(content.text.at("A1"), "Sr.No.");
            EXPECT_EQ(content.lastRow, sheets[s].second + 1) << path << " " << sheets[s].first;
            // The numbers run on across sheets and workbooks.
            for (int row = 2; row <= sheets[s].second + 1; ++row) {
                EXPECT_EQ(content.text.at("A" + std::to_string(row)), std::to_string(++number));
            }
        }
    }
    EXPECT_EQ(number, c.records);
    const std::string nextPart = m_out.File("log_" + std::to_string(c.books.size() + 1) + ".xlsx");
    EXPECT_FALSE(std::filesystem::exists(nextPart));
    if (c.books.size() > 1) {
        EXPECT_FALSE(std::filesystem::exists(m_out.File("log.xlsx")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, MessageLogWorkbookSplit,
    ::testing::Values(SplitCase{5, {{"", {{"Sheet1", 5}}}}}, SplitCase{6, {{"", {{"Sheet1", 5}, {"Sheet2", 1}}}}},
                      SplitCase{15, {{"", {{"Sheet1", 5}, {"Sheet2", 5}, {"Sheet3", 5}}}}},
                      SplitCase{16, {{"1", {{"Sheet1", 5}, {"Sheet2", 5}, {"Sheet3", 5}}}, {"2", {{"Sheet4", 1}}}}},
                      SplitCase{31,
                                {{"1", {{"Sheet1", 5}, {"Sheet2", 5}, {"Sheet3", 5}}},
                                 {"2", {{"Sheet4", 5}, {"Sheet5", 5}, {"Sheet6", 5}}},
                                 {"3", {{"Sheet7", 1}}}}}));

struct WorkbookProgressCase {
    std::int32_t count;
    std::int64_t perSheet;
    int steps;
};

class MessageLogWorkbookProgress : public MessageLogWorkbook,
                                   public ::testing::WithParamInterface<WorkbookProgressCase> {};

// One step per batch and one more after the last partial batch; filling a sheet is no step.
TEST_P(MessageLogWorkbookProgress, OneMoreStepAfterTheLastPartialBatch) {
    const WorkbookProgressCase c = GetParam();
    const auto events = Run(0, c.count - 1, c.perSheet);
    EXPECT_EQ(std::count(events.begin(), events.end(), "progress"), c.steps) << c.count;
    EXPECT_EQ(events.front(), "started");
    EXPECT_EQ(events.back(), "completed");
}

INSTANTIATE_TEST_SUITE_P(Counts, MessageLogWorkbookProgress,
                         ::testing::Values(WorkbookProgressCase{150, 0, 1}, WorkbookProgressCase{999, 0, 5},
                                           WorkbookProgressCase{1000, 0, 1}, WorkbookProgressCase{1200, 0, 2},
                                           WorkbookProgressCase{12, 5, 1}, WorkbookProgressCase{10, 5, 0},
                                           WorkbookProgressCase{400, 250, 2}, WorkbookProgressCase{400, 200, 0}));

TEST_F(MessageLogWorkbook, AFailedPartFileEndsTheRunAndKeepsTheEarlierWorkbook) {
    std::filesystem::create_directory(m_out.File("log_2.xlsx"));
    const auto events = Run(0, 15, 5);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[events.size() - 2],
              "stop message:Is a directory\nReport generation aborted.\nPlease try again.\n"
              "Kept as an incomplete report: records 1 to 15 in " + m_out.File("log_1.xlsx"));
    EXPECT_EQ(events.back(), "failed");
    EXPECT_EQ(test::SheetNames(m_out.File("log_1.xlsx")), (std::vector<std::string>{"Sheet1", "Sheet2", "Sheet3"}));
    EXPECT_EQ(test::ReadSheet(m_out.File("log_1.xlsx"), 3).text.at("A6"), "15");
}

// The viewer takes its locale from the environment; a decimal comma must not reach the workbook's XML.
TEST_F(MessageLogWorkbook, ColumnWidthsKeepTheirDecimalPointUnderADecimalCommaLocale) {
    const char* const names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE"};
    std::string chosen;
    for (const char* name : names) {
        if (locale_t l = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr))) {
            freelocale(l);
            chosen = name;
            break;
        }
    }
    if (chosen.empty()) {
        // Not installed: build it into a private folder where the C library finds it.
        const std::string folder = m_out.File("locales");
        std::filesystem::create_directory(folder);
        const auto result =
            test::RunCommand("localedef -i de_DE -f UTF-8 " + test::ShellQuote(folder + "/de_DE.UTF-8"));
        if (result.exitCode > 1 || !std::filesystem::exists(folder + "/de_DE.UTF-8")) {
            GTEST_SKIP() << "no locale with a decimal comma can be made here";
        }
        ::setenv("LOCPATH", folder.c_str(), 1);
        chosen = "de_DE.UTF-8";
    }
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, chosen.c_str()), nullptr);
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    const std::string sample = text;
    Run(0, 2);
    std::setlocale(LC_ALL, previous.c_str());
    ::unsetenv("LOCPATH");
    ASSERT_EQ(sample, "1,5") << "the locale has no decimal comma";

    const std::string xml = test::UnzipMember(m_out.File("log.xlsx"), "xl/worksheets/sheet1.xml");
    EXPECT_NE(xml.find("width=\"16.7"), std::string::npos);
    EXPECT_EQ(xml.find("width=\"16,"), std::string::npos);
    EXPECT_EQ(test::ReadSheet(m_out.File("log.xlsx"), 1).widths.size(), 7u);
}

}  // namespace
}  // namespace vyx
