// Reports at the real size limits: 65535 record lines per CSV file, 65535 rows per sheet.

#include <gtest/gtest.h>

#include <filesystem>

#include "ReportTestSupport.h"
#include "report/ReportGenerator.h"

namespace vyx {
namespace {

using test::ReadFileText;
using test::RecordingReceiver;
using test::SplitLines;

constexpr const char* kCsvHeader = "Sr.No.,Date-Time,MessageContent,MessageMode,Source,FCU,Channel,";

class ReportLimits : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_data = new test::TempDir;
        test::WriteSimulatedFolder(s_data->Path(), 1, 65536);
        s_store = new test::LoadedStore(s_data->Path());
    }
    static void TearDownTestSuite() {
        delete s_store;
        delete s_data;
    }

    std::vector<std::string> Run(const CReportCriteria& criteria) {
        RecordingReceiver receiver;
        CReportGenerator generator(&s_store->Database(), &receiver);
        generator.Start(criteria);
        generator.Wait();
        return receiver.Events();
    }

    static test::TempDir* s_data;
    static test::LoadedStore* s_store;
    test::TempDir m_out;
};

test::TempDir* ReportLimits::s_data = nullptr;
test::LoadedStore* ReportLimits::s_store = nullptr;

TEST_F(ReportLimits, CsvOf65535RecordsIsOneFileUnderTheChosenName) {
    ASSERT_EQ(s_store->Total(), 65536);
    const std::string path = m_out.File("log.csv");
    const auto events = Run(CReportCriteria(path, 0, 65534, kReportTypeCsv));
    EXPECT_EQ(events.back(), "completed");
    const auto lines = SplitLines(ReadFileText(path));
    ASSERT_EQ(lines.size(), 65536u);
    EXPECT_EQ(lines.front(), kCsvHeader);
    EXPECT_EQ(lines.back().substr(0, 6), "65535,");
    EXPECT_FALSE(std::filesystem::exists(m_out.File("log_1.csv")));
}

TEST_F(ReportLimits, CsvOf65536RecordsSplitsIntoTwoPartsEachWithTheHeader) {
    const std::string path = m_out.File("log.csv");
    const auto events = Run(CReportCriteria(path, 0, 65535, kReportTypeCsv));
    EXPECT_EQ(std::count(events.begin(), events.end(), "progress"), 65);
    EXPECT_EQ(events.back(), "completed");
    EXPECT_FALSE(std::filesystem::exists(path));

    const auto first = SplitLines(ReadFileText(m_out.File("log_1.csv")));
    ASSERT_EQ(first.size(), 65536u);
    EXPECT_EQ(first.front(), kCsvHeader);
    EXPECT_EQ(first[1].substr(0, 2), "1,");
    EXPECT_EQ(first.back().substr(0, 6), "65535,");
    const auto second = SplitLines(ReadFileText(m_out.File("log_2.csv")));
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second.front(), kCsvHeader);
    EXPECT_EQ(second.back().substr(0, 6), "65536,");
    EXPECT_FALSE(std::filesystem::exists(m_out.File("log_3.csv")));
}

TEST_F(ReportLimits, APartFileThatCannotBeOpenedFailsTheRunAndKeepsTheFirstPart) {
    const std::string path = m_out.File("log.csv");
    std::filesystem::create_directory(m_out.File("log_2.csv"));
    const auto events = Run(CReportCriteria(path, 0, 65535, kReportTypeCsv));
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), "started");
    EXPECT_EQ(events[events.size() - 2],
              "stop message:Is a directory\nReport generation aborted.\nPlease try again.\n"
              "Kept as an incomplete report: records 1 to 65535 in " + m_out.File("log_1.csv"));
    EXPECT_EQ(events.back(), "failed");
    EXPECT_EQ(SplitLines(ReadFileText(m_out.File("log_1.csv"))).size(), 65536u);
}

TEST_F(ReportLimits, AWorkbookOf65536RecordsFillsSheet1AndPutsOneRecordOnSheet2) {
    const std::string path = m_out.File("log.xlsx");
    const auto events = Run(CReportCriteria(path, 0, 65535, kReportTypeXls));
    // 65 batches of 1000 and the last partial batch; the sheet change itself is no step.
    EXPECT_EQ(std::count(events.begin(), events.end(), "progress"), 66);
    EXPECT_EQ(events.back(), "completed");
    EXPECT_EQ(test::SheetNames(path), (std::vector<std::string>{"Sheet1", "Sheet2"}));
    const std::string sheet1 = test::UnzipMember(path, "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet1.find("<dimension ref=\"A1:G65536\"/>"), std::string::npos);
    const std::size_t last = sheet1.find("<c r=\"A65536\"");
    ASSERT_NE(last, std::string::npos);
    EXPECT_NE(sheet1.substr(last, sheet1.find("</c>", last) - last).find("<t>65535</t>"), std::string::npos);
    EXPECT_EQ(sheet1.find("<c r=\"A65537\""), std::string::npos);
    const test::SheetContent sheet2 = test::ReadSheet(path, 2);
    EXPECT_EQ(sheet2.lastRow, 2);
    EXPECT_EQ(sheet2.text.at("A1"), "Sr.No.");
    EXPECT_EQ(sheet2.text.at("A2"), "65536");
}

}  // namespace
}  // namespace vyx
