// `vyx report` and the file forms of `vyx fcu` as a user runs them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/FileText.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class CliReport : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_data = new test::TempDir;
        const auto gen =
            RunCommand(kVyx + " gen " + ShellQuote(s_data->Path()) + " --days 2 --records-per-day 600 --no-faults");
        ASSERT_EQ(gen.exitCode, 0) << gen.err;
    }
    static void TearDownTestSuite() {
        delete s_data;
        s_data = nullptr;
    }
    static std::string Report(const std::string& arguments) {
        return kVyx + " report " + ShellQuote(s_data->Path()) + " " + arguments;
    }

    static test::TempDir* s_data;
    test::TempDir m_out;
};

test::TempDir* CliReport::s_data = nullptr;

TEST_F(CliReport, StandardOutputHoldsTheSameBytesAsTheFile) {
    const std::string path = m_out.File("all.csv");
    const auto file = RunCommand(Report("--out " + ShellQuote(path)));
    ASSERT_EQ(file.exitCode, 0) << file.err;
    const auto piped = RunCommand(Report("--out -"));
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.out, test::ReadFileText(path));
    EXPECT_EQ(Lines(piped.out), 1201u);
    const auto range = RunCommand(Report("--out - --order desc --from-record 11 --to-record 20"));
    ASSERT_EQ(range.exitCode, 0) << range.err;
    EXPECT_EQ(Lines(range.out), 11u);
    EXPECT_EQ(range.out.substr(range.out.find("\r\n") + 2, 2), "1,");
    EXPECT_EQ(piped.out.substr(0, 65), "Sr.No.,Date-Time,MessageContent,MessageMode,Source,FCU,Channel,\r\n");
}

TEST_F(CliReport, RefusalsUseTheDialogsTexts) {
    const auto outside = RunCommand(Report("--out - --from-record 0 --to-record 5"));
    EXPECT_EQ(outside.exitCode, 2);
    EXPECT_NE(outside.err.find("Invalid range.\nPlease select records between 1 and 1200"), std::string::npos);
    const auto reversed = RunCommand(Report("--out - --from-record 9 --to-record 5"));
    EXPECT_EQ(reversed.exitCode, 2);
    EXPECT_NE(reversed.err.find("Start record can not be greater than end record"), std::string::npos);
    const auto halfRange = RunCommand(Report("--out - --from-record 9"));
    EXPECT_EQ(halfRange.exitCode, 2);
    const auto workbook = RunCommand(Report("--type xlsx --out -"));
    EXPECT_EQ(workbook.exitCode, 2);
    const auto unwritable = RunCommand(Report("--out " + ShellQuote(m_out.File("no/such/r.csv"))));
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.err.find("No such file or directory\nReport generation aborted.\nPlease try again."),
              std::string::npos);
}

TEST(CliFcuReport, FileFormsOfTheFcuTable) {
    test::TempDir dir, out;
    ASSERT_EQ(RunCommand(kVyx + " gen " + ShellQuote(dir.Path()) + " --days 1 --records-per-day 10").exitCode, 0);
    const auto piped = RunCommand(kVyx + " fcu " + ShellQuote(dir.Path()));
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    const std::string csv = out.File("fcu.csv");
    ASSERT_EQ(RunCommand(kVyx + " fcu " + ShellQuote(dir.Path()) + " --out " + ShellQuote(csv)).exitCode, 0);
    EXPECT_EQ(test::ReadFileText(csv), piped.out);

    const std::string html = out.File("fcu.html");
    ASSERT_EQ(RunCommand(kVyx + " fcu " + ShellQuote(dir.Path()) + " --type html --out " + ShellQuote(html)).exitCode,
              0);
    EXPECT_NE(test::ReadFileText(html).find("<table width=\"100%\" border"), std::string::npos);
    const std::string book = out.File("fcu.xlsx");
    ASSERT_EQ(RunCommand(kVyx + " fcu " + ShellQuote(dir.Path()) + " --type xlsx --out " + ShellQuote(book)).exitCode,
              0);
    const auto sheet = RunCommand("unzip -p " + ShellQuote(book) + " xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.out.find("<t>FCU Type</t>"), std::string::npos);
    EXPECT_EQ(RunCommand(kVyx + " fcu " + ShellQuote(dir.Path()) + " --type xlsx").exitCode, 2);
}

}  // namespace
}  // namespace vyx
