// The report dialogs' rules: the "&Generate !" checks with their texts, the save dialog's extension rule,
// the range edits and the progress bar.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "report/ReportCriteriaChecks.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

constexpr const char* kQuestion = "The records can span over multiple files.\nDo you want to continue ?";

std::string LongPageQuestion(int records) {
    return "The page will hold " + std::to_string(records) +
           " records. A page this long is slow to open in a web browser; CSV or an XLS workbook suits so many "
           "records better.\nDo you want to continue ?";
}

struct GenerateCase {
    const char* name;
    std::string file;
    std::int32_t loaded;
    bool all;
    std::int32_t from;
    std::int32_t to;
    int form;
    GenerateDecision decision;
    std::string text;
    std::int32_t first = 0;  // expected criteria when not refused
    std::int32_t last = 0;
    std::int32_t type = 0;
    std::string folder = "/data";  // the data folder being read
};

class MessageLogGenerate : public ::testing::TestWithParam<GenerateCase> {};

TEST_P(MessageLogGenerate, DecidesAsTheDialogDoes) {
    const GenerateCase c = GetParam();
    const MessageLogGenerateCheck check =
        CReportCriteriaChecks::CheckMessageLogGenerate(c.file, c.loaded, c.all, c.from, c.to, c.form, c.folder);
    EXPECT_EQ(check.decision, c.decision);
    EXPECT_EQ(check.message.text, c.text);
    if (c.decision == GenerateDecision::Refuse) {
        EXPECT_EQ(check.message.icon, MessageIcon::Stop);
        return;
    }
    EXPECT_EQ(check.message.icon, MessageIcon::None);
    EXPECT_EQ(check.criteria.m_szFileName, c.file);
    EXPECT_EQ(check.criteria.m_nFirstRecord, c.first);
    EXPECT_EQ(check.criteria.m_nLastRecord, c.last);
    EXPECT_EQ(check.criteria.m_nReportType, c.type);
}

using D = GenerateDecision;
const std::string kInvalid500 = "Invalid range.\nPlease select records between 1 and 500";
const std::string kIntoData =
    "The report file lies in the data folder:\n/data/LG060109.txt\nThe data folder is only read. Please choose a "
    "file outside /data.";

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageLogGenerate,
    ::testing::Values(
        GenerateCase{"NoPath", "", 500, false, 1, 5, 1, D::Refuse, "Please select file name..."},
        GenerateCase{"BeforeAnyLoad", "/r.csv", -1, false, 1, 5, 1, D::Refuse, "No valid records found till this time"},
        GenerateCase{"NothingLoaded", "/r.csv", 0, true, 1, 5, 1, D::Refuse, "No valid records found till this time"},
        GenerateCase{"FromZero", "/r.csv", 500, false, 0, 5, 1, D::Refuse, kInvalid500},
        GenerateCase{"ToPastTheEnd", "/r.csv", 500, false, 1, 501, 1, D::Refuse, kInvalid500},
        GenerateCase{"Reversed", "/r.csv", 500, false, 10, 5, 1, D::Refuse,
                     "Start record can not be greater than end record"},
        GenerateCase{"ReversedBeyondTheEnd", "/r.csv", 500, false, 900, 600, 1, D::Refuse,
                     "Start record can not be greater than end record"},
        GenerateCase{"AllIgnoresTheEdits", "/r.csv", 500, true, 0, 9999, 1, D::Start, "", 0, 499, kReportTypeCsv},
        GenerateCase{"WholeRange", "/r.html", 500, false, 1, 500, 0, D::Start, "", 0, 499, kReportTypeHtml},
        GenerateCase{"OneRecord", "/r.xlsx", 500, false, 7, 7, 2, D::Start, "", 6, 6, kReportTypeXls},
        GenerateCase{"Csv65535", "/r.csv", 200000, false, 1, 65535, 1, D::Start, "", 0, 65534, kReportTypeCsv},
        GenerateCase{"Csv65536", "/r.csv", 200000, false, 1, 65536, 1, D::AskMultipleFiles, kQuestion, 0, 65535,
                     kReportTypeCsv},
        GenerateCase{"Csv65536Shifted", "/r.csv", 200000, false, 101, 65636, 1, D::AskMultipleFiles, kQuestion, 100,
                     65635, kReportTypeCsv},
        GenerateCase{"Xls196605", "/r.xlsx", 200000, false, 1, 196605, 2, D::Start, "", 0, 196604, kReportTypeXls},
        GenerateCase{"Xls196606", "/r.xlsx", 200000, false, 1, 196606, 2, D::AskMultipleFiles, kQuestion, 0, 196605,
                     kReportTypeXls},
        GenerateCase{"XlsAllOver", "/r.xlsx", 200000, true, 0, 0, 2, D::AskMultipleFiles, kQuestion, 0, 199999,
                     kReportTypeXls},
        GenerateCase{"OtherFormIsXls", "/r.xlsx", 196606, true, 0, 0, 5, D::AskMultipleFiles, kQuestion, 0, 196605,
                     kReportTypeXls},
        GenerateCase{"Html65535", "/r.html", 200000, false, 1, 65535, 0, D::Start, "", 0, 65534, kReportTypeHtml},
        GenerateCase{"Html65536IsALongPage", "/r.html", 200000, false, 2, 65537, 0, D::AskLongPage,
                     LongPageQuestion(65536), 1, 65536, kReportTypeHtml},
        GenerateCase{"HtmlAllOfAMillion", "/r.html", 1000000, true, 0, 0, 0, D::AskLongPage, LongPageQuestion(1000000), 0,
                     999999, kReportTypeHtml},
        GenerateCase{"IntoTheDataFolder", "/data/LG060109.txt", 500, true, 0, 0, 1, D::Refuse, kIntoData},
        GenerateCase{"IntoItByDotDot", "/data/../data/r.csv", 500, true, 0, 0, 1, D::Refuse,
                     "The report file lies in the data folder:\n/data/../data/r.csv\nThe data folder is only "
                     "read. Please choose a file outside /data."},
        GenerateCase{"BesideIt", "/data2/r.csv", 500, true, 0, 0, 1, D::Start, "", 0, 499, kReportTypeCsv},
        GenerateCase{"NoFolderYet", "/data/r.csv", -1, true, 0, 0, 1, D::Refuse,
                     "No valid records found till this time", 0, 0, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReportDialogChecks, LinksIntoTheDataFolderAreRefusedForEveryFileWritten) {
    test::TempDir base;
    const std::string data = base.File("data");
    std::filesystem::create_directory(data);
    std::ofstream(data + "/MISCDATA.TXT") << "fcu";
    // Part 2 of a CSV report of 70000 records would be written through a link planted under its name.
    std::filesystem::create_symlink(data + "/MISCDATA.TXT", base.File("r_2.csv"));
    const MessageLogGenerateCheck parts =
        CReportCriteriaChecks::CheckMessageLogGenerate(base.File("r.csv"), 70000, true, 0, 0, 1, data);
    EXPECT_EQ(parts.decision, GenerateDecision::Refuse);
    EXPECT_EQ(parts.message.text, "The report file is a link into the data folder:\n" + base.File("r_2.csv") +
                                      "\nThe data folder is only read. Please choose a file outside " + data + ".");
    EXPECT_EQ(CReportCriteriaChecks::CheckMessageLogGenerate(base.File("r.csv"), 60000, true, 0, 0, 1, data).decision,
              GenerateDecision::Start);

    std::filesystem::create_symlink(data + "/fcu.html", base.File("fcu.html"));
    const auto fcu = CReportCriteriaChecks::CheckFCUGenerate(base.File("fcu.html"), data);
    ASSERT_TRUE(fcu);
    EXPECT_EQ(fcu->icon, MessageIcon::Stop);
    EXPECT_FALSE(CReportCriteriaChecks::CheckFCUGenerate(base.File("other.html"), data));
    EXPECT_EQ(CReportCriteriaChecks::CheckFCUGenerate("", data)->text, "Please select filename");
}

TEST(ReportDialogChecks, ChosenFileGetsTheDefaultExtensionUnlessItHasExactlyThatOne) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/report.csv", "/home/u/report.csv"}, {"/home/u/report.txt", "/home/u/report.txt.csv"},
        {"/home/u/report", "/home/u/report.csv"},     {"/home/u/report.CSV", "/home/u/report.CSV.csv"},
        {"/home/u.d/report", "/home/u.d/report.csv"}, {"/home/u/archive.csv.gz", "/home/u/archive.csv.gz.csv"},
    };
    for (const auto& [chosen, kept] : cases) EXPECT_EQ(CReportCriteriaChecks::PathWithExtension(chosen, "csv"), kept);
}

TEST(ReportDialogChecks, RangeEditsTakeIntegersFromZeroToOneBillion) {
    const struct {
        const char* text;
        bool ok;
        std::int32_t value;
        const char* message;
    } cases[] = {
        {" 42 ", true, 42, ""},
        {"1000000000", true, 1000000000, ""},
        {"1000000001", false, 0, "Please enter an integer between 0 and 1000000000."},
        {"99999999999999999999", false, 0, "Please enter an integer."},
        {"", false, 0, "Please enter an integer."},
    };
    for (const auto& c : cases) {
        std::int32_t value = -5;
        const auto message = CReportCriteriaChecks::ParseRangeField(c.text, value);
        EXPECT_EQ(!message, c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        } else {
            EXPECT_EQ(message->text, c.message) << c.text;
            EXPECT_EQ(value, -5) << "a refused text leaves the field";
        }
    }
}

TEST(ReportDialogChecks, ProgressBarCyclesAndNeverShowsFull) {
    int position = 0;
    std::vector<int> seen;
    for (int step = 0; step < 400; ++step) {
        position = CReportCriteriaChecks::NextProgressPosition(position);
        seen.push_back(position);
    }
    EXPECT_EQ(seen[0], 1);
    EXPECT_EQ(seen[198], 199);
    EXPECT_EQ(seen[199], 1);  // 199 + 1 = 200 wraps to 1
    EXPECT_EQ(*std::max_element(seen.begin(), seen.end()), 199);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 0), 0);
}

// What the dialog names beside the path: the file, or the parts a range makes, from the fields as typed.
TEST(ReportDialogChecks, PlannedFilesFollowTheFieldsAsTyped) {
    using Files = std::vector<std::string>;
    const struct {
        std::string file;
        std::int32_t loaded;
        bool all;
        const char* from;
        const char* to;
        int form;
        std::string text;
    } cases[] = {
        {"/o/r.csv", 500, false, "1", "500", 1, "r.csv"},
        {"/o/r.csv", 200000, false, "1", "65536", 1, "r_1.csv and r_2.csv"},
        {"/o/r.csv", 200000, true, "", "", 1, "4 files, r_1.csv to r_4.csv"},
        {"/o/r.xlsx", 200000, true, "", "", 2, "r_1.xlsx and r_2.xlsx"},
        {"/o/r.html", 200000, true, "", "", 0, "r.html"},
        {"/o/r.csv", 500, false, "1", "x", 1, ""},    // not a number
        {"/o/r.csv", 500, false, "9", "5", 1, ""},    // refused range
        {"/o/r.csv", -1, true, "", "", 1, ""},        // nothing loaded yet
        {"", 500, true, "", "", 1, ""},               // no file chosen
    };
    for (const auto& c : cases) {
        const Files files = CReportCriteriaChecks::PlannedFiles(c.file, c.loaded, c.all, c.from, c.to, c.form);
        EXPECT_EQ(CReportCriteriaChecks::FilesText(files), c.text) << c.file << " " << c.from << ".." << c.to;
    }
}

// What a run left: the files of its range written after their states were taken, not those of the same names
// that an earlier run wrote, however shortly before.
TEST(ReportDialogChecks, FilesWrittenSinceTheRunStarted) {
    test::TempDir out;
    const CReportCriteria criteria(out.File("r.csv"), 0, 65535 * 3 + 9, kReportTypeCsv);
    std::ofstream(out.File("r_1.csv")) << "earlier run";
    std::ofstream(out.File("r_2.csv")) << "earlier run";
    std::ofstream(out.File("r_3.csv")) << "earlier run";
    const auto before = CReportCriteriaChecks::FileStates(criteria);
    ASSERT_EQ(before.size(), 4u);
    EXPECT_TRUE(CReportCriteriaChecks::FilesWrittenSince(before).empty());

    // r_1.csv as the report writes it: complete under another name, then renamed over the old one.
    std::ofstream(out.File("r_1.csv.part")) << "new";
    std::filesystem::rename(out.File("r_1.csv.part"), out.File("r_1.csv"));
    // r_2.csv written in place, as through a link.
    std::ofstream(out.File("r_2.csv")) << "new";
    std::filesystem::last_write_time(out.File("r_2.csv"),
                                     std::filesystem::last_write_time(out.File("r_2.csv")) + std::chrono::seconds(1));
    // r_4.csv new; r_3.csv untouched.
    std::ofstream(out.File("r_4.csv")) << "new";
    EXPECT_EQ(CReportCriteriaChecks::FilesWrittenSince(before),
              (std::vector<std::string>{out.File("r_1.csv"), out.File("r_2.csv"), out.File("r_4.csv")}));
}

}  // namespace
}  // namespace vyx
