#include "logdata/LoadWorker.h"

#include <algorithm>
#include <array>

#include "logdata/DayFileFormat.h"
#include "platform/FileError.h"

namespace vyx {
namespace {

// Index entries wait in the output buffer until a batch is published; the buffer holds more than a batch.
constexpr std::size_t kIndexBufferBytes = 1 << 16;

}  // namespace

std::string DiskFullMessage(const std::string& tempFolder) {
    return "Very low disk space in " + tempFolder + " drive.\nTo view more data please create space in " +
           tempFolder + " drive.";
}

CLoadWorker::CLoadWorker(LoadJob job, std::atomic<bool>& stopFlag, ILoadNotificationTarget* target)
    : m_job(std::move(job)),
      m_stop(stopFlag),
      m_target(target),
      m_parse(m_job.settings.modbusBaseAddress) {}

void CLoadWorker::Post(LoadMessage message, std::int64_t count, std::string text, MessageIcon icon) {
    if (m_target == nullptr) return;
    LoadNotification n;
    n.message = message;
    n.jobId = m_job.jobId;
    n.count = count;
    n.text = std::move(text);
    n.icon = icon;
    m_target->Post(std::move(n));
}

void CLoadWorker::Run() {
    m_runBuffer.reserve(format::kRunEntries);
    try {
        m_log.Open(m_job.tempFolder + "/" + format::kInvalidRecordLogName);
        // Descending time order takes the newest day first; equal day starts keep the store's order.
        const bool newestFirst = m_job.settings.order == LoadOrder::Descending;
        std::stable_sort(m_job.files.begin(), m_job.files.end(), [newestFirst](const auto* a, const auto* b) {
            return newestFirst ? a->DayStart() > b->DayStart() : a->DayStart() < b->DayStart();
        });
        Post(UM_LOAD_STARTED);
        for (CRecordFile* file : m_job.files) {
            if (Stopping()) break;
            if (m_job.settings.window.Excludes(file->DayStart())) continue;
            LoadDayFile(*file);
        }
        m_log.Flush();
        Post(UM_LOAD_FINISHED, m_lastSerial + 1);
    } catch (const CFileError& e) {
        Fail(e.IsDiskFull() ? DiskFullMessage(m_job.tempFolder) : e.what());
    } catch (const std::exception& e) {
        Fail(e.what());
    }
    m_log.Close();
    // Not after a stop or a failure: the user has moved on, and the window should not be held up by it.
    if (!Stopping() && m_log.Count() > 0) {
        Post(UM_INVALID_RECORDS, m_log.Count(), m_log.Path());
    }
}

void CLoadWorker::Fail(const std::string& message) {
    m_stop.store(true);
    m_reader.Close();
    try {
        m_index.Close();
    } catch (...) {
        // The index is abandoned with the load.
    }
    DeleteRunFiles(m_job.tempFolder, m_runNumber - 1);
    Post(UM_LOAD_FAILED, 0, message, MessageIcon::Stop);
}

void CLoadWorker::LoadDayFile(CRecordFile& file) {
    m_reader.Open(file.Path());
    m_index.Open(file.IndexPath(), kIndexBufferBytes);
    Post(UM_LOAD_FILE, 0, file.Path());

    const bool fileOrder = m_job.settings.order == LoadOrder::Stored;
    Frame frame;
    while (!Stopping() && m_reader.Next(frame)) {
        if (!frame.IsDecodable()) continue;
        m_parse.Parse(frame.bytes, frame.RecordSize(), m_record);
        if (m_record.m_nMessageMode == kModeUnidentified) {
            m_log.Write(m_record, m_lastSerial + 1);
            continue;
        }
        bool accepted = true;
        for (const CFilterCriteria* filter : m_job.filters) {
            if (!filter->Test(m_record)) {
                accepted = false;
                break;
            }
        }
        if (fileOrder) {
            if (accepted) {
                AcceptInFileOrder(file, frame.offset);
            } else if (++m_counted % format::kProgressBatch == 0) {
                Post(UM_SCAN_PROGRESS, m_counted);
            }
        } else {
            if (accepted) AcceptInTimeOrder(m_record.m_nTime, frame.offset);
            CountInTimeOrder();
        }
    }

    // A stopped load still finishes this file: what was read is published (and, in time order, merged).
    if (fileOrder) {
        if (m_lastSerial >= 0) FinishRange(file);
    } else {
        if (!m_runBuffer.empty()) WriteRun();
        if (m_runNumber > 1) MergeRuns(file);
    }
    m_log.Flush();
    m_index.Close();
    m_reader.Close();
}

void CLoadWorker::WriteIndexEntry(std::uint32_t offset) {
    const std::array<std::uint8_t, format::kIndexEntryBytes> bytes = {
        static_cast<std::uint8_t>(offset), static_cast<std::uint8_t>(offset >> 8),
        static_cast<std::uint8_t>(offset >> 16), static_cast<std::uint8_t>(offset >> 24)};
    m_index.Write(bytes.data(), bytes.size());
}

void CLoadWorker::PublishSoFar(CRecordFile& file) {
    m_index.Flush();  // the entries must be readable before their serials are announced
    file.Publish(static_cast<std::int32_t>(m_nextFirstSerial), static_cast<std::int32_t>(m_lastSerial));
    Post(UM_LOAD_PROGRESS, m_lastSerial + 1);
}

void CLoadWorker::FinishRange(CRecordFile& file) {
    PublishSoFar(file);
    m_nextFirstSerial = m_lastSerial + 1;
}

void CLoadWorker::AcceptInFileOrder(CRecordFile& file, std::uint32_t offset) {
    ++m_lastSerial;
    WriteIndexEntry(offset);
    if ((m_lastSerial + 1) % format::kProgressBatch == 0) PublishSoFar(file);
    m_counted = 0;
}

void CLoadWorker::AcceptInTimeOrder(std::uint32_t time, std::uint32_t offset) {
    m_runBuffer.push_back({time, offset});
    if (m_runBuffer.size() == format::kRunEntries) WriteRun();
}

void CLoadWorker::CountInTimeOrder() {
    if (++m_counted % format::kProgressBatch == 0) Post(UM_SCAN_PROGRESS, m_counted);
}

void CLoadWorker::WriteRun() {
    SortRun(m_runBuffer, m_sortScratch, m_job.settings.order == LoadOrder::Descending);
    // Counted before the write, so a failed write still has its (partial) file deleted.
    const int run = m_runNumber++;
    WriteRunFile(RunFilePath(m_job.tempFolder, run), m_runBuffer);
    m_runBuffer.clear();
}

void CLoadWorker::MergeRuns(CRecordFile& file) {
    const int runs = m_runNumber - 1;
    {
        CRunMerger merger(m_job.tempFolder, runs, m_job.settings.order == LoadOrder::Descending);
        RunEntry entry;
        while (merger.Next(entry)) {
            WriteIndexEntry(entry.offset);
            ++m_lastSerial;
            if ((m_lastSerial + 1) % format::kProgressBatch == 0) PublishSoFar(file);
        }
        merger.Close();
    }
    DeleteRunFiles(m_job.tempFolder, runs);
    m_runNumber = 1;
    if (m_lastSerial >= 0) FinishRange(file);
}

}  // namespace vyx
