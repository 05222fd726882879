// The FCU Log report's three forms from a table's rows, its messages, and the table built from the FCU
// display list.

#include <gtest/gtest.h>

#include <array>

#include "ReportTestSupport.h"
#include "report/FCULogReport.h"

namespace vyx {
namespace {

using test::ReadFileText;

class TableRows final : public IFCUReportRowSource {
public:
    explicit TableRows(std::vector<std::array<std::string, 3>> rows) : m_rows(std::move(rows)) {}
    int RowCount() const override { return static_cast<int>(m_rows.size()); }
    std::string ItemText(int row, int column) const override {
        return m_rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }

private:
    std::vector<std::array<std::string, 3>> m_rows;
};

constexpr const char* kAbort = "Report generation aborted.\nPlease try again.";

TEST(FCULogReport, AnEmptyTableIsRefusedBeforeTheDialog) {
    const auto refusal = CheckFCUReportRows(TableRows({}));
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, "No record found.  Can not generate FCU report.");
    EXPECT_EQ(refusal->icon, MessageIcon::Stop);
    EXPECT_FALSE(CheckFCUReportRows(TableRows({{"1", "a", "b"}})));
}

// Every field quoted and followed by a comma, a quote inside a text left alone; texts in ISO-8859-1.
TEST(FCULogReport, CsvQuotesEveryFieldAndWritesLatin1) {
    test::TempDir out;
    const std::string path = out.File("fcu.csv");
    const TableRows rows({{"1", "IQ \"Pro\"", "MS_A(left)"}, {"12", "Ventil \xC3\x9C", "MS_B(right)"}});
    const FCUReportOutcome outcome = WriteFCULogReport(rows, CFCUReportCriteria(path, kReportTypeCsv));
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.message, (ReportMessageBox{"FCU Log report generated successfully.", MessageIcon::Information}));
    EXPECT_TRUE(outcome.documentToOpen.empty());
    EXPECT_EQ(ReadFileText(path),
              "\"FCU No.\",\"FCU Type\",\"Channel\",\r\n"
              "\"1\",\"IQ \"Pro\"\",\"MS_A(left)\",\r\n"
              "\"12\",\"Ventil \xDC\",\"MS_B(right)\",\r\n");
}

TEST(FCULogReport, HtmlEscapesItsCellsAndIsHandedToTheDesktop) {
    test::TempDir out;
    const std::string path = out.File("fcu.html");
    const FCUReportOutcome outcome =
        WriteFCULogReport(TableRows({{"7", "IQ<3> & \"Pro\" \xC3\x9C \xCE\xA9", "MS_A(left)"}}),
                          CFCUReportCriteria(path, kReportTypeHtml));
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.documentToOpen, path);
    const std::string page = test::MaskGeneratedOn(ReadFileText(path));
    EXPECT_EQ(page,
              "<!DOCTYPE html>\n<html>\n<head>\n<title>FCU Log Report</title>\n"
              "<meta http-equiv=\"content-type\" content=\"text/html; charset=ISO-8859-1\">\n"
              "<meta name=\"author\" content=\"Brennmark Instruments Inc.\">\n"
              "<style>table { table-layout: fixed; } th { font-family: \"Times New Roman\", serif; } "
        "td { font-family: Verdana, sans-serif; "
              "font-size: small; overflow-wrap: break-word; }</style></head>"
              "\n<body bgcolor=\"#FFFFFF\" text=\"#00009F\" link=\"#0000ee\" alink=\"#0000ee\" vlink=\"#551a8b\">"
              "\n<b>\n<font size = \"5\" color=\"#000000\" face = \"Verdana\" align=\"center\"><center>FCU Log "
              "Report</center></font></b>Generated on TIME"
              "\n<table width=\"100%\" border=\"1\" cellspacing=\"1\" cellpadding=\"1\" bgcolor=\"#FFFFFF\" "
              "align=\"center\">\n<caption><big><big></big></big><br></caption>\n<tbody>"
              "\n<tr>"
              "\n<th width=\"25%\" valign=\"bottom\" bgcolor=\"#EEEEEE\" align=\"right\"><big>FCU No.<br></big></th>"
              "\n<th width=\"50%\" valign=\"bottom\" bgcolor=\"#EEEEEE\" align=\"left\"><big>FCU Type<br></big></th>"
              "\n<th width=\"25%\" valign=\"bottom\" bgcolor=\"#EEEEEE\" align=\"left\"><big>Channel<br></big></th>"
              "\n</tr>"
              "\n<tr>"
              "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"right\">7</td>"
              "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">IQ&lt;3&gt; &amp; &quot;Pro&quot; \xDC &#937;</td>"
              "\n<td valign=\"middle\" bgcolor=\"#E4E4E4\" align=\"left\">MS_A(left)</td>"
              "\n</tr>"
              "</tbody></table><br></body>\n</html>\n");
}

TEST(FCULogReport, WorkbookHasTheBoldHeaderWidthsAndTextCells) {
    test::TempDir out;
    const std::string path = out.File("fcu.xlsx");
    const TableRows rows({{"1", "IQ3", "MS_A(left)"}, {"300", "UNIDENTIFIED_FCU", "MS_B(right)"}});
    const FCUReportOutcome outcome = WriteFCULogReport(rows, CFCUReportCriteria(path, kReportTypeXls));
    ASSERT_TRUE(outcome.written) << outcome.message.text;
    EXPECT_TRUE(outcome.documentToOpen.empty());
    const test::SheetContent sheet = test::ReadSheet(path, 1);
    const std::vector<test::CellStyle> styles = test::ReadCellStyles(path);
    const std::map<std::string, std::string> expected = {
        {"A1", "FCU No."},    {"B1", "FCU Type"}, {"C1", "Channel"},          {"A2", "1"},          {"B2", "IQ3"},
        {"C2", "MS_A(left)"}, {"A3", "300"},      {"B3", "UNIDENTIFIED_FCU"}, {"C3", "MS_B(right)"}};
    EXPECT_EQ(sheet.text, expected);
    for (const char* header : {"A1", "B1", "C1"}) {
        EXPECT_TRUE(styles.at(static_cast<std::size_t>(sheet.style.at(header))).bold) << header;
    }
    EXPECT_EQ(styles.at(static_cast<std::size_t>(sheet.style.at("A1"))).horizontal, "right");
    EXPECT_EQ(styles.at(static_cast<std::size_t>(sheet.style.at("A3"))).horizontal, "right");
    const double widths[] = {16, 60, 23};
    for (int c = 1; c <= 3; ++c) {
        EXPECT_GE(sheet.widths.at(c), widths[c - 1]);
        EXPECT_LT(sheet.widths.at(c), widths[c - 1] + 1);
    }
}

TEST(FCULogReport, AFileThatCannotBeWrittenGivesTheMessageAndNoSuccess) {
    test::TempDir out;
    const TableRows rows({{"1", "IQ3", "MS_A(left)"}});
    for (const std::int32_t type : {kReportTypeCsv, kReportTypeHtml, kReportTypeXls}) {
        const FCUReportOutcome outcome = WriteFCULogReport(rows, CFCUReportCriteria(out.File("no/such/fcu"), type));
        EXPECT_FALSE(outcome.written);
        EXPECT_TRUE(outcome.documentToOpen.empty());
        EXPECT_EQ(outcome.message,
                  (ReportMessageBox{std::string("No such file or directory\n") + kAbort, MessageIcon::Stop}))
            << type;
    }
    const FCUReportOutcome full = WriteFCULogReport(rows, CFCUReportCriteria("/dev/full", kReportTypeCsv));
    EXPECT_FALSE(full.written);
    EXPECT_EQ(full.message.text, std::string("No space left on device\n") + kAbort);
}

}  // namespace
}  // namespace vyx
