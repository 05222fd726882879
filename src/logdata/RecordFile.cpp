#include "logdata/RecordFile.h"

#include <algorithm>
#include <array>

#include "logdata/DayFileFormat.h"
#include "logdata/FrameReading.h"

namespace vyx {

CRecordFile::CRecordFile(std::string path, std::uint32_t dayStart, const std::string& tempFolder,
                         CFileHandleCache& handles, const std::string& indexTag)
    : m_nDayStart(dayStart),
      m_strPath(std::move(path)),
      m_strIndexPath(tempFolder + "/" + m_strPath.substr(m_strPath.find_last_of('/') + 1) + format::kIndexSuffix +
                     indexTag),
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

namespace {

std::uint32_t IndexEntryValue(const std::uint8_t* entry) {
    return static_cast<std::uint32_t>(entry[0]) | static_cast<std::uint32_t>(entry[1]) << 8 |
           static_cast<std::uint32_t>(entry[2]) << 16 | static_cast<std::uint32_t>(entry[3]) << 24;
}

}  // namespace

std::uint64_t CRecordFile::ReadOffset(std::int64_t k) {
    std::array<std::uint8_t, format::kIndexEntryBytes> entry{};
    const std::size_t entryBytes =
        k < 0 ? 0
              : m_handles.Open(m_strIndexPath)
                    ->ReadAt(static_cast<std::uint64_t>(k) * entry.size(), entry.data(), entry.size());
    if (entryBytes < entry.size()) {
        throw CRecordUnreadable(m_strPath, FirstSerial() + k, RecordReadStatusText(RecordReadStatus::NoIndexEntry));
    }
    return IndexEntryValue(entry.data());
}

std::vector<std::uint32_t> CRecordFile::ReadOffsets(std::int64_t count) {
    std::vector<std::uint32_t> offsets;
    if (count <= 0) return offsets;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * format::kIndexEntryBytes);
    const std::size_t got = m_handles.Open(m_strIndexPath)->ReadAt(0, bytes.data(), bytes.size());
    if (got < bytes.size()) {
        throw CRecordUnreadable(m_strPath, FirstSerial() + static_cast<std::int64_t>(got / format::kIndexEntryBytes),
                                RecordReadStatusText(RecordReadStatus::NoIndexEntry));
    }
    offsets.reserve(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < bytes.size(); i += format::kIndexEntryBytes) offsets.push_back(IndexEntryValue(&bytes[i]));
    return offsets;
}

void CRecordFile::ReadRecord(std::int64_t k, const CParse& parse, CRecord& target) {
    // One record at a time (the list, a search): two positioned reads into the stack, no window.
    const SerialNumber serial = FirstSerial() + k;
    const std::uint64_t offset = ReadOffset(k);
    // Bytes past what the load had read are not looked at: they may be a frame still being written.
    const std::uint64_t loaded = LoadedBytes();
    std::array<std::uint8_t, format::kMaxDecodedFrameLength> frame{};
    const std::size_t wanted =
        offset >= loaded ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(frame.size(), loaded - offset));
    const std::size_t got = OpenData(serial, true)->ReadAt(offset, frame.data(), wanted);
    const RecordReadStatus status = DecodeFrameAt(frame.data(), got, parse, target);
    if (status != RecordReadStatus::Ok) throw CRecordUnreadable(m_strPath, serial, RecordReadStatusText(status));
}

}  // namespace vyx
