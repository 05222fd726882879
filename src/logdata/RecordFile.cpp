#include "logdata/RecordFile.h"

#include <array>
#include <vector>

#include "logdata/DayFileFormat.h"

namespace vyx {

CRecordFile::CRecordFile(std::string path, std::uint32_t dayStart, const std::string& tempFolder)
    : m_nDayStart(dayStart),
      m_strPath(std::move(path)),
      m_strIndexPath(tempFolder + "/" + m_strPath.substr(m_strPath.find_last_of('/') + 1) + format::kIndexSuffix) {}

CRecordFile::~CRecordFile() {
    m_fileData.Close();
    m_fileIndex.Close();
    DeleteFile(m_strIndexPath);
}

void CRecordFile::Publish(std::int32_t first, std::int32_t last) {
    m_nFirstSerial.store(first, std::memory_order_release);
    m_nLastSerial.store(last, std::memory_order_release);
}

void CRecordFile::ResetForLoad() {
    m_nLastSerial.store(-1, std::memory_order_release);
    m_nFirstSerial.store(-1, std::memory_order_release);
    std::lock_guard lock(m_fetchMutex);
    m_fileData.Close();
    m_fileIndex.Close();
}

CInputFile CRecordFile::DuplicateData() {
    std::lock_guard lock(m_fetchMutex);
    if (!m_fileData.IsOpen()) m_fileData.Open(m_strPath);
    return m_fileData.Duplicate();
}

std::optional<std::int64_t> CRecordFile::LocalIndex(std::int64_t serial) const {
    const std::int32_t last = LastSerial();
    const std::int32_t first = FirstSerial();
    // -1 means "not yet set"; during a publication first may already be set while last is not.
    if (first < 0 || last < 0 || serial < first || serial > last) return std::nullopt;
    return serial - first;
}

bool CRecordFile::ReadRecord(std::int64_t k, const CParse& parse, CRecord& target) {
    if (k < 0) return false;
    std::lock_guard lock(m_fetchMutex);
    if (!m_fileData.IsOpen()) m_fileData.Open(m_strPath);
    if (!m_fileIndex.IsOpen()) m_fileIndex.Open(m_strIndexPath);

    std::array<std::uint8_t, format::kIndexEntryBytes> entry{};
    if (m_fileIndex.ReadAt(static_cast<std::uint64_t>(k) * format::kIndexEntryBytes, entry.data(), entry.size()) <
        entry.size()) {
        return false;
    }
    const std::uint64_t offset = static_cast<std::uint64_t>(entry[0]) | static_cast<std::uint64_t>(entry[1]) << 8 |
                                 static_cast<std::uint64_t>(entry[2]) << 16 |
                                 static_cast<std::uint64_t>(entry[3]) << 24;

    // One read covers every frame the load indexes; a longer one means the file changed since.
    std::array<std::uint8_t, format::kMaxDecodedFrameLength> frame{};
    const std::size_t got = m_fileData.ReadAt(offset, frame.data(), frame.size());
    if (got < static_cast<std::size_t>(format::kFrameLengthBytes)) return false;
    const int length = frame[0] * 256 + frame[1];
    if (length <= format::kFrameLengthBytes) return false;
    if (static_cast<std::size_t>(length) <= frame.size()) {
        if (got < static_cast<std::size_t>(length)) return false;
        parse.Parse(frame.data() + format::kFrameLengthBytes, length - format::kFrameLengthBytes, target);
        return true;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length - format::kFrameLengthBytes));
    if (m_fileData.ReadAt(offset + format::kFrameLengthBytes, bytes.data(), bytes.size()) < bytes.size()) return false;
    parse.Parse(bytes.data(), static_cast<int>(bytes.size()), target);
    return true;
}

}  // namespace vyx
