#pragma once
// The report's reader of the record store. It reads the same day files and index files as the store, through
// its own file handles and in large blocks: a report streams millions of records in serial order, and the
// main window keeps fetching rows from the store at the same time without waiting on the report.

#include <cstdint>
#include <vector>

#include "logdata/FrameReading.h"
#include "logdata/LoadSettings.h"
#include "logdata/Parse.h"
#include "logdata/Record.h"
#include "logdata/RecordFile.h"
#include "logdata/SerialNumber.h"

namespace vyx {

class CRecordDatabase;

class CReportRecordReader {
public:
    CReportRecordReader() = default;
    // Takes the store's day files and settings. Call it on the thread that owns the store; the store must
    // not be reset or reloaded while the reader is in use.
    explicit CReportRecordReader(const CRecordDatabase& database);
    CReportRecordReader(CReportRecordReader&&) noexcept = default;
    CReportRecordReader& operator=(CReportRecordReader&&) noexcept = default;

    // As CRecordDatabase::GetRecord: fills target and returns true, or returns false with the target
    // untouched when the serial number is not published. Throws CRecordUnreadable when a published record
    // cannot be read again, CFileError when a file cannot be opened or read. Fastest when serial numbers
    // come in order.
    bool GetRecord(SerialNumber serial, CRecord& target);
    // Where the record read last lies: its day file and the offset of its frame (for the export).
    const CRecordFile* CurrentFile() const { return m_fileOpen ? m_files[m_current] : nullptr; }
    std::uint64_t CurrentOffset() const { return m_offset; }

private:
    bool SelectFile(SerialNumber serial, std::int64_t& local);

    std::vector<CRecordFile*> m_files;
    DateWindow m_window;
    CParse m_parse;

    std::size_t m_current = 0;  // m_files index of the open file, valid while m_fileOpen
    bool m_fileOpen = false;
    std::uint64_t m_offset = 0;  // of the record read last
    CFileWindow m_index{kIndexBlockBytes};
    CFileWindow m_data{kDataBlockBytes};

    static constexpr std::size_t kIndexBlockBytes = 16384 * 4;
    static constexpr std::size_t kDataBlockBytes = std::size_t{1} << 18;
};

}  // namespace vyx
