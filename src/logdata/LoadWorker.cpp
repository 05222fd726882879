#include "logdata/LoadWorker.h"

#include <algorithm>
#include <array>

#include "logdata/DayFileFormat.h"
#include "platform/FileError.h"

namespace vyx {
namespace {

// The head (time and class byte) lies in the first five record bytes; every decodable frame has them.
constexpr int kClassByte = 4;
static_assert(format::kMinDecodedFrameLength - format::kFrameLengthBytes > kClassByte);

}  // namespace

std::string DiskFullMessage(const std::string& tempFolder) {
    return "Very low disk space in " + tempFolder + " drive.\nTo view more data please create space in " + tempFolder +
           " drive.";
}

CLoadWorker::CLoadWorker(LoadJob job, std::atomic<bool>& stopFlag, ILoadNotificationTarget* target)
    : m_job(std::move(job)), m_stop(stopFlag), m_target(target), m_parse(m_job.settings.modbusBaseAddress) {
    PrepareClassVerdicts();
}

void CLoadWorker::PrepareClassVerdicts() {
    for (const CFilterCriteria* filter : m_job.filters) {
        if (filter->TestHeadNeedsTime()) m_timeFilters.push_back(filter);
    }
    for (int classByte = 0; classByte < static_cast<int>(m_classVerdict.size()); ++classByte) {
        const std::uint8_t head[5] = {0, 0, 0, 0, static_cast<std::uint8_t>(classByte)};
        const CRecordHead decoded = ParseHead(head);
        ClassVerdict verdict = ClassVerdict::Keep;
        if (decoded.m_nMessageMode == kModeUnidentified) {
            verdict = ClassVerdict::Invalid;
        } else {
            for (const CFilterCriteria* filter : m_job.filters) {
                if (filter->TestHeadNeedsTime()) continue;
                const auto answer = filter->TestHead(decoded);
                if (answer == CFilterCriteria::HeadAnswer::Drop) {
                    verdict = ClassVerdict::Drop;
                    break;
                }
                if (answer == CFilterCriteria::HeadAnswer::NeedRecord) verdict = ClassVerdict::NeedRecord;
            }
        }
        m_classVerdict[static_cast<std::size_t>(classByte)] = verdict;
    }
}

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
        m_damageLog.Open(m_job.tempFolder + "/" + format::kDamageLogName);
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
        m_damageLog.Flush();
        // Before the end, so that the invalid-records message stays the last word of a load.
        if (!Stopping()) {
            const std::string notice = m_damageLog.NoticeText();
            if (!notice.empty()) Post(UM_DAMAGED_FILES, static_cast<std::int64_t>(m_damageLog.NoticeBytes()), notice);
        }
        if (Following() && !Stopping()) {
            // The invalid records of the load are told before its end, as a follow adds to the same log.
            m_log.Flush();
            if (m_log.Count() > 0) Post(UM_INVALID_RECORDS, m_log.Count(), m_log.Path());
            m_invalidPosted = true;
        }
        Post(UM_LOAD_FINISHED, m_lastSerial + 1);
        if (Following() && !Stopping()) Follow();
    } catch (const CFileError& e) {
        Fail(e.IsDiskFull() ? DiskFullMessage(m_job.tempFolder) : e.what());
    } catch (const std::exception& e) {
        Fail(e.what());
    } catch (...) {
        // Nothing may end the program from this thread: the load fails like after a file error.
        Fail("The load ended on an unexpected error.");
    }
    m_log.Close();
    m_damageLog.Close();
    // Not after a stop or a failure: the user has moved on, and the window should not be held up by it.
    if (!m_invalidPosted && !Stopping() && m_log.Count() > 0) {
        Post(UM_INVALID_RECORDS, m_log.Count(), m_log.Path());
    }
}

void CLoadWorker::Fail(const std::string& message) noexcept {
    m_stop.store(true);
    m_reader.Close();
    try {
        m_index.Close();
    } catch (...) {
        // The index is abandoned with the load.
    }
    DeleteRunFiles(m_job.tempFolder, m_runNumber - 1);
    try {
        Post(UM_LOAD_FAILED, 0, message, MessageIcon::Stop);
    } catch (...) {
        // A target that cannot take the message (out of memory) leaves the stop flag to tell.
    }
}

void CLoadWorker::LoadDayFile(CRecordFile& file) {
    const std::shared_ptr<const CInputFile> handle = file.OpenForLoad();
    const FileIdentity identity = IdentityOf(*handle);
    // A followed file the logger may be writing: what its end leaves undecided is left for the follow to judge.
    m_mayGrow = Following() && MayStillGrow(file.Path(), m_job.settings.follow.quietTime);
    m_reader.Open(handle, {m_job.settings.recover, file.DayStart(), false, m_mayGrow});
    m_index.Open(file.IndexPath());
    m_indexBatchBytes = 0;
    Post(UM_LOAD_FILE, 0, file.Path());

    const bool fileOrder = m_job.settings.order == LoadOrder::Stored;
    // Only invalid records (for their log line) and records the filters cannot judge from the head (time,
    // channel, message mode) are decoded whole; without filters the sort needs the time stamp alone.
    Frame frame;
    while (!Stopping() && m_reader.Next(frame)) {
        if (!frame.IsDecodable()) continue;
        const std::uint8_t* bytes = frame.bytes;
        const ClassVerdict verdict = m_classVerdict[bytes[kClassByte]];
        if (verdict == ClassVerdict::Invalid) {
            m_parse.Parse(bytes, frame.RecordSize(), m_record);
            m_log.Write(m_record, m_lastSerial + 1);
            continue;
        }
        const CRecordHead head = ParseHead(bytes);
        const bool accepted = verdict != ClassVerdict::Drop && Accepts(verdict, head, bytes, frame.RecordSize());
        const std::uint32_t time = head.m_nTime;
        if (fileOrder) {
            if (accepted) {
                AcceptInFileOrder(file, frame.offset);
            } else if (++m_counted % format::kProgressBatch == 0) {
                Post(UM_SCAN_PROGRESS, m_counted);
            }
        } else {
            if (accepted) AcceptInTimeOrder(time, frame.offset);
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
    FlushIndexBatch();
    m_log.Flush();
    std::vector<DayFileDamage> damage = m_reader.Damage();
    if (Following() && !Stopping()) NoteFollowStart(file, *handle, identity, damage);
    if (!damage.empty()) {
        m_damageLog.Write(file.Path(), damage);
        m_damageLog.Flush();
    }
    m_index.Close();
    m_reader.Close();
}

bool CLoadWorker::Accepts(ClassVerdict verdict, const CRecordHead& head, const std::uint8_t* bytes, int size) {
    bool needRecord = verdict == ClassVerdict::NeedRecord;
    for (const CFilterCriteria* filter : m_timeFilters) {
        switch (filter->TestHead(head)) {
            case CFilterCriteria::HeadAnswer::Drop: return false;
            case CFilterCriteria::HeadAnswer::NeedRecord: needRecord = true; break;
            case CFilterCriteria::HeadAnswer::Keep: break;
        }
    }
    if (!needRecord) return true;
    m_parse.Parse(bytes, size, m_record);
    for (const CFilterCriteria* filter : m_job.filters) {
        if (!filter->Test(m_record)) return false;
    }
    return true;
}

void CLoadWorker::WriteIndexEntry(std::uint32_t offset) {
    // Serials are published at least every 1000 entries, and every publication writes the batch out first,
    // so the batch only fills up if that rule is ever broken; then it is written out early.
    if (m_indexBatchBytes == m_indexBatch.size()) FlushIndexBatch();
    std::uint8_t* out = m_indexBatch.data() + m_indexBatchBytes;
    out[0] = static_cast<std::uint8_t>(offset);
    out[1] = static_cast<std::uint8_t>(offset >> 8);
    out[2] = static_cast<std::uint8_t>(offset >> 16);
    out[3] = static_cast<std::uint8_t>(offset >> 24);
    m_indexBatchBytes += format::kIndexEntryBytes;
}

void CLoadWorker::FlushIndexBatch() {
    if (m_indexBatchBytes == 0) return;
    m_index.Write(m_indexBatch.data(), m_indexBatchBytes);
    m_indexBatchBytes = 0;
}

void CLoadWorker::PublishSoFar(CRecordFile& file) {
    FlushIndexBatch();  // the entries must be readable before their serials are announced
    file.Publish(m_nextFirstSerial, m_lastSerial, m_reader.Offset());
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
    m_latestTime = std::max(m_latestTime, time);
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

void CLoadWorker::NoteFollowStart(const CRecordFile& file, const CInputFile& handle, const FileIdentity& identity,
                                  std::vector<DayFileDamage>& damage) {
    FollowStart start;
    start.path = file.Path();
    start.dayStart = file.DayStart();
    start.identity = identity;
    LeaveWalk(start, m_reader, damage, m_mayGrow);
    start.tail = TakenTail(handle, start.resume);
    m_followStarts.push_back(std::move(start));
}

FrameVerdict CLoadWorker::JudgeLive(const Frame& frame, SerialNumber next, std::uint32_t& time) {
    const std::uint8_t* bytes = frame.bytes;
    const ClassVerdict verdict = m_classVerdict[bytes[kClassByte]];
    if (verdict == ClassVerdict::Invalid) {
        m_parse.Parse(bytes, frame.RecordSize(), m_record);
        m_log.Write(m_record, next);
        return FrameVerdict::Invalid;
    }
    const CRecordHead head = ParseHead(bytes);
    time = head.m_nTime;
    const bool accepted = verdict != ClassVerdict::Drop && Accepts(verdict, head, bytes, frame.RecordSize());
    return accepted ? FrameVerdict::Keep : FrameVerdict::Drop;
}

void CLoadWorker::Follow() {
    LiveFollowInputs inputs;
    inputs.jobId = m_job.jobId;
    inputs.settings = m_job.settings;
    inputs.tempFolder = m_job.tempFolder;
    inputs.stop = &m_stop;
    inputs.target = m_target;
    inputs.watch = m_job.watch;
    inputs.segments = m_job.segments;
    inputs.handles = m_job.handles;
    inputs.listener = m_job.listener;
    inputs.log = &m_log;
    inputs.damageLog = &m_damageLog;
    inputs.judge = [this](const Frame& frame, SerialNumber next, std::uint32_t& time) {
        return JudgeLive(frame, next, time);
    };
    inputs.lastSerial = m_lastSerial;
    inputs.lastTime = m_latestTime;
    inputs.files = std::move(m_followStarts);
    CLiveFollow follow(std::move(inputs));
    follow.Run();
}

}  // namespace vyx
