#include "controller/RecordRunReader.h"

#include "logdata/RecordDatabase.h"

namespace vyx {

CRecordRunReader::CRecordRunReader(const CRecordDatabase& store) : m_window(store.Settings().window) {
    // The followed parts too: a find must see the records a follow has added.
    m_files = store.AllFiles();
}

bool CRecordRunReader::SelectFile(std::int64_t serial, std::int64_t& first, std::int64_t& last) {
    const auto attach = [&](std::size_t i) {
        CRecordFile& file = *m_files[i];
        if (!m_fileOpen || i != m_current) {
            m_fileOpen = false;
            m_index.Detach();
            m_data.Detach();
            m_index.Attach(file.IndexHandle());
            m_data.Attach(file.DataHandle());
            m_current = i;
            m_fileOpen = true;
        }
        // Last before first, as the fetch reads them; only what was published may be read.
        last = file.LastSerial();
        first = file.FirstSerial();
        m_index.SetLimit(static_cast<std::uint64_t>(last - first + 1) * format::kIndexEntryBytes);
        m_data.SetLimit(file.LoadedBytes());
    };
    if (m_fileOpen && m_files[m_current]->LocalIndex(serial)) {
        attach(m_current);
        return serial >= first && serial <= last;
    }
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (m_window.Excludes(m_files[i]->DayStart())) continue;
        if (!m_files[i]->LocalIndex(serial)) continue;
        attach(i);
        return serial >= first && serial <= last;
    }
    return false;
}

const std::uint8_t* CRecordRunReader::Entries(std::int64_t k, std::int64_t count, std::int64_t serial) {
    const std::size_t bytes = static_cast<std::size_t>(count) * format::kIndexEntryBytes;
    std::size_t got = 0;
    const std::uint8_t* entries = m_index.Bytes(static_cast<std::uint64_t>(k) * format::kIndexEntryBytes, bytes, got);
    if (got < bytes) {
        throw CRecordUnreadable(m_files[m_current]->Path(),
                                serial + static_cast<std::int64_t>(got / format::kIndexEntryBytes),
                                RecordReadStatusText(RecordReadStatus::NoIndexEntry));
    }
    return entries;
}

const std::uint8_t* CRecordRunReader::Frame(std::uint64_t offset, std::int64_t serial, int& length) {
    std::size_t got = 0;
    const std::uint8_t* frame = m_data.Bytes(offset, format::kMaxDecodedFrameLength, got);
    const std::uint8_t* record = nullptr;
    int size = 0;
    const RecordReadStatus status = FrameRecordAt(frame, got, record, size);
    if (status != RecordReadStatus::Ok) {
        throw CRecordUnreadable(m_files[m_current]->Path(), serial, RecordReadStatusText(status));
    }
    length = size + format::kFrameLengthBytes;
    return frame;
}

}  // namespace vyx
