// The private temporary folder and the load generation ids.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>

#include "platform/FileError.h"
#include "platform/JobId.h"
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
