// What `vyx` leaves in the private temporary folder: a kept invalid-records log per run, nothing else, and
// no run folder of a run that was killed once the next run has started.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/ProcessIdentity.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

std::string PrivateFolderUnder(const test::TempDir& tmp) {
    return tmp.File("vyx-" + std::to_string(::geteuid()));
}

// The path the invalid-records notice names, and the count it gives.
std::pair<std::string, long> NoticeOf(const std::string& err) {
    const std::size_t count = err.find(" Invalid Records are found");
    const std::string lead = "information:-";
    const std::size_t at = err.find(lead);
    if (count == std::string::npos || at == std::string::npos) return {"", 0};
    const std::size_t begin = err.find_first_not_of("\r\n", at + lead.size());
    const std::size_t end = err.find_first_of("\r\n", begin);
    return {err.substr(begin, end - begin), std::stol(err.substr(err.rfind('\n', count) + 1))};
}

long LinesIn(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string text = s.str();
    return static_cast<long>(std::count(text.begin(), text.end(), '\n'));
}

TEST(CliTempFiles, EachRunsNoticeNamesALogOfItsOwnLines) {
    test::TempDir tmp, a, b;
    ASSERT_EQ(RunCommand(kVyx + " gen " + ShellQuote(a.Path()) + " --days 1 --records-per-day 1000 --seed 1").exitCode,
              0);
    ASSERT_EQ(RunCommand(kVyx + " gen " + ShellQuote(b.Path()) + " --days 3 --records-per-day 2000 --seed 2").exitCode,
              0);
    const std::string env = "TMPDIR=" + ShellQuote(tmp.Path()) + " ";
    const auto first = RunCommand(env + kVyx + " count " + ShellQuote(a.Path()));
    const auto second = RunCommand(env + kVyx + " count " + ShellQuote(b.Path()));
    ASSERT_EQ(first.exitCode, 0) << first.err;
    ASSERT_EQ(second.exitCode, 0) << second.err;
    const auto [firstLog, firstCount] = NoticeOf(first.err);
    const auto [secondLog, secondCount] = NoticeOf(second.err);
    ASSERT_GT(firstCount, 0) << first.err;
    ASSERT_NE(firstCount, secondCount) << "the folders must differ for the test to tell the logs apart";
    EXPECT_NE(firstLog, secondLog);
    EXPECT_EQ(std::filesystem::path(firstLog).filename(), "InvalidRecordLogFile.csv");
    EXPECT_EQ(LinesIn(firstLog), firstCount) << firstLog;
    EXPECT_EQ(LinesIn(secondLog), secondCount) << secondLog;
    EXPECT_EQ(firstLog.rfind(PrivateFolderUnder(tmp) + "/", 0), 0u) << firstLog;
    for (const auto& entry : std::filesystem::directory_iterator(PrivateFolderUnder(tmp))) {
        EXPECT_NE(entry.path().filename().string().rfind("run-", 0), 0u) << "left behind: " << entry.path();
    }
}

TEST(CliTempFiles, StartRemovesRunFoldersOfEndedRunsOnly) {
    test::TempDir tmp;
    const std::string folder = PrivateFolderUnder(tmp);
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const ProcessIdentity self = ThisProcess();
    const std::pair<const char*, std::string> owners[] = {
        {"run-ended1", std::to_string(child) + " 1\n"},
        {"run-alive1", std::to_string(self.pid) + " " + std::to_string(self.startTime) + "\n"}};
    for (const auto& [name, owner] : owners) {
        std::filesystem::create_directory(folder + "/" + name);
        std::ofstream(folder + "/" + name + "/owner") << owner;
        std::ofstream(folder + "/" + name + "/temp_1.dat") << "run";
    }
    ASSERT_EQ(RunCommand("TMPDIR=" + ShellQuote(tmp.Path()) + " " + kVyx + " commands").exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(folder + "/run-ended1"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/run-alive1/temp_1.dat"));
}

}  // namespace
}  // namespace vyx
