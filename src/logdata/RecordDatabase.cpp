#include "logdata/RecordDatabase.h"

#include "logdata/LoadWorker.h"
#include "platform/FolderWatch.h"
#include "platform/JobId.h"

namespace vyx {
namespace {

// The first file in store order whose published range holds the serial number has the record.
template <typename Files>
bool FetchRecord(const Files& files, const LoadSettings& settings, std::int64_t serial, CRecord& target) {
    if (serial < 0) return false;
    const CParse parse(settings.modbusBaseAddress);
    for (const auto& file : files) {
        if (settings.window.Excludes(file->DayStart())) continue;
        if (const auto k = file->LocalIndex(serial)) {
            file->ReadRecord(*k, parse, target);
            return true;
        }
    }
    return false;
}

template <typename Visit>
bool ForEachLivePart(const CLiveSegments& parts, Visit visit) {
    const std::size_t count = parts.Count();
    for (std::size_t i = 0; i < count; ++i) {
        if (visit(*parts.At(i))) return true;
    }
    return false;
}

}  // namespace

bool CRecordDatabaseView::GetRecord(std::int64_t serial, CRecord& target) const {
    LoadSettings settings;
    settings.window = m_window;
    settings.modbusBaseAddress = m_modbusBaseAddress;
    return FetchRecord(m_files, settings, serial, target);
}

CRecordDatabase::CRecordDatabase(std::string tempFolder, ILoadNotificationTarget* target)
    : m_tempFolder(std::move(tempFolder)), m_target(target) {}

CRecordDatabase::~CRecordDatabase() {
    StopLoad();
    m_files.clear();
}

void CRecordDatabase::AddDayFile(const std::string& path, std::uint32_t dayStart) {
    m_files.push_back(std::make_unique<CRecordFile>(path, dayStart, m_tempFolder, m_handles));
}

void CRecordDatabase::Reset() {
    // The worker holds pointers to the files: it must be gone before they are.
    StopLoad();
    m_lookup.Forget();
    m_liveParts.Clear();
    m_files.clear();
}

std::optional<RecordLocation> CRecordDatabase::LocationOf(SerialNumber serial) const {
    if (auto location = CRecordLookup::LocationOf(m_files, m_settings.window, serial)) return location;
    std::optional<RecordLocation> found;
    ForEachLivePart(m_liveParts, [&](CRecordFile& part) {
        const auto k = part.LocalIndex(serial);
        if (k) found = RecordLocation{part.Path(), part.ReadOffset(*k)};
        return k.has_value();
    });
    return found;
}

std::optional<SerialNumber> CRecordDatabase::SerialAt(const RecordLocation& location) const {
    if (auto serial = m_lookup.SerialAt(m_files, m_settings, location)) return serial;
    // A follow's parts list their records in file order: bisect the part's index.
    std::optional<SerialNumber> found;
    ForEachLivePart(m_liveParts, [&](CRecordFile& part) {
        if (part.Path() != location.dayFile) return false;
        const SerialNumber first = part.FirstSerial();
        const SerialNumber last = part.LastSerial();
        if (first < 0 || last < first) return false;
        std::int64_t lo = 0;
        std::int64_t hi = last - first;
        while (lo <= hi) {
            const std::int64_t mid = lo + (hi - lo) / 2;
            const std::uint64_t offset = part.ReadOffset(mid);
            if (offset == location.offset) {
                found = first + mid;
                return true;
            }
            if (offset < location.offset) lo = mid + 1;
            else hi = mid - 1;
        }
        return false;
    });
    return found;
}

std::vector<CRecordFile*> CRecordDatabase::AllFiles() const {
    std::vector<CRecordFile*> files;
    files.reserve(m_files.size() + m_liveParts.Count());
    for (const auto& file : m_files) files.push_back(file.get());
    ForEachLivePart(m_liveParts, [&](CRecordFile& part) {
        files.push_back(&part);
        return false;
    });
    return files;
}

void CRecordDatabase::StopLoad() {
    m_stop.store(true);
    if (m_watch) m_watch->Wake();
    // Joined even when the flag was already set (a worker that failed sets it itself and may still be
    // finishing), and also when the worker has not yet started to run.
    if (m_worker.joinable()) m_worker.join();
}

void CRecordDatabase::WaitForLoad() {
    if (m_worker.joinable()) m_worker.join();
}

void CRecordDatabase::StartLoad(const FilterList& filters) {
    StopLoad();
    LoadJob job;
    job.jobId = m_jobId = NewJobId();
    job.settings = m_settings;
    job.tempFolder = m_tempFolder;
    m_lookup.Forget();
    m_liveParts.Clear();
    m_watch.reset();
    if (m_settings.follow.enabled) {
        // Before the load reads a byte: what is written meanwhile is then not missed.
        m_watch = std::make_unique<CFolderWatch>(m_settings.follow.folder, m_settings.follow.events);
        job.watch = m_watch.get();
        job.segments = &m_liveParts;
        job.handles = &m_handles;
        job.listener = m_listener;
    }
    for (const auto& filter : filters) job.filters.push_back(filter.get());
    for (const auto& file : m_files) {
        // Ranges and open handles of an earlier load would point into index files that are rewritten now.
        file->ResetForLoad();
        DeleteFile(file->IndexPath());
        job.files.push_back(file.get());
    }
    m_stop.store(false);
    m_worker = std::thread([this, job = std::move(job)]() mutable {
        CLoadWorker worker(std::move(job), m_stop, m_target);
        worker.Run();
    });
}

bool CRecordDatabase::GetRecord(std::int64_t serial, CRecord& target) const {
    if (FetchRecord(m_files, m_settings, serial, target)) return true;
    if (serial < 0 || m_liveParts.Count() == 0) return false;
    const CParse parse(m_settings.modbusBaseAddress);
    return ForEachLivePart(m_liveParts, [&](CRecordFile& part) {
        const auto k = part.LocalIndex(serial);
        if (k) part.ReadRecord(*k, parse, target);
        return k.has_value();
    });
}

CRecordDatabaseView CRecordDatabase::View() const {
    return CRecordDatabaseView(AllFiles(), m_settings.window, m_settings.modbusBaseAddress);
}

}  // namespace vyx
