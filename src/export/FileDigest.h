#pragma once
// SHA-256 of a whole file, for the export's record of which day files it was made from.

#include <cstdint>
#include <string>

namespace vyx {

struct FileDigest {
    std::uint64_t size = 0;
    std::string sha256;  // 64 lower-case hex digits
};

// Reads the file once from start to end. Throws CFileError.
FileDigest DigestFile(const std::string& path);

}  // namespace vyx
