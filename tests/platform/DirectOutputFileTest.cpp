#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/DirectOutputFile.h"
#include "platform/File.h"
#include "platform/FileError.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Writes of any size, across the buffer and the direct-write blocks, with a tail shorter than a block.
TEST(DirectOutputFile, KeepsEveryByteInOrder) {
    const std::vector<std::size_t> sizes = {1, 4095, 1, 65536, (std::size_t{1} << 21) + 7, 3, 0, 100000};
    TempDir dir;
    const std::string path = dir.Path() + "/out";
    std::string expected;
    CDirectOutputFile file;
    file.Open(path);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        std::string piece(sizes[i], '\0');
        for (std::size_t k = 0; k < piece.size(); ++k) piece[k] = static_cast<char>((k * 31 + i) & 0xFF);
        file.Write(piece.data(), piece.size());
        expected += piece;
    }
    file.Close();
    EXPECT_TRUE(ReadAll(path) == expected);
}

TEST(DirectOutputFile, AWriteTheDiskRefusesFails) {
    TempDir dir;
    const std::string path = dir.Path() + "/out";
    CDirectOutputFile file;
    file.Open(path);
    SetWriteFaultHook([](const std::string&, std::size_t bytes) { return bytes > 10 ? ENOSPC : 0; });
    const std::string small(10, 'a');
    file.Write(small.data(), small.size());
    const std::string large(11, 'b');
    try {
        file.Write(large.data(), large.size());
        ADD_FAILURE() << "the write did not fail";
    } catch (const CFileError& e) {
        EXPECT_EQ(e.ErrorNumber(), ENOSPC);
    }
    SetWriteFaultHook(nullptr);
    file.Close();
    EXPECT_EQ(ReadAll(path), small);
}

}  // namespace
}  // namespace vyx::test
