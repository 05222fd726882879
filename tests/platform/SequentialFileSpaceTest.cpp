// The space of a file written from its start to its end: what is written is the file, and the space reserved
// ahead of the writes is given back at the end.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/SequentialFileSpace.h"
#include "support/FileText.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

void WriteThrough(int fd, CSequentialFileSpace& space, const std::string& bytes, std::size_t piece) {
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        const std::size_t n = std::min(piece, bytes.size() - at);
        space.Reserve(n);
        ASSERT_EQ(::write(fd, bytes.data() + at, n), static_cast<ssize_t>(n));
        space.Written(n);
    }
}

TEST(SequentialFileSpaceTest, TheFileHoldsWhatWasWrittenAndNoSpaceBeyond) {
    constexpr std::uint64_t kWindow = CSequentialFileSpace::kWindow;
    struct Case {
        const char* name;
        std::size_t bytes;
        std::size_t piece;
    };
    const Case cases[] = {
        {"nothing", 0, 1},
        {"less than a block", 1000, 4096},
        {"across windows, in odd pieces", 2 * kWindow + 12345, 1'000'003},
        {"past the first reservation", CSequentialFileSpace::kReserveStep + kWindow + 7, std::size_t{1} << 21},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes(c.bytes, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('a' + (i * 7 + i / 4093) % 26);
        const std::string path = dir.File(std::string(c.name) + ".bin");
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        CSequentialFileSpace space(fd);
        WriteThrough(fd, space, bytes, c.piece);
        space.Release();
        struct stat status {};
        ASSERT_EQ(::fstat(fd, &status), 0);
        ::close(fd);
        EXPECT_EQ(static_cast<std::size_t>(status.st_size), bytes.size());
        // Allocated at most the written bytes in whole blocks, and a little the file system keeps for itself.
        EXPECT_LE(static_cast<std::uint64_t>(status.st_blocks) * 512, bytes.size() + (std::uint64_t{1} << 20));
        EXPECT_TRUE(ReadFileText(path) == bytes);
    }
}

TEST(SequentialFileSpaceTest, APipeIsWrittenAsUsual) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    CSequentialFileSpace space(ends[1]);
    const std::string text = "through a pipe";
    WriteThrough(ends[1], space, text, 4);
    space.Release();
    ::close(ends[1]);
    std::string read(64, '\0');
    const ssize_t n = ::read(ends[0], read.data(), read.size());
    ::close(ends[0]);
    ASSERT_GT(n, 0);
    EXPECT_EQ(read.substr(0, static_cast<std::size_t>(n)), text);
}

}  // namespace
}  // namespace vyx::test
