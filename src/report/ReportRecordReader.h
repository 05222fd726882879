#pragma once
// The report's reader of the record store. It reads the same day files and index files as the store, through
// its own file handles and in large blocks: a report streams millions of records in serial order, and the
// main window keeps fetching rows from the store at the same time without waiting on the report.

#include <cstdint>
#include <vector>

#include "logdata/LoadSettings.h"
#include "logdata/Parse.h"
#include "logdata/Record.h"
#include "logdata/RecordFile.h"
#include "platform/File.h"

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
    // untouched when the serial number is not published or its entry or frame is missing. Throws CFileError
    // when a file cannot be opened or read. Fastest when serial numbers come in order.
    bool GetRecord(std::int64_t serial, CRecord& target);

private:
    bool SelectFile(std::int64_t serial, std::int64_t& local);
    bool ReadOffset(std::int64_t local, std::uint32_t& offset);
    bool ReadFrame(std::uint32_t offset, CRecord& target);

    std::vector<CRecordFile*> m_files;
    DateWindow m_window;
    CParse m_parse;

    std::size_t m_current = 0;  // m_files index of the open file, valid while m_fileOpen
    bool m_fileOpen = false;
    CInputFile m_index;
    CInputFile m_data;

    // A block of index entries: local indexes m_indexFirst .. m_indexFirst + m_indexCount - 1.
    std::vector<std::uint8_t> m_indexBlock;
    std::int64_t m_indexFirst = 0;
    std::int64_t m_indexCount = 0;

    // A window of the day file: bytes m_dataStart .. m_dataStart + m_dataCount - 1.
    std::vector<std::uint8_t> m_dataBlock;
    std::uint64_t m_dataStart = 0;
    std::size_t m_dataCount = 0;
};

}  // namespace vyx
