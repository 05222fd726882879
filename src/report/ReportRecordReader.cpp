#include "report/ReportRecordReader.h"

#include "logdata/RecordDatabase.h"

namespace vyx {

CReportRecordReader::CReportRecordReader(const CRecordDatabase& database)
    : m_window(database.Settings().window), m_parse(database.Settings().modbusBaseAddress) {
    // With the parts a follow has added so far: a report may cover records that came after the load.
    m_files = database.AllFiles();
}

bool CReportRecordReader::SelectFile(SerialNumber serial, std::int64_t& local) {
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
            m_index.Detach();
            m_data.Detach();
            m_index.Attach(m_files[i]->IndexHandle());
            m_data.Attach(m_files[i]->DataHandle());
            m_current = i;
            m_fileOpen = true;
        }
        local = *k;
        return true;
    }
    return false;
}

bool CReportRecordReader::GetRecord(SerialNumber serial, CRecord& target) {
    if (serial < 0) return false;
    std::int64_t local = 0;
    if (!SelectFile(serial, local)) return false;
    CRecordFile& file = *m_files[m_current];
    // Only what the load had published when this record was: the rest may still be on its way.
    m_index.SetLimit(static_cast<std::uint64_t>(file.LastSerial() - file.FirstSerial() + 1) * format::kIndexEntryBytes);
    m_data.SetLimit(file.LoadedBytes());
    std::uint64_t offset = 0;
    if (!ReadIndexEntry(m_index, local, offset)) {
        throw CRecordUnreadable(file.Path(), serial, RecordReadStatusText(RecordReadStatus::NoIndexEntry));
    }
    const RecordReadStatus status = ReadRecordAt(m_data, offset, m_parse, target);
    if (status != RecordReadStatus::Ok) throw CRecordUnreadable(file.Path(), serial, RecordReadStatusText(status));
    m_offset = offset;
    return true;
}

}  // namespace vyx
