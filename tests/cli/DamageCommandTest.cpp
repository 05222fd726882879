// vyx on damaged day files and odd folders: the damage is told on stderr with where its details are kept,
// --recover reads past it, and entries that are no files are named.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

long CountOf(const test::CommandResult& r) {
    const std::string prefix = "Total Record Found:- ";
    if (r.out.rfind(prefix, 0) != 0) return -1;
    return std::stol(r.out.substr(prefix.size()));
}

// Sets the length field of the frame-th frame of a day file to 1, which ends the walk there.
void BreakFrame(const std::string& path, int frame) {
    std::fstream day(path, std::ios::in | std::ios::out | std::ios::binary);
    std::streamoff at = 0;
    for (int i = 0; i < frame; ++i) {
        unsigned char length[2];
        day.seekg(at);
        day.read(reinterpret_cast<char*>(length), 2);
        at += length[0] * 256 + length[1];
    }
    day.seekp(at);
    day.write("\0\1", 2);
}

TEST(CliDamage, IsToldOnStderrAndRecoveryReadsPastIt) {
    test::TempDir data;
    ASSERT_EQ(RunCommand(kVyx + " gen " + ShellQuote(data.Path()) + " --days 2 --records-per-day 1000 --no-faults")
                  .exitCode,
              0);
    BreakFrame(data.File("LG050109.txt"), 400);
    const auto plain = RunCommand(kVyx + " count " + ShellQuote(data.Path()));
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(CountOf(plain), 1400);
    EXPECT_NE(plain.err.find("1 day file is damaged"), std::string::npos) << plain.err;
    EXPECT_NE(plain.err.find("LG050109.txt"), std::string::npos) << plain.err;
    // The details outlive the run: the log the notice names is there after it.
    const std::string details = "Details: ";
    const auto at = plain.err.find(details);
    ASSERT_NE(at, std::string::npos) << plain.err;
    const std::string log = plain.err.substr(at + details.size(), plain.err.find('\n', at) - at - details.size());
    EXPECT_TRUE(std::filesystem::exists(log)) << log;

    const auto recovered = RunCommand(kVyx + " count " + ShellQuote(data.Path()) + " --recover --order asc");
    EXPECT_EQ(recovered.exitCode, 0) << recovered.err;
    EXPECT_EQ(CountOf(recovered), 1999);  // all but the frame whose length was overwritten
    EXPECT_NE(recovered.err.find("1 day file is damaged"), std::string::npos) << recovered.err;
}

TEST(CliDamage, EntriesThatAreNoFilesAreNamed) {
    test::TempDir data;
    ASSERT_EQ(RunCommand(kVyx + " gen " + ShellQuote(data.Path()) + " --days 1 --records-per-day 100 --no-faults")
                  .exitCode,
              0);
    std::filesystem::create_directory(data.File("LG010209.txt"));
    const auto r = RunCommand(kVyx + " count " + ShellQuote(data.Path()));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(CountOf(r), 100);
    EXPECT_NE(r.err.find("1 entry is named like a day file but is not a file, and was left out:\nLG010209.txt"),
              std::string::npos)
        << r.err;

}

}  // namespace
}  // namespace vyx
