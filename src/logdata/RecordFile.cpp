#include "logdata/RecordFile.h"

#include "logdata/DayFileFormat.h"
#include "logdata/FrameReading.h"

namespace vyx {

CRecordFile::CRecordFile(std::string path, std::uint32_t dayStart, const std::string& tempFolder,
                         CFileHandleCache& handles)
    : m_nDayStart(dayStart),
      m_strPath(std::move(path)),
      m_strIndexPath(tempFolder + "/" + m_strPath.substr(m_strPath.find_last_of('/') + 1) + format::kIndexSuffix),
      m_handles(handles) {}

CRecordFile::~CRecordFile() {
    m_handles.Forget(m_strPath);
    m_handles.Forget(m_strIndexPath);
    DeleteFile(m_strIndexPath);
}

void CRecordFile::Publish(SerialNumber first, SerialNumber last, std::uint64_t bytesRead) {
    {
        std::lock_guard lock(m_identityMutex);
        if (bytesRead > m_identity.size) m_identity.size = bytesRead;
    }
    m_nFirstSerial.store(first, std::memory_order_release);
    m_nLastSerial.store(last, std::memory_order_release);
}

void CRecordFile::ResetForLoad() {
    m_nLastSerial.store(-1, std::memory_order_release);
    m_nFirstSerial.store(-1, std::memory_order_release);
    {
        std::lock_guard lock(m_identityMutex);
        m_identity = {};
    }
    m_handles.Forget(m_strPath);
    m_handles.Forget(m_strIndexPath);
}

std::shared_ptr<const CInputFile> CRecordFile::OpenForLoad() {
    m_handles.Forget(m_strPath);
    auto file = m_handles.Open(m_strPath);
    FileIdentity identity = IdentityOf(*file);
    identity.size = 0;  // grows as the load publishes what it has read
    std::lock_guard lock(m_identityMutex);
    m_identity = identity;
    return file;
}

std::uint64_t CRecordFile::LoadedBytes() const { return LoadedIdentity().size; }

FileIdentity CRecordFile::LoadedIdentity() const {
    std::lock_guard lock(m_identityMutex);
    return m_identity;
}

std::optional<std::int64_t> CRecordFile::LocalIndex(SerialNumber serial) const {
    const SerialNumber last = LastSerial();
    const SerialNumber first = FirstSerial();
    // -1 means "not yet set"; during a publication first may already be set while last is not.
    if (first < 0 || last < 0 || serial < first || serial > last) return std::nullopt;
    return serial - first;
}

std::shared_ptr<const CInputFile> CRecordFile::IndexHandle() { return m_handles.Open(m_strIndexPath, {}, false); }

std::shared_ptr<const CInputFile> CRecordFile::DataHandle() { return OpenData(FirstSerial(), false); }

std::shared_ptr<const CInputFile> CRecordFile::OpenData(SerialNumber serial, bool keep) {
    try {
        return m_handles.Open(m_strPath, LoadedIdentity(), keep);
    } catch (const CFileChanged& e) {
        throw CRecordUnreadable(m_strPath, serial,
                                RecordReadStatusText(e.Replaced() ? RecordReadStatus::FileReplaced
                                                                  : RecordReadStatus::FileShorter));
    }
}

void CRecordFile::ReadRecord(std::int64_t k, const CParse& parse, CRecord& target) {
    const SerialNumber serial = FirstSerial() + k;
    CFileWindow index(format::kIndexEntryBytes);
    index.Attach(m_handles.Open(m_strIndexPath));
    index.SetLimit(static_cast<std::uint64_t>(k + 1) * format::kIndexEntryBytes);
    std::uint64_t offset = 0;
    if (!ReadIndexEntry(index, k, offset)) {
        throw CRecordUnreadable(m_strPath, serial, RecordReadStatusText(RecordReadStatus::NoIndexEntry));
    }
    CFileWindow data;
    data.Attach(OpenData(serial, true));
    data.SetLimit(LoadedBytes());
    const RecordReadStatus status = ReadRecordAt(data, offset, parse, target);
    if (status != RecordReadStatus::Ok) throw CRecordUnreadable(m_strPath, serial, RecordReadStatusText(status));
}

}  // namespace vyx
