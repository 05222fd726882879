// `vyx gen` and `vyx dump` as a user runs them.

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

int CountLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(CliGenDump, GenIsReproducibleAndDumpDecodesEveryFrame) {
    test::TempDir a, b;
    const auto gen = RunCommand(kVyx + " gen " + ShellQuote(a.Path()) + " --days 3 --records-per-day 500 --seed 7");
    ASSERT_EQ(gen.exitCode, 0) << gen.err;
    ASSERT_EQ(RunCommand(kVyx + " gen " + ShellQuote(b.Path()) + " --days 3 --records-per-day 500 --seed 7").exitCode, 0);
    EXPECT_EQ(RunCommand("cmp -s " + ShellQuote(a.File("LG060109.txt")) + " " + ShellQuote(b.File("LG060109.txt")))
                  .exitCode, 0);

    const auto dump = RunCommand(kVyx + " dump " + ShellQuote(a.File("LG050109.txt")));
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    // One line per decodable frame, numbered from 1, each ending in CR LF.
    const int lines = CountLines(dump.out);
    EXPECT_GE(lines, 500);
    EXPECT_EQ(dump.out.rfind("1,05-01-2009 - ", 0), 0u) << dump.out.substr(0, 80);
    EXPECT_NE(dump.out.find("\n" + std::to_string(lines) + ",05-01-2009"), std::string::npos);
    EXPECT_EQ(CountLines(dump.out), static_cast<int>(std::count(dump.out.begin(), dump.out.end(), '\r')));
    for (const char* text : {"Halvik Common Protocol", "Modbus", "Parameter Block Transfer", "M7 Idle", "MS_A(left)",
                             "MS_B(right)"}) {
        EXPECT_NE(dump.out.find(text), std::string::npos) << text;
    }
}

TEST(CliGenDump, DumpMarksInvalidAndSkippedFramesOnStderr) {
    test::TempDir dir;
    // Hand-made day file: a valid Set Time record, an invalid class, a frame too long to decode, a truncated tail.
    std::vector<unsigned char> bytes = {0, 14, 0x49, 0x96, 0x02, 0xD2, 32, 0, 0xAA, 0x10, 0, 0, 0, 0,
                                        0, 14, 0x49, 0x96, 0x02, 0xD2, 6, 0, 0xAA, 0x10, 0, 0, 0, 0};
    bytes.push_back(0x01);
    bytes.push_back(0x2F);  // L = 303
    bytes.insert(bytes.end(), 301, 0x55);
    bytes.insert(bytes.end(), {0, 40, 1, 2, 3});
    const std::string path = dir.File("LG130209.txt");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    const auto dump = RunCommand(kVyx + " dump " + ShellQuote(path));
    ASSERT_EQ(dump.exitCode, 0);
    EXPECT_EQ(dump.out,
              "1,13-02-2009 - 11:31:30:PM,AA ,Set Time,Ethernet,NA,MS_A(left)\r\n"
              "2,13-02-2009 - 11:31:30:PM,AA ,Unidentified Message,Ethernet,NA,MS_A(left)\r\n");
    EXPECT_NE(dump.err.find("line 2 (offset 14): invalid record"), std::string::npos) << dump.err;
    EXPECT_NE(dump.err.find("offset 28: frame length 303 outside 7..302, skipped"), std::string::npos) << dump.err;
    EXPECT_NE(dump.err.find("truncated"), std::string::npos) << dump.err;
}

TEST(CliGenDump, GenWritesOverDayFilesOnlyWhenForced) {
    test::TempDir dir;
    ASSERT_EQ(RunCommand(kVyx + " gen " + ShellQuote(dir.Path()) + " --days 1 --records-per-day 50").exitCode, 0);
    const auto before = RunCommand("cksum " + ShellQuote(dir.File("LG050109.txt")));
    const auto again = RunCommand(kVyx + " gen " + ShellQuote(dir.Path()) + " --days 1 --records-per-day 80 --seed 9");
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_NE(again.err.find("already holds day files (LG050109.txt and 1 more); --force"), std::string::npos)
        << again.err;
    EXPECT_EQ(RunCommand("cksum " + ShellQuote(dir.File("LG050109.txt"))).out, before.out);
    const auto forced = RunCommand(kVyx + " gen " + ShellQuote(dir.Path()) + " --days 1 --records-per-day 80 --force");
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_NE(RunCommand("cksum " + ShellQuote(dir.File("LG050109.txt"))).out, before.out);

    test::TempDir lower;
    std::ofstream(lower.File("lg010109.txt")) << "";  // the scan takes the prefix in either case
    EXPECT_EQ(RunCommand(kVyx + " gen " + ShellQuote(lower.Path()) + " --days 1").exitCode, 2);
    const auto last = RunCommand(kVyx + " gen " + ShellQuote(lower.File("last")) +
                                 " --start 31/12/2069 --days 1 --records-per-day 5 --no-faults");
    EXPECT_EQ(last.exitCode, 0) << last.err;
    EXPECT_TRUE(std::filesystem::exists(lower.File("last/LG311269.txt")));
}

TEST(CliGenDump, UsageErrorsAreOneLineWithExitCodeTwo) {
    const std::string cases[] = {
        kVyx + " dump /nonexistent/LG010109.txt",
        kVyx + " gen /tmp/x --bogus",
        kVyx + " frobnicate",
        kVyx + " gen /tmp/x --days 0",
        kVyx + " gen /tmp/x --start 31/02/2009",
        kVyx + " gen /tmp/x --seed -1",
        kVyx + " gen /tmp/x --seed=",
        kVyx + " gen /tmp/x --start 31/12/1969",
        kVyx + " gen /tmp/x --start 01/01/2070 --no-faults",
        // The empty day file after the last day would be named for 01/01/1970.
        kVyx + " gen /tmp/x --start 31/12/2069 --days 1",
        kVyx + " gen /tmp/x --start 01/12/2069 --days 40 --no-faults",
    };
    for (const std::string& command : cases) {
        const auto result = RunCommand(command);
        EXPECT_EQ(result.exitCode, 2) << command;
        EXPECT_EQ(CountLines(result.err), 1) << command << ": " << result.err;
        EXPECT_EQ(result.err.rfind("error: ", 0), 0u) << result.err;
    }
}

}  // namespace
}  // namespace vyx
