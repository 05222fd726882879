// Standard output that cannot be written: a full device makes every sub-command fail with the system's
// message; a reader that goes away ends the run quietly, non-zero, with its run folder removed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

class CliStandardOutput : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_data = new test::TempDir;
        // Large enough that every command below writes more than a pipe holds.
        const auto gen =
            RunCommand(kVyx + " gen " + ShellQuote(s_data->Path()) + " --days 1 --records-per-day 20000 --no-faults");
        ASSERT_EQ(gen.exitCode, 0) << gen.err;
    }
    static void TearDownTestSuite() {
        delete s_data;
        s_data = nullptr;
    }
    static std::string Data() { return ShellQuote(s_data->Path()); }

    static test::TempDir* s_data;
};

test::TempDir* CliStandardOutput::s_data = nullptr;

TEST_F(CliStandardOutput, FullDeviceFailsEveryCommandWithTheSystemsMessage) {
    test::TempDir scratch;
    const std::string commands[] = {
        "dump " + ShellQuote(s_data->File("LG050109.txt")),
        "count " + Data(),
        "show " + Data() + " --record 1",
        "detail " + Data() + " --record 1",
        "find " + Data() + " --text Modbus",
        "commands",
        "gen " + ShellQuote(scratch.File("gen")) + " --days 1 --records-per-day 10",
        "report " + Data() + " --out -",
        "fcu " + Data(),
    };
    for (const std::string& command : commands) {
        const auto r = RunCommand("{ " + kVyx + " " + command + " >/dev/full; }");
        EXPECT_NE(r.exitCode, 0) << command;
        EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << command << ": " << r.err;
    }
    EXPECT_EQ(RunCommand("{ " + kVyx + " count " + Data() + " >/dev/full; }").err,
              "error: standard output: No space left on device\n");
}

TEST_F(CliStandardOutput, ClosedPipeEndsQuietlyAndLeavesNothing) {
    const std::string commands[] = {
        "dump " + ShellQuote(s_data->File("LG050109.txt")),
        // Every record's Date-Time holds the year: 20,000 lines, more than a pipe holds, so the write that
        // meets the closed pipe cannot be one the pipe took before the reader went.
        "find " + Data() + " --text 2009",
        "report " + Data() + " --out -",
    };
    for (const std::string& command : commands) {
        test::TempDir tmp;
        // SIGPIPE ignored, as some callers leave it: the write then fails with EPIPE instead.
        const std::string script = "trap '' PIPE; TMPDIR=" + ShellQuote(tmp.Path()) + " " + kVyx + " " + command +
                                   " | head -c 10 >/dev/null; echo ${PIPESTATUS[0]}";
        const auto r = RunCommand("bash -c " + ShellQuote(script));
        EXPECT_EQ(r.out, "141\n") << command;
        EXPECT_EQ(r.err, "") << command;
        const std::string folder = tmp.File("vyx-" + std::to_string(::geteuid()));
        if (std::filesystem::exists(folder)) {
            EXPECT_TRUE(std::filesystem::is_empty(folder)) << command;
        }
    }
}

}  // namespace
}  // namespace vyx
