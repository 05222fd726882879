// The private temporary folder and the load generation ids.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>

#include <sys/wait.h>

#include <fstream>

#include "platform/FileError.h"
#include "platform/JobId.h"
#include "platform/LeftoverTempFolders.h"
#include "platform/ProcessIdentity.h"
#include "platform/TempFolder.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

// Points TMPDIR at a folder of the test for its lifetime.
class ScopedTmpDir {
public:
    explicit ScopedTmpDir(const std::string& path) {
        if (const char* old = std::getenv("TMPDIR")) m_old = old;
        ::setenv("TMPDIR", path.c_str(), 1);
    }
    ~ScopedTmpDir() {
        if (m_old) {
            ::setenv("TMPDIR", m_old->c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }

private:
    std::optional<std::string> m_old;
};

TEST(TempFolderTest, CreatedUnderTmpDirForThisUserOnly) {
    TempDir base;
    ScopedTmpDir tmpdir(base.Path());
    const std::string folder = PrivateTempFolder();
    EXPECT_EQ(folder, base.File("vyx-" + std::to_string(::geteuid())));
    EXPECT_EQ(ModeOf(folder), 0700u);
    EXPECT_EQ(PrivateTempFolder(), folder);  // found again, not refused

    ::chmod(folder.c_str(), 0777);  // ours but open to others: closed again
    EXPECT_EQ(PrivateTempFolder(), folder);
    EXPECT_EQ(ModeOf(folder), 0700u);
}

TEST(TempFolderTest, RefusesPlantedNames) {
    TempDir base;
    TempDir elsewhere;
    const std::string link = base.File("link");
    std::filesystem::create_directory_symlink(elsewhere.Path(), link);
    EXPECT_THROW(EnsurePrivateFolder(link), CVyxError);

    const std::string file = base.File("file");
    std::FILE* f = std::fopen(file.c_str(), "w");
    std::fclose(f);
    EXPECT_THROW(EnsurePrivateFolder(file), CVyxError);

    const std::string foreign = base.File("foreign");
    ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
    if (::chown(foreign.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "cannot give a folder away without root";
    EXPECT_THROW(EnsurePrivateFolder(foreign), CVyxError);
}

TEST(TempFolderTest, ScopedFolderIsFreshPrivateAndRemoved) {
    TempDir base;
    std::string first;
    {
        CScopedTempFolder a(base.Path());
        CScopedTempFolder b(base.Path());
        first = a.Path();
        EXPECT_NE(a.Path(), b.Path());
        EXPECT_EQ(ModeOf(a.Path()), 0700u);
        std::FILE* f = std::fopen((a.Path() + "/index").c_str(), "w");
        std::fclose(f);
    }
    EXPECT_FALSE(std::filesystem::exists(first));
}

// A pid that was in use a moment ago and is free now.
pid_t EndedPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

void MakeRunFolder(const std::string& path, const std::string& owner,
                   std::chrono::seconds age = std::chrono::seconds(0)) {
    std::filesystem::create_directory(path);
    std::ofstream(path + "/LG050109.txt_filter") << "index";
    if (!owner.empty()) std::ofstream(path + "/owner") << owner;
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - age);
}

std::string OwnerText(ProcessIdentity p) {
    return std::to_string(p.pid) + " " + std::to_string(p.startTime) + "\n";
}

TEST(TempFolderTest, RunFolderNamesItsOwner) {
    TempDir base;
    CScopedTempFolder run(base.Path());
    EXPECT_EQ(std::filesystem::path(run.Path()).filename().string().rfind("run-", 0), 0u);
    const auto owner = ReadRunFolderOwner(run.Path());
    ASSERT_TRUE(owner);
    EXPECT_EQ(*owner, ThisProcess());
    EXPECT_GT(owner->startTime, 0u);
    EXPECT_TRUE(IsRunning(*owner));
    EXPECT_FALSE(IsRunning({EndedPid(), owner->startTime}));
    EXPECT_FALSE(IsRunning({owner->pid, owner->startTime + 1})) << "the pid given to a later process";
}

TEST(TempFolderTest, StartTimeIsFieldTwentyTwoWhateverTheCommandName) {
    const std::string tail = " S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 987654 20 21\n";
    EXPECT_EQ(StartTimeFromStatLine("42 (vyx)" + tail), 987654u);
    EXPECT_EQ(StartTimeFromStatLine("42 (a) (b c) )" + tail), 987654u);
    EXPECT_FALSE(StartTimeFromStatLine("42 (vyx) S 1 2 3"));
    EXPECT_FALSE(StartTimeFromStatLine("no name at all"));
}

TEST(TempFolderTest, LeftoversOfEndedRunsGoAndNothingLiveIsTouched) {
    TempDir base;
    TempDir elsewhere;
    const ProcessIdentity self = ThisProcess();
    const std::string dead = OwnerText({EndedPid(), 1});
    using std::chrono::seconds;
    const struct {
        const char* name;
        std::string owner;
        seconds age;
        bool stays;
    } runs[] = {
        {"run-live01", OwnerText(self), seconds(3600), true},
        {"run-dead01", dead, seconds(0), false},
        {"run-reuse1", OwnerText({self.pid, self.startTime + 1}), seconds(0), false},
        {"run-being1", "", seconds(5), true},     // just being created: no owner yet
        {"run-torn01", "123", seconds(5), true},  // owner line not yet complete
        {"run-unown1", "", seconds(120), false},  // left by a run that died before naming itself
        {"run-unown2", "garbage\n", seconds(120), false},
        {"keep-dead1", dead, seconds(0), true},  // not a name of ours
    };
    for (const auto& r : runs) MakeRunFolder(base.File(r.name), r.owner, r.age);
    MakeRunFolder(elsewhere.File("run-target"), dead);
    std::filesystem::create_directory_symlink(elsewhere.File("run-target"), base.File("run-link01"));

    // Kept logs: the newest twenty stay unless older than a week.
    std::vector<std::string> logs;
    for (int i = 0; i < 22; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "log-%06d", i);
        logs.push_back(base.File(name));
        MakeRunFolder(logs.back(), "", seconds(i == 0 ? 8 * 24 * 3600 : 60 * i));
    }

    EXPECT_EQ(RemoveLeftoverTempFolders(base.Path()), 4 + 2);
    for (const auto& r : runs) EXPECT_EQ(std::filesystem::exists(base.File(r.name)), r.stays) << r.name;
    EXPECT_TRUE(std::filesystem::exists(elsewhere.File("run-target/owner"))) << "a link is not followed";
    EXPECT_FALSE(std::filesystem::exists(logs[0])) << "older than a week";
    for (int i = 1; i <= 20; ++i) EXPECT_TRUE(std::filesystem::exists(logs[static_cast<std::size_t>(i)])) << i;
    EXPECT_FALSE(std::filesystem::exists(logs[21])) << "the twenty-first newest";
}

TEST(JobIdTest, StrictlyIncreasingAcrossThreads) {
    std::vector<std::uint32_t> ids[2];
    std::thread other([&] {
        for (int i = 0; i < 2000; ++i) ids[1].push_back(NewJobId());
    });
    for (int i = 0; i < 2000; ++i) ids[0].push_back(NewJobId());
    other.join();
    std::set<std::uint32_t> all;
    for (const auto& list : ids) {
        for (std::size_t i = 1; i < list.size(); ++i) ASSERT_GT(list[i], list[i - 1]);
        all.insert(list.begin(), list.end());
    }
    EXPECT_EQ(all.size(), 4000u);  // no two loads share a generation
}

}  // namespace
}  // namespace vyx::test
