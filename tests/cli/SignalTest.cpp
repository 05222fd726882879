// A `vyx` run ended by SIGINT, SIGTERM or SIGHUP exits with 128 + the signal and leaves neither its run
// folder nor a partial report behind.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "support/RunCommand.h"
#include "support/TempDir.h"

extern char** environ;

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

// Starts vyx with the three signals at their default action (a caller may have left them ignored), under
// its own temporary folder, with its output thrown away.
pid_t Start(const std::vector<std::string>& arguments, const std::string& tmpdir) {
    std::vector<std::string> words{kVyx};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables{"TMPDIR=" + tmpdir};
    for (char** e = environ; *e; ++e) {
        if (std::string(*e).rfind("TMPDIR=", 0) != 0) variables.emplace_back(*e);
    }
    std::vector<char*> envp;
    for (std::string& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, s);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, kVyx.c_str(), &files, &attributes, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    return pid;
}

bool WaitUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

int ExitCode(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Any file of this name in any run folder.
bool RunFolderHolds(const std::string& privateFolder, const std::string& name) {
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(privateFolder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (std::filesystem::exists(it->path() / name)) return true;
    }
    return false;
}

class CliSignals : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() {
        s_data = new test::TempDir;
        const auto gen =
            RunCommand(kVyx + " gen " + ShellQuote(s_data->Path()) + " --days 2 --records-per-day 300000 --no-faults");
        ASSERT_EQ(gen.exitCode, 0) << gen.err;
    }
    static void TearDownTestSuite() {
        delete s_data;
        s_data = nullptr;
    }
    std::string PrivateFolder() const { return m_tmp.File("vyx-" + std::to_string(::geteuid())); }
    void ExpectNothingLeft() const {
        std::error_code ec;
        EXPECT_TRUE(std::filesystem::is_empty(PrivateFolder(), ec)) << "a run folder is left";
    }

    static test::TempDir* s_data;
    test::TempDir m_tmp, m_out;
};

test::TempDir* CliSignals::s_data = nullptr;

TEST_P(CliSignals, DuringAReportTheOutputAndRunFolderAreRemoved) {
    const std::string out = m_out.File("r.html");
    const pid_t pid = Start({"report", s_data->Path(), "--type", "html", "--out", out}, m_tmp.Path());
    // The report is being written while its file has a temporary name beside the chosen one.
    ASSERT_TRUE(WaitUntil([&] { return !std::filesystem::is_empty(m_out.Path()); }));
    ::kill(pid, GetParam());
    EXPECT_EQ(ExitCode(pid), 128 + GetParam());
    EXPECT_TRUE(std::filesystem::is_empty(m_out.Path())) << "neither the report nor its temporary file may stay";
    ExpectNothingLeft();
}

TEST_P(CliSignals, DuringALoadTheRunFolderIsRemoved) {
    const pid_t pid = Start({"count", s_data->Path(), "--order", "desc"}, m_tmp.Path());
    ASSERT_TRUE(WaitUntil([&] { return RunFolderHolds(PrivateFolder(), "LG060109.txt_filter"); }));
    ::kill(pid, GetParam());
    EXPECT_EQ(ExitCode(pid), 128 + GetParam());
    ExpectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(Signals, CliSignals, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace
}  // namespace vyx
