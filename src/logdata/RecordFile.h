#pragma once
// One day file known to the record store, with the index file that lists its accepted records.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "logdata/Parse.h"
#include "logdata/Record.h"
#include "platform/File.h"

namespace vyx {

class CRecordFile {
public:
    // Forms the index path (temp folder + day file name + "_filter"); creates nothing on disk.
    CRecordFile(std::string path, std::uint32_t dayStart, const std::string& tempFolder);
    // Closes the fetch handles and deletes the index file.
    virtual ~CRecordFile();
    CRecordFile(const CRecordFile&) = delete;
    CRecordFile& operator=(const CRecordFile&) = delete;

    std::uint32_t DayStart() const { return m_nDayStart; }
    const std::string& Path() const { return m_strPath; }
    const std::string& IndexPath() const { return m_strIndexPath; }
    std::int32_t FirstSerial() const { return m_nFirstSerial.load(std::memory_order_acquire); }
    std::int32_t LastSerial() const { return m_nLastSerial.load(std::memory_order_acquire); }

    // Worker side: make serials first..last fetchable. The index entries they cover must be written (not
    // just buffered) before this is called. First is stored before last, and a reader looks at last first,
    // so it never sees a new last with an old first.
    void Publish(std::int32_t first, std::int32_t last);
    // Back to "no range" and closes the fetch handles: a new load rewrites the index file.
    void ResetForLoad();
    // Another handle on the day file the fetches read, which is opened by name first if need be. The worker
    // reads the day file through one, so records are fetched from the very file that was indexed, even when
    // the name is given to another file meanwhile (a folder kept in step with the logger by copying
    // replaces its files); a second reader of the store takes one too. Throws CFileError.
    CInputFile DuplicateData();

    // The local index of a serial number when this file's published range holds it.
    std::optional<std::int64_t> LocalIndex(std::int64_t serial) const;

    // Reads and decodes the record at local index k. False, with the target untouched, when the index entry
    // or the frame is missing or cut short. Throws CFileError when a file cannot be opened or read. Safe to
    // call from several threads: the handles are opened once under a lock and read with positioned reads.
    bool ReadRecord(std::int64_t k, const CParse& parse, CRecord& target);

private:
    std::atomic<std::int32_t> m_nFirstSerial{-1};
    std::atomic<std::int32_t> m_nLastSerial{-1};
    const std::uint32_t m_nDayStart;
    const std::string m_strPath;
    const std::string m_strIndexPath;
    std::mutex m_fetchMutex;
    CInputFile m_fileData;
    CInputFile m_fileIndex;
};

}  // namespace vyx
