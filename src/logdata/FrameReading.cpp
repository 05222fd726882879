#include "logdata/FrameReading.h"

#include <algorithm>

namespace vyx {
namespace {

// The message classes a record may carry (bits 0..5 of the class byte).
constexpr bool IsKnownClass(std::uint8_t classByte) {
    switch (classByte & 0x3F) {
        case 33: case 32: case 5: case 4: case 1: case 18: return true;
        default: return false;
    }
}

}  // namespace

bool IsPlausibleFrame(const std::uint8_t* frame, int length, std::uint32_t dayStart) {
    if (!IsDecodableLength(length)) return false;
    const std::uint8_t* record = frame + format::kFrameLengthBytes;
    if (!IsKnownClass(record[4])) return false;
    const std::uint64_t time = static_cast<std::uint64_t>(record[0]) << 24 | static_cast<std::uint64_t>(record[1]) << 16 |
                               static_cast<std::uint64_t>(record[2]) << 8 | record[3];
    const std::uint64_t day = dayStart;
    // Within the day before, the day itself and the day after: a logger clock may step, but not by days.
    return time + format::kSecondsPerDay >= day && time < day + 2 * std::uint64_t{format::kSecondsPerDay};
}

std::string RecordReadStatusText(RecordReadStatus status) {
    switch (status) {
        case RecordReadStatus::Ok: return "no error";
        case RecordReadStatus::NoIndexEntry: return "its entry in the index file is missing";
        case RecordReadStatus::FileShorter: return "the day file is shorter than when it was loaded";
        case RecordReadStatus::FrameChanged: return "the day file has changed since it was loaded";
        case RecordReadStatus::FileReplaced: return "the day file was replaced since it was loaded";
    }
    return "unknown";
}

CRecordUnreadable::CRecordUnreadable(std::string dayFile, std::int64_t serial, std::string reason)
    : CVyxError("Record Sr.No. " + std::to_string(serial + 1) + " cannot be read again from " + dayFile + ": " +
                reason + "."),
      m_dayFile(std::move(dayFile)),
      m_serial(serial),
      m_reason(std::move(reason)) {}

void CFileWindow::Attach(std::shared_ptr<const CInputFile> file) {
    m_file = std::move(file);
    m_windowValid = false;
    m_count = 0;
}

void CFileWindow::Detach() { Attach(nullptr); }

const std::uint8_t* CFileWindow::Bytes(std::uint64_t offset, std::size_t count, std::size_t& got,
                                       std::uint64_t readEnd) {
    const auto covers = [&] {
        return m_windowValid && offset >= m_start && offset + count <= m_start + m_count;
    };
    if (!covers()) {
        // A reader walking backwards (descending time order) wants the block that ends at this offset.
        const bool backwards = m_windowValid && offset < m_start && count <= m_blockBytes;
        const std::size_t block = std::max(m_blockBytes, count);
        std::uint64_t start = offset;
        if (readEnd >= offset + count) {
            start = readEnd > block ? readEnd - block : 0;
            start = std::min(start, offset);
        } else if (backwards) {
            const std::uint64_t below = block - count;
            start = offset > below ? offset - below : 0;
        }
        if (m_buffer.size() < block) m_buffer.resize(block);
        m_start = start;
        const std::size_t wanted =
            start >= m_limit ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(block, m_limit - start));
        m_count = m_file->ReadAt(start, m_buffer.data(), wanted);
        m_windowValid = true;
    }
    const std::uint64_t end = m_start + m_count;
    got = offset >= end ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(count, end - offset));
    return m_buffer.data() + (offset >= m_start ? offset - m_start : 0);
}

RecordReadStatus ReadRecordAt(CFileWindow& window, std::uint64_t offset, const CParse& parse, CRecord& target) {
    std::size_t got = 0;
    const std::uint8_t* head = window.Bytes(offset, format::kMaxDecodedFrameLength, got);
    return DecodeFrameAt(head, got, parse, target);
}

RecordReadStatus FrameRecordAt(const std::uint8_t* head, std::size_t got, const std::uint8_t*& record, int& size) {
    if (got < static_cast<std::size_t>(format::kFrameLengthBytes)) return RecordReadStatus::FileShorter;
    const int length = FrameLength(head);
    // The load indexes decodable frames only: any other length means other bytes lie there now.
    if (!IsDecodableLength(length)) return RecordReadStatus::FrameChanged;
    if (got < static_cast<std::size_t>(length)) return RecordReadStatus::FileShorter;
    record = head + format::kFrameLengthBytes;
    size = length - format::kFrameLengthBytes;
    return RecordReadStatus::Ok;
}

RecordReadStatus DecodeFrameAt(const std::uint8_t* head, std::size_t got, const CParse& parse, CRecord& target) {
    const std::uint8_t* record = nullptr;
    int size = 0;
    const RecordReadStatus status = FrameRecordAt(head, got, record, size);
    if (status == RecordReadStatus::Ok) parse.Parse(record, size, target);
    return status;
}

bool ReadIndexEntry(CFileWindow& window, std::int64_t k, std::uint64_t& offset) {
    if (k < 0) return false;
    std::size_t got = 0;
    const std::uint8_t* p = window.Bytes(static_cast<std::uint64_t>(k) * format::kIndexEntryBytes,
                                         format::kIndexEntryBytes, got);
    if (got < format::kIndexEntryBytes) return false;
    offset = static_cast<std::uint64_t>(p[0]) | static_cast<std::uint64_t>(p[1]) << 8 |
             static_cast<std::uint64_t>(p[2]) << 16 | static_cast<std::uint64_t>(p[3]) << 24;
    return true;
}

}  // namespace vyx
