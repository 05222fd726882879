#include "logdata/RecordDatabase.h"

#include "logdata/LoadWorker.h"
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
    m_files.clear();
}

std::optional<RecordLocation> CRecordDatabase::LocationOf(SerialNumber serial) const {
    return CRecordLookup::LocationOf(m_files, m_settings.window, serial);
}

std::optional<SerialNumber> CRecordDatabase::SerialAt(const RecordLocation& location) const {
    return m_lookup.SerialAt(m_files, m_settings, location);
}

void CRecordDatabase::StopLoad() {
    m_stop.store(true);
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
    return FetchRecord(m_files, m_settings, serial, target);
}

CRecordDatabaseView CRecordDatabase::View() const {
    std::vector<CRecordFile*> files;
    files.reserve(m_files.size());
    for (const auto& file : m_files) files.push_back(file.get());
    return CRecordDatabaseView(std::move(files), m_settings.window, m_settings.modbusBaseAddress);
}

}  // namespace vyx
