#include "logdata/DayFileReader.h"

#include <cstring>

#include "logdata/DayFileFormat.h"

namespace vyx {

bool Frame::IsDecodable() const {
    return length >= format::kMinDecodedFrameLength && length <= format::kMaxDecodedFrameLength;
}

// The buffer holds one block plus the longest possible frame, so a frame never has to be split.
CDayFileReader::CDayFileReader(std::size_t blockSize)
    : m_buffer(blockSize + 0x10000 + 2), m_blockSize(blockSize) {}

void CDayFileReader::Open(const std::string& path) {
    CInputFile file(path);
    Open(std::move(file));
}

void CDayFileReader::Open(CInputFile file) {
    m_file = std::move(file);
    m_head = m_tail = 0;
    m_eof = false;
    m_offset = 0;
    m_end = FrameEnd::None;
}

void CDayFileReader::Close() { m_file.Close(); }

// Makes at least `needed` unconsumed bytes available if the file has them; false when it has not.
bool CDayFileReader::Fill(std::size_t needed) {
    while (m_tail - m_head < needed) {
        if (m_eof) return false;
        if (m_head > 0) {
            std::memmove(m_buffer.data(), m_buffer.data() + m_head, m_tail - m_head);
            m_tail -= m_head;
            m_head = 0;
        }
        const std::size_t room = m_buffer.size() - m_tail;
        const std::size_t want = room < m_blockSize ? room : m_blockSize;
        const std::size_t got = m_file.Read(m_buffer.data() + m_tail, want);
        if (got < want) m_eof = true;  // a file that grows later is read up to this point only
        m_tail += got;
    }
    return true;
}

bool CDayFileReader::Next(Frame& frame) {
    if (m_end != FrameEnd::None) return false;
    if (!Fill(format::kFrameLengthBytes)) {
        m_end = FrameEnd::EndOfFile;
        return false;
    }
    const int length = m_buffer[m_head] * 256 + m_buffer[m_head + 1];
    if (length <= format::kFrameLengthBytes) {
        m_end = FrameEnd::BadLength;
        return false;
    }
    if (!Fill(static_cast<std::size_t>(length))) {
        m_end = FrameEnd::Truncated;
        return false;
    }
    if (m_offset > 0xFFFFFFFFull) {
        m_end = FrameEnd::OffsetLimit;
        return false;
    }
    frame.offset = static_cast<std::uint32_t>(m_offset);
    frame.length = length;
    frame.bytes = m_buffer.data() + m_head + format::kFrameLengthBytes;
    m_head += static_cast<std::size_t>(length);
    m_offset += static_cast<std::uint64_t>(length);
    return true;
}

}  // namespace vyx
