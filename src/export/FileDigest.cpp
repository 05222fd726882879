#include "export/FileDigest.h"

#include <nettle/sha2.h>

#include <vector>

#include "platform/File.h"

namespace vyx {

FileDigest DigestFile(const std::string& path) {
    CInputFile file(path);
    sha256_ctx context;
    sha256_init(&context);
    std::vector<std::uint8_t> buffer(std::size_t{1} << 20);
    FileDigest digest;
    for (;;) {
        const std::size_t got = file.Read(buffer.data(), buffer.size());
        if (got == 0) break;
        sha256_update(&context, got, buffer.data());
        digest.size += got;
    }
    std::uint8_t bytes[SHA256_DIGEST_SIZE];
    sha256_digest(&context, SHA256_DIGEST_SIZE, bytes);
    static constexpr char kHex[] = "0123456789abcdef";
    for (const std::uint8_t b : bytes) {
        digest.sha256 += kHex[b >> 4];
        digest.sha256 += kHex[b & 15];
    }
    return digest;
}

}  // namespace vyx
