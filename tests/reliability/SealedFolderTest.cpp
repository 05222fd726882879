// The read-only proofs rest on SealedFolder: it must notice every kind of write, also one that leaves the
// bytes as they were, and must not take reading for writing.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "ReliabilitySupport.h"
#include "platform/File.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

namespace fs = std::filesystem;

struct Touch {
    const char* name;
    std::function<void(const TempDir&)> act;
};

void PrintTo(const Touch& touch, std::ostream* os) {
    *os << touch.name;
}

class SealedFolderNotices : public ::testing::TestWithParam<Touch> {};

TEST_P(SealedFolderNotices, TheChange) {
    TempDir folder;
    WriteBytes(folder.File("LG050109.txt"), {0, 9, 1, 2, 3, 4, 33, 5, 6});
    WriteBytes(folder.File("MISCDATA.TXT"), {1, 0, 2});
    SealedFolder seal(folder.Path());
    GetParam().act(folder);
    EXPECT_FALSE(seal.Changes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Touches, SealedFolderNotices,
    ::testing::Values(
        // Mode bits do not stop root: each of these succeeds.
        Touch{"SameBytesWrittenBack",
              [](const TempDir& f) { WriteBytes(f.File("MISCDATA.TXT"), ReadBytes(f.File("MISCDATA.TXT"))); }},
        Touch{"OpenedForWritingOnly",
              [](const TempDir& f) { ::close(::open(f.File("MISCDATA.TXT").c_str(), O_WRONLY | O_CLOEXEC)); }},
        Touch{"Appended",
              [](const TempDir& f) {
                  std::FILE* file = std::fopen(f.File("LG050109.txt").c_str(), "ab");
                  std::fputc(0, file);
                  std::fclose(file);
              }},
        Touch{"NewFile", [](const TempDir& f) { WriteBytes(f.File("x"), {}); }},
        Touch{"Deleted", [](const TempDir& f) { fs::remove(f.File("MISCDATA.TXT")); }},
        Touch{"Renamed", [](const TempDir& f) { fs::rename(f.File("MISCDATA.TXT"), f.File("miscdata.txt")); }},
        Touch{"ModeChanged",
              [](const TempDir& f) {
                  fs::permissions(f.File("MISCDATA.TXT"), fs::perms::owner_write, fs::perm_options::add);
              }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SealedFolder, ReadingIsNoChange) {
    TempDir folder;
    WriteBytes(folder.File("LG050109.txt"), {0, 9, 1, 2, 3, 4, 33, 5, 6});
    SealedFolder seal(folder.Path());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadBytes(folder.File("LG050109.txt")).size(), 9u);
    for (const auto& e : fs::directory_iterator(folder.Path())) EXPECT_TRUE(e.is_regular_file());
    EXPECT_EQ(seal.Changes(), std::vector<std::string>{});
}

}  // namespace
}  // namespace vyx::test
