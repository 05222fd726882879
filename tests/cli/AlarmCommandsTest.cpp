// `vyx alarms` and `vyx responses` as a user runs them on a generated folder.

#include <gtest/gtest.h>

#include <algorithm>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/FileText.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') quoted = !quoted;
        else if (c == ',' && !quoted) {
            fields.push_back(field);
            field.clear();
        } else if (c != '\r') field += c;
    }
    fields.push_back(field);
    return fields;
}

// The rows of a CSV section: the lines after its title and header, up to the blank line.
std::vector<std::vector<std::string>> Section(const std::string& text, const std::string& title) {
    std::istringstream lines(text);
    std::string line;
    std::vector<std::vector<std::string>> rows;
    while (std::getline(lines, line) && line != title + "\r") {}
    std::getline(lines, line);  // the header
    while (std::getline(lines, line) && line != "\r" && !line.empty()) rows.push_back(Fields(line));
    return rows;
}

class CliAlarms : public ::testing::Test {
protected:
    void SetUp() override {
        const auto gen = RunCommand(kVyx + " gen " + ShellQuote(m_data.Path()) +
                                    " --days 2 --records-per-day 3000 --start 05/01/2009 --no-faults");
        ASSERT_EQ(gen.exitCode, 0) << gen.err;
    }
    std::string Run(const std::string& arguments) const {
        return kVyx + " " + arguments + " " + ShellQuote(m_data.Path());
    }
    test::TempDir m_data;
    test::TempDir m_out;
};

TEST_F(CliAlarms, ActivationsAreTheCountedSetEdgesOfTheEvents) {
    const auto events = RunCommand(Run("events"));
    ASSERT_EQ(events.exitCode, 0) << events.err;
    long setEdges = 0;
    std::istringstream lines(events.out);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        const auto f = Fields(line);
        if (f.size() > 6 && f[4] == "alarm" && f[5] == "set" && f[6] != "4") ++setEdges;
    }
    ASSERT_GT(setEdges, 0);
    const auto alarms = RunCommand(Run("alarms"));
    ASSERT_EQ(alarms.exitCode, 0) << alarms.err;
    const auto figures = Section(alarms.out, "Figures");
    ASSERT_GE(figures.size(), 2u);
    ASSERT_EQ(figures[1][0], "Alarm activations");
    long activations = 0, duplicates = 0;
    std::sscanf(figures[1][1].c_str(), "%ld (%ld", &activations, &duplicates);
    EXPECT_EQ(activations + duplicates, setEdges);
    EXPECT_EQ(figures[0][2], "indicative");  // two days
    EXPECT_EQ(Section(alarms.out, "Alarm codes").size(), 23u);
}

TEST_F(CliAlarms, ReportFormsAndRefusals) {
    const std::string html = m_out.Path() + "/alarms.html";
    ASSERT_EQ(RunCommand(Run("alarms --type html --out " + ShellQuote(html))).exitCode, 0);
    const std::string page = test::ReadFileText(html);
    EXPECT_NE(page.find("<svg"), std::string::npos);
    // The chart's axis labels (right-aligned left of the plot) stand clear of one another.
    std::vector<double> labelYs;
    for (std::size_t at = page.find("<text x=\"36\" y=\""); at != std::string::npos;
         at = page.find("<text x=\"36\" y=\"", at + 1)) {
        labelYs.push_back(std::stod(page.substr(at + 16)));
    }
    EXPECT_FALSE(labelYs.empty());
    std::sort(labelYs.begin(), labelYs.end());
    for (std::size_t i = 1; i < labelYs.size(); ++i) EXPECT_GE(labelYs[i] - labelYs[i - 1], 10.0) << page.substr(page.find("<svg"), 4000);
    for (const char* fact : {"Span", "Folder", "Filters", "Thresholds", "Alarm codes counted", "Codes that stop movement"})
        EXPECT_NE(page.find(fact), std::string::npos) << fact;
    const std::string book = m_out.Path() + "/responses.xlsx";
    ASSERT_EQ(RunCommand(Run("responses --type xlsx --out " + ShellQuote(book))).exitCode, 0);
    // One sheet per table: the report's facts, per FCU, the roll call, the commands (zip entry names are plain).
    const std::string zip = test::ReadFileText(book);
    EXPECT_NE(zip.find("xl/worksheets/sheet4.xml"), std::string::npos);
    EXPECT_EQ(zip.find("xl/worksheets/sheet5.xml"), std::string::npos);
    EXPECT_EQ(RunCommand(Run("alarms --type xlsx")).exitCode, 2);
    EXPECT_EQ(RunCommand(Run("alarms --from \"06/01/2009\" --to \"05/01/2009\"")).exitCode, 2);
}

TEST_F(CliAlarms, EveryCheckedCommandIsCountedOnceForItsFcu) {
    const auto responses = RunCommand(Run("responses"));
    ASSERT_EQ(responses.exitCode, 0) << responses.err;
    long perFcu = 0;
    for (const auto& row : Section(responses.out, "Responses per FCU")) perFcu += std::stol(row[2]);
    const auto commands = Section(responses.out, "Commands");
    EXPECT_GT(perFcu, 0);
    EXPECT_EQ(static_cast<long>(commands.size()), perFcu);
    for (const auto& row : commands) {
        EXPECT_TRUE(row[4] == "answered" || row[4] == "late" || row[4] == "no response" || row[4] == "blocked" ||
                    row[4] == "not checked")
            << row[4];
    }
}

}  // namespace
}  // namespace vyx
