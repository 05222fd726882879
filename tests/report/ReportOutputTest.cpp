// A report file takes its name only when it is complete, a record that cannot be read again ends the report
// loudly instead of repeating the one before, and a device named as the output is written, never replaced.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "report/FCULogReport.h"
#include "report/ReportFile.h"
#include "report/ReportGenerator.h"
#include "report/ReportTestSupport.h"
#include "report/ReportWorkbook.h"

namespace vyx {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// ---- written under a temporary name, renamed into place

struct OutputCase {
    const char* name;
    std::function<void(const std::string& path, bool finish)> write;  // finish: complete it, else give up
};

class PendingReportFile : public ::testing::TestWithParam<OutputCase> {};

TEST_P(PendingReportFile, TheOldFileStaysUntilTheNewOneIsWhole) {
    TempDir out;
    const std::string path = out.File("report.out");
    WriteText(path, "old contents");

    // Given up half way (a crash, a signal, a failed write): the old file is untouched and nothing is left.
    GetParam().write(path, false);
    EXPECT_EQ(test::ReadFileText(path), "old contents");
    EXPECT_EQ(Names(out.Path()), std::vector<std::string>{"report.out"});

    GetParam().write(path, true);
    EXPECT_NE(test::ReadFileText(path), "old contents");
    EXPECT_EQ(Names(out.Path()), std::vector<std::string>{"report.out"});
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PendingReportFile,
    ::testing::Values(OutputCase{"TextFile",
                                 [](const std::string& path, bool finish) {
                                     CReportFile file;
                                     file.Open(path);
                                     file.Append(std::string(3 * CReportFile::kBlockBytes, 'x'));
                                     // While it is written, the chosen name still holds the old file.
                                     EXPECT_EQ(test::ReadFileText(path), "old contents");
                                     if (finish) file.Close();
                                 }},
                      OutputCase{"Workbook",
                                 [](const std::string& path, bool finish) {
                                     const CScopedCNumericLocale c;
                                     CReportWorkbook book;
                                     ASSERT_TRUE(book.Create(path, fs::path(path).parent_path().string()));
                                     book.AddSheet("Sheet1");
                                     book.WriteText(1, 0, "1");
                                     if (finish) {
                                         book.Close();
                                     } else {
                                         book.Discard();
                                     }
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReportOutput, ADeviceOrALinkIsWrittenThroughNeverReplaced) {
    // Renaming over a device would replace the device node itself (as root, /dev/null becomes a file).
    for (int type : {kReportTypeCsv, kReportTypeHtml}) {
        CReportFile file;
        file.Open("/dev/null");
        file.Append("some text\r\n");
        file.Close();
        struct stat st {};
        ASSERT_EQ(::stat("/dev/null", &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode)) << type;
    }
    TempDir out;
    const std::string target = out.File("target.csv");
    WriteText(target, "old");
    fs::create_symlink(target, out.File("link.csv"));
    CReportFile file;
    file.Open(out.File("link.csv"));
    file.Append("new");
    file.Close();
    EXPECT_TRUE(fs::is_symlink(out.File("link.csv")));
    EXPECT_EQ(test::ReadFileText(target), "new");
}

// ---- a record that cannot be read again

struct RereadCase {
    const char* name;
    int type;
    const char* kept;  // the name of the file kept as incomplete, or "" when none
};

class RecordLostDuringTheReport : public ::testing::TestWithParam<RereadCase> {};

TEST_P(RecordLostDuringTheReport, EndsTheReportNamingTheDayFileTheRecordAndWhatWasKept) {
    TempDir data;
    test::WriteSimulatedFolder(data.Path(), 2, 3000);
    test::LoadedStore store(data.Path());
    ASSERT_EQ(store.Total(), 6000);
    TempDir out;
    const std::string chosen = out.File(std::string("log.") + GetParam().kept);
    const std::string second = data.File("LG060109.txt");

    test::RecordingReceiver receiver;
    bool cut = false;
    receiver.onEvent = [&](const std::string& event) {
        // The second day file loses its records while the report is on the first.
        if (event == "progress" && !cut) {
            fs::resize_file(second, 0);
            cut = true;
        }
    };
    CReportGenerator generator(&store.Database(), &receiver);
    generator.Start(CReportCriteria(chosen, 0, 5999, GetParam().type));
    generator.Wait();
    const auto events = receiver.Milestones();
    ASSERT_EQ(events.size(), 3u) << ::testing::PrintToString(events);
    EXPECT_EQ(events.back(), "failed");
    const std::string& message = events[1];
    EXPECT_NE(message.find("Record Sr.No. 3001 cannot be read again from " + second), std::string::npos) << message;
    EXPECT_NE(message.find("shorter than when it was loaded"), std::string::npos) << message;
    EXPECT_NE(message.find("record 3001"), std::string::npos) << message;
    EXPECT_NE(message.find("Kept as an incomplete report: records 1 to 3000 in " + chosen), std::string::npos)
        << message;
    // The records written are the first 3000, each once.
    const std::string text = test::ReadFileText(chosen);
    if (GetParam().type == kReportTypeCsv) {
        const auto lines = test::SplitLines(text);
        ASSERT_EQ(lines.size(), 3001u);
        EXPECT_EQ(lines.back().substr(0, 5), "3000,");
    } else {
        EXPECT_NE(text.find(">3000<"), std::string::npos);
        EXPECT_EQ(text.find(">3001<"), std::string::npos);
        EXPECT_TRUE(text.ends_with("</body>\n</html>\n")) << "the kept page is closed";
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, RecordLostDuringTheReport,
                         ::testing::Values(RereadCase{"Csv", kReportTypeCsv, "csv"},
                                           RereadCase{"Html", kReportTypeHtml, "html"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vyx
