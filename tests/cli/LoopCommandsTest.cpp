// `vyx events` and `vyx state` as a user runs them on a generated folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find("\r\n"));
}

long Lines(const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
}

class CliLoop : public ::testing::Test {
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

TEST_F(CliLoop, EventsOfOneFcuAndChannelInTimeOrder) {
    const auto all = RunCommand(Run("events"));
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(FirstLine(all.out), "Sr.No.,Date-Time,FCU,Channel,Event,Edge,Code,Detail,Source,Day file,Offset");
    const auto one = RunCommand(Run("events --fcu 5 --channel B"));
    ASSERT_EQ(one.exitCode, 0) << one.err;
    ASSERT_GT(Lines(one.out), 2);
    EXPECT_LT(Lines(one.out), Lines(all.out));
    std::istringstream lines(one.out);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) EXPECT_NE(line.find(",5,MS_B(right),"), std::string::npos) << line;
    // The newest first: the same rows reversed.
    const auto desc = RunCommand(Run("events --fcu 5 --channel B --order desc"));
    ASSERT_EQ(desc.exitCode, 0) << desc.err;
    EXPECT_EQ(Lines(desc.out), Lines(one.out));
    EXPECT_NE(FirstLine(desc.out.substr(desc.out.find('\n') + 1)), FirstLine(one.out.substr(one.out.find('\n') + 1)));
}

TEST_F(CliLoop, StateAndCompare) {
    const auto before = RunCommand(Run("state --at '04/01/2009 23:00:00'"));
    ASSERT_EQ(before.exitCode, 0) << before.err;
    // Before the first record every FCU is unknown.
    std::istringstream lines(before.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("FCU,Type,Type B,State,Last command,", 0), 0u);
    while (std::getline(lines, line)) EXPECT_NE(line.find(",unknown,"), std::string::npos) << line;

    const auto later = RunCommand(Run("state --at '06/01/2009 12:00:00' --fcu 5"));
    ASSERT_EQ(later.exitCode, 0) << later.err;
    EXPECT_EQ(Lines(later.out), 2);
    EXPECT_EQ(later.out.find(",unknown,"), std::string::npos) << later.out;

    // Once heard, State is the condition the viewer's tile shows; a shorter silence limit finds more silent.
    const auto states = [&](const std::string& limit) {
        const auto result = RunCommand(Run("state --at '06/01/2009 12:00:00' --silent-after " + limit));
        EXPECT_EQ(result.exitCode, 0) << result.err;
        std::map<std::string, int> counts;
        std::istringstream rows(result.out);
        std::string row;
        std::getline(rows, row);
        while (std::getline(rows, row)) {
            // FCU and the two types may be quoted; State is the field after them.
            std::size_t at = 0;
            for (int field = 0; field < 3; ++field) {
                at = row[at] == '"' ? row.find("\",", at + 1) + 2 : row.find(',', at) + 1;
            }
            ++counts[row.substr(at, row.find(',', at) - at)];
        }
        return counts;
    };
    const auto hour = states("60");
    const auto minutes = states("5");
    for (const auto& [state, count] : hour) {
        EXPECT_TRUE(state == "alarm" || state == "stopped" || state == "moving" || state == "silent" ||
                    state == "normal" || state == "unknown")
            << state;
    }
    EXPECT_GE(hour.size(), 3u);
    const auto silent = [](const std::map<std::string, int>& counts) {
        return counts.count("silent") ? counts.at("silent") : 0;
    };
    EXPECT_GT(silent(minutes), silent(hour));
    EXPECT_EQ(RunCommand(Run("state --at '06/01/2009 12:00:00' --silent-after 0")).exitCode, 2);

    const auto compare = RunCommand(Run("state --at '05/01/2009 06:00:00' --compare '06/01/2009 18:00:00'"));
    ASSERT_EQ(compare.exitCode, 0) << compare.err;
    EXPECT_EQ(FirstLine(compare.out),
              "FCU,Type,Alarms set,Alarms cleared,Status set,Status cleared,Command,Position,Silent");
    EXPECT_GT(Lines(compare.out), 2);
}

TEST_F(CliLoop, RefusedOutputsWriteNothing) {
    struct Case {
        std::string arguments;
        int exitCode;
    };
    const Case cases[] = {
        {"events --out " + ShellQuote(m_data.File("events.csv")), 2},  // into the data folder
        {"events --type xlsx", 2},                                     // a workbook to standard output
        {"state --at '31/02/2009 00:00:00'", 2},                       // no such day
        {"events --fcu 301", 2},
        {"events --command Open", 2},
    };
    for (const Case& c : cases) {
        const auto result = RunCommand(Run(c.arguments));
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments << ": " << result.err;
        EXPECT_TRUE(result.out.empty()) << c.arguments;
    }
    const auto written = RunCommand(Run("state --at '05/01/2009 12:00:00' --type xlsx --out " +
                                        ShellQuote(m_out.File("state.xlsx"))));
    ASSERT_EQ(written.exitCode, 0) << written.err;
    std::ifstream workbook(m_out.File("state.xlsx"), std::ios::binary);
    char magic[2] = {};
    workbook.read(magic, 2);
    EXPECT_EQ(std::string(magic, 2), "PK");  // a zip package
}

}  // namespace
}  // namespace vyx
