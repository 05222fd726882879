#pragma once
// Reads the frames of a day file in large blocks.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/File.h"

namespace vyx {

struct Frame {
    std::uint32_t offset = 0;          // offset of the frame's length field in the file
    int length = 0;                    // L, counting the two length bytes
    const std::uint8_t* bytes = nullptr;  // the L - 2 record bytes; valid until the next call

    int RecordSize() const { return length - 2; }
    // Only frames of 7..302 bytes are decoded; others are skipped silently.
    bool IsDecodable() const;
};

// Why reading a day file ended.
enum class FrameEnd {
    None,         // still reading
    EndOfFile,    // fewer than 2 bytes of length remained (a clean end when none remained)
    BadLength,    // a length of 2 or less
    Truncated,    // fewer record bytes than the length announced
    OffsetLimit,  // the file grew past what a 32-bit index offset can address
};

class CDayFileReader {
public:
    explicit CDayFileReader(std::size_t blockSize = 1 << 20);

    void Open(const std::string& path);  // throws CFileError
    void Open(CInputFile file);          // reads from its current position on
    void Close();
    // The next whole frame, decodable or not; false when reading has ended (see EndReason).
    // Throws CFileError when a read fails.
    bool Next(Frame& frame);
    FrameEnd EndReason() const { return m_end; }
    // Offset of the next frame, i.e. of the first byte not yet consumed.
    std::uint64_t Offset() const { return m_offset; }

private:
    bool Fill(std::size_t needed);

    CInputFile m_file;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_blockSize;
    std::size_t m_head = 0;  // first unconsumed byte in m_buffer
    std::size_t m_tail = 0;  // one past the last valid byte in m_buffer
    bool m_eof = false;
    std::uint64_t m_offset = 0;
    FrameEnd m_end = FrameEnd::None;
};

}  // namespace vyx
