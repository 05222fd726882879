#include "report/ReportRecordReader.h"

#include <algorithm>

#include "logdata/DayFileFormat.h"
#include "logdata/RecordDatabase.h"

namespace vyx {
namespace {

constexpr std::size_t kIndexBlockEntries = 16384;
constexpr std::size_t kDataBlockBytes = std::size_t{1} << 18;

std::uint32_t LittleEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

CReportRecordReader::CReportRecordReader(const CRecordDatabase& database)
    : m_window(database.Settings().window), m_parse(database.Settings().modbusBaseAddress) {
    m_files.reserve(database.Files().size());
    for (const auto& file : database.Files()) m_files.push_back(file.get());
}

bool CReportRecordReader::SelectFile(std::int64_t serial, std::int64_t& local) {
    if (m_fileOpen) {
        if (const auto k = m_files[m_current]->LocalIndex(serial)) {
            local = *k;
            return true;
        }
    }
    // The same search as the store's: the first file in store order whose published range holds it.
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (m_window.Excludes(m_files[i]->DayStart())) continue;
        const auto k = m_files[i]->LocalIndex(serial);
        if (!k) continue;
        if (!m_fileOpen || i != m_current) {
            m_fileOpen = false;
            m_index.Close();
            m_data.Close();
            m_indexCount = 0;
            m_dataCount = 0;
            m_index.Open(m_files[i]->IndexPath());
            m_data = m_files[i]->DuplicateData();
            m_current = i;
            m_fileOpen = true;
        }
        local = *k;
        return true;
    }
    return false;
}

bool CReportRecordReader::ReadOffset(std::int64_t local, std::uint32_t& offset) {
    if (local < m_indexFirst || local >= m_indexFirst + m_indexCount) {
        // Only entries of the published range: entries past it may still be on their way to the file.
        const CRecordFile& file = *m_files[m_current];
        const std::int64_t published = static_cast<std::int64_t>(file.LastSerial()) - file.FirstSerial() + 1;
        const std::int64_t wanted = std::min<std::int64_t>(kIndexBlockEntries, published - local);
        if (wanted <= 0) return false;
        m_indexBlock.resize(static_cast<std::size_t>(wanted) * format::kIndexEntryBytes);
        const std::size_t got = m_index.ReadAt(static_cast<std::uint64_t>(local) * format::kIndexEntryBytes,
                                               m_indexBlock.data(), m_indexBlock.size());
        m_indexFirst = local;
        m_indexCount = static_cast<std::int64_t>(got / format::kIndexEntryBytes);
        if (m_indexCount == 0) return false;
    }
    offset = LittleEndian32(m_indexBlock.data() + (local - m_indexFirst) * format::kIndexEntryBytes);
    return true;
}

bool CReportRecordReader::ReadFrame(std::uint32_t offset, CRecord& target) {
    constexpr std::size_t kMaxFrame = format::kMaxDecodedFrameLength;
    const auto inWindow = [this](std::uint64_t at, std::size_t bytes) {
        return at >= m_dataStart && at + bytes <= m_dataStart + m_dataCount;
    };
    const auto load = [this](std::uint64_t start) {
        m_dataBlock.resize(kDataBlockBytes);
        m_dataStart = start;
        m_dataCount = m_data.ReadAt(start, m_dataBlock.data(), m_dataBlock.size());
    };
    if (!inWindow(offset, format::kFrameLengthBytes)) {
        // Time-ordered loads walk a day file backwards in descending order: then keep the window below.
        const bool backwards = m_dataCount > 0 && offset < m_dataStart;
        const std::uint64_t span = kDataBlockBytes - kMaxFrame;
        load(backwards && offset > span ? offset - span : (backwards ? 0 : offset));
        if (!inWindow(offset, format::kFrameLengthBytes)) return false;
    }
    const std::uint8_t* head = m_dataBlock.data() + (offset - m_dataStart);
    const std::size_t length = static_cast<std::size_t>(head[0]) * 256 + head[1];
    if (length <= static_cast<std::size_t>(format::kFrameLengthBytes)) return false;
    if (length > kMaxFrame) {
        // Not a frame the load indexes; read it as the store would rather than trusting the window.
        std::vector<std::uint8_t> bytes(length - format::kFrameLengthBytes);
        if (m_data.ReadAt(offset + format::kFrameLengthBytes, bytes.data(), bytes.size()) < bytes.size()) return false;
        m_parse.Parse(bytes.data(), static_cast<int>(bytes.size()), target);
        return true;
    }
    if (!inWindow(offset, length)) {
        load(offset);
        if (!inWindow(offset, length)) return false;
    }
    head = m_dataBlock.data() + (offset - m_dataStart);
    m_parse.Parse(head + format::kFrameLengthBytes, static_cast<int>(length) - format::kFrameLengthBytes, target);
    return true;
}

bool CReportRecordReader::GetRecord(std::int64_t serial, CRecord& target) {
    if (serial < 0) return false;
    std::int64_t local = 0;
    if (!SelectFile(serial, local)) return false;
    std::uint32_t offset = 0;
    if (!ReadOffset(local, offset)) return false;
    return ReadFrame(offset, target);
}

}  // namespace vyx
