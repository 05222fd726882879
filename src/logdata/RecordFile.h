#pragma once
// One day file known to the record store, with the index file that lists its accepted records.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "logdata/FileHandleCache.h"
#include "logdata/Parse.h"
#include "logdata/Record.h"
#include "logdata/SerialNumber.h"
#include "platform/File.h"

namespace vyx {

class CRecordFile {
public:
    // Forms the index path (temp folder + day file name + "_filter"); creates nothing on disk. The files
    // are opened through `handles`, which must outlive this object. A part of a day file that a follow adds
    // has an index of its own: `indexTag` is appended to the index file's name.
    CRecordFile(std::string path, std::uint32_t dayStart, const std::string& tempFolder, CFileHandleCache& handles,
                const std::string& indexTag = {});
    // Drops the cached handles and deletes the index file.
    virtual ~CRecordFile();
    CRecordFile(const CRecordFile&) = delete;
    CRecordFile& operator=(const CRecordFile&) = delete;

    std::uint32_t DayStart() const { return m_nDayStart; }
    const std::string& Path() const { return m_strPath; }
    const std::string& IndexPath() const { return m_strIndexPath; }
    SerialNumber FirstSerial() const { return m_nFirstSerial.load(std::memory_order_acquire); }
    SerialNumber LastSerial() const { return m_nLastSerial.load(std::memory_order_acquire); }

    // Worker side: make serials first..last fetchable; `bytesRead` is how far the load has read the day
    // file. The index entries they cover must be written (not just buffered) before this is called. First
    // is stored before last, and a reader looks at last first, so it never sees a new last with an old first.
    void Publish(SerialNumber first, SerialNumber last, std::uint64_t bytesRead);
    // Back to "no range" and drops the cached handles: a new load rewrites the index file.
    void ResetForLoad();
    // Worker side: opens the day file for the load and remembers which file it is, so that every later
    // fetch reads this very file or refuses. Throws CFileError.
    std::shared_ptr<const CInputFile> OpenForLoad();

    // How far the load had read the day file at its last publication: every published frame lies below.
    std::uint64_t LoadedBytes() const;

    // The local index of a serial number when this file's published range holds it.
    std::optional<std::int64_t> LocalIndex(SerialNumber serial) const;

    // Handles for a reader that walks the file (the report): the index file and the checked day file, held
    // by that reader alone unless the store has them open already. Throws CRecordUnreadable when the day
    // file is no longer the one loaded, CFileError when it cannot be opened.
    std::shared_ptr<const CInputFile> IndexHandle();
    std::shared_ptr<const CInputFile> DataHandle();

    // The day-file offset that index entry k names. Throws CRecordUnreadable when the index file does not
    // hold it.
    std::uint64_t ReadOffset(std::int64_t k);
    // The offsets of the first `count` entries, in index order. Throws as ReadOffset.
    std::vector<std::uint32_t> ReadOffsets(std::int64_t count);

    // Reads and decodes the record at local index k. Throws CRecordUnreadable (naming this day file and
    // the serial number) when it cannot be read again, CFileError when a file cannot be opened or read.
    // Safe to call from several threads.
    void ReadRecord(std::int64_t k, const CParse& parse, CRecord& target);

private:
    FileIdentity LoadedIdentity() const;
    std::shared_ptr<const CInputFile> OpenData(SerialNumber serial, bool keep);

    std::atomic<SerialNumber> m_nFirstSerial{-1};
    std::atomic<SerialNumber> m_nLastSerial{-1};
    const std::uint32_t m_nDayStart;
    const std::string m_strPath;
    const std::string m_strIndexPath;
    CFileHandleCache& m_handles;
    mutable std::mutex m_identityMutex;
    FileIdentity m_identity;  // of the file the load read; size grows with every publication
};

}  // namespace vyx
