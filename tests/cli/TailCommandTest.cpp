// vyx tail over a folder that vyx gen --live writes: the last records of the load, then every new record as
// vyx dump prints it, across the logger's midnight, until SIGTERM ends it with exit code 0.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

const std::string kVyx = VYX_CLI_PATH;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A line without its leading number (tail numbers by Sr.No., dump by line of its file).
std::string WithoutNumber(const std::string& line) { return line.substr(line.find(',')); }

TEST(TailCommand, PrintsTheLastRecordsThenEachNewOneUntilTerminated) {
    TempDir dir;
    const std::string folder = ShellQuote(dir.Path());
    ASSERT_EQ(RunCommand(kVyx + " gen " + folder + " --days 1 --records-per-day 50 --no-faults").exitCode, 0);
    const std::string out = ShellQuote(dir.File("tail.out"));
    // tail's first lines are out before the logger starts, so every live record comes after them.
    const auto run = RunCommand(
        ": >" + out + "; " + kVyx + " tail " + folder + " -n 3 >" + out + " 2>&1 & pid=$!; " +
        "until [ \"$(wc -l <" + out + ")\" -ge 3 ]; do sleep 0.05; done; " + kVyx + " gen " + folder +
        " --live --force --no-faults --rate 200 --records 40 --speed 40 --clock \"05/01/2009 23:59:58\" >/dev/null; "
        "sleep 1.5; kill -TERM $pid; wait $pid; echo \"tail exit $?\"");
    EXPECT_NE(run.out.find("tail exit 0"), std::string::npos) << run.out << run.err;
    const auto printed = Lines(RunCommand("cat " + out).out);
    ASSERT_EQ(printed.size(), 43u) << RunCommand("cat " + out).out;
    EXPECT_EQ(printed[0].substr(0, 3), "48,");
    EXPECT_EQ(printed.back().substr(0, 3), "90,");

    // The live records are the day files' new frames, as a fresh dump reads them.
    auto dumped = Lines(RunCommand(kVyx + " dump " + ShellQuote(dir.File("LG050109.txt"))).out);
    const auto nextDay = Lines(RunCommand(kVyx + " dump " + ShellQuote(dir.File("LG060109.txt"))).out);
    ASSERT_FALSE(nextDay.empty());  // the logger's midnight began a new day file
    dumped.insert(dumped.end(), nextDay.begin(), nextDay.end());
    ASSERT_EQ(dumped.size(), 90u);
    for (std::size_t i = 0; i < 43; ++i) EXPECT_EQ(WithoutNumber(printed[i]), WithoutNumber(dumped[47 + i])) << i;
}

TEST(TailCommand, ZeroLinesPrintsOnlyWhatComesAndAClosedPipeEndsIt) {
    TempDir dir;
    const std::string folder = ShellQuote(dir.Path());
    ASSERT_EQ(RunCommand(kVyx + " gen " + folder + " --days 1 --records-per-day 20 --no-faults").exitCode, 0);
    // head takes two lines and goes: tail ends on the closed pipe instead of running on.
    const auto run = RunCommand("bash -c " + ShellQuote("( sleep 0.5; " + kVyx + " gen " + folder +
                                " --live --force --no-faults --rate 100 --records 30 --clock \"05/01/2009 12:00:00\" "
                                ">/dev/null ) & timeout 20 " + kVyx + " tail " + folder + " -n 0 | head -2; "
                                "echo \"status ${PIPESTATUS[0]}\""));
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out << run.err;
    EXPECT_EQ(lines[0].substr(0, 3), "21,");
    EXPECT_EQ(lines[1].substr(0, 3), "22,");
    EXPECT_EQ(lines[2], "status 141");
}

}  // namespace
}  // namespace vyx::test
