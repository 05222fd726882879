#pragma once
// The loading worker: reads the day files of a load frame by frame, decodes and filters every record, logs
// invalid ones and writes the index files, in file order or (through runs and a merge) in time order.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "filter/FilterCriteria.h"
#include "logdata/DamageLog.h"
#include "logdata/DayFileFormat.h"
#include "logdata/DayFileReader.h"
#include "logdata/InvalidRecordLog.h"
#include "logdata/LiveFollow.h"
#include "logdata/LoadSettings.h"
#include "logdata/RecordFile.h"
#include "logdata/RunFiles.h"
#include "platform/File.h"
#include "platform/LoadNotification.h"

namespace vyx {

// What one load works on. The worker owns neither the day files nor the filters: the store keeps the files
// alive and the filters unchanged until the worker has ended.
struct LoadJob {
    std::uint32_t jobId = 0;
    std::vector<CRecordFile*> files;
    std::vector<const CFilterCriteria*> filters;
    LoadSettings settings;
    std::string tempFolder;
    // Following after the load (settings.follow.enabled): the folder's watch, started before the load read
    // anything, where the new records go, and who else is told of them. Owned by the store.
    CFolderWatch* watch = nullptr;
    CLiveSegments* segments = nullptr;
    CFileHandleCache* handles = nullptr;
    ILiveRecordListener* listener = nullptr;
};

// The message for a full disk, naming the temporary folder where the files could not be written.
std::string DiskFullMessage(const std::string& tempFolder);

class CLoadWorker {
public:
    // The worker reads the stop flag before every day file and every frame, and sets it itself after a
    // file error.
    CLoadWorker(LoadJob job, std::atomic<bool>& stopFlag, ILoadNotificationTarget* target);

    // The thread body. Never throws: a file error (or any other) ends the load with UM_LOAD_FAILED.
    void Run();

private:
    void LoadDayFile(CRecordFile& file);
    // What the filters that do not look at the time make of a record's class byte (channel and mode).
    enum class ClassVerdict : std::uint8_t { Keep, Drop, NeedRecord, Invalid };
    void PrepareClassVerdicts();
    // True when every filter keeps a record the class verdict did not drop; decodes the record only when a
    // filter needs more than its head.
    bool Accepts(ClassVerdict verdict, const CRecordHead& head, const std::uint8_t* bytes, int size);
    void AcceptInFileOrder(CRecordFile& file, std::uint32_t offset);
    void AcceptInTimeOrder(std::uint32_t time, std::uint32_t offset);
    void CountInTimeOrder();
    void WriteRun();
    void MergeRuns(CRecordFile& file);
    void WriteIndexEntry(std::uint32_t offset);
    void FlushIndexBatch();
    void PublishSoFar(CRecordFile& file);
    void FinishRange(CRecordFile& file);
    void Fail(const std::string& message) noexcept;
    bool Following() const { return m_job.settings.follow.enabled && m_job.watch != nullptr; }
    // Where the load left a day file, for the follow; a frame cut short at its end is left to the follow.
    void NoteFollowStart(const CRecordFile& file, const CInputFile& handle, const FileIdentity& identity,
                         std::vector<DayFileDamage>& damage);
    void Follow();
    FrameVerdict JudgeLive(const Frame& frame, SerialNumber next, std::uint32_t& time);
    bool Stopping() const { return m_stop.load(std::memory_order_relaxed); }
    void Post(LoadMessage message, std::int64_t count = 0, std::string text = {}, MessageIcon icon = MessageIcon::None);

    LoadJob m_job;
    std::atomic<bool>& m_stop;
    ILoadNotificationTarget* m_target;
    CParse m_parse;
    std::array<ClassVerdict, 256> m_classVerdict{};
    std::vector<const CFilterCriteria*> m_timeFilters;
    CRecord m_record;  // decoded into again and again, keeping its payload capacity
    CDayFileReader m_reader;
    bool m_mayGrow = false;  // the day file being read may still be growing (it is followed)
    COutputFile m_index;
    // Index entries since the last publication (at most one batch of 1000), written out before it.
    std::array<std::uint8_t, format::kProgressBatch * format::kIndexEntryBytes> m_indexBatch{};
    std::size_t m_indexBatchBytes = 0;
    CInvalidRecordLog m_log;
    CDamageLog m_damageLog;
    std::vector<RunEntry> m_runBuffer;
    std::vector<RunEntry> m_sortScratch;
    int m_runNumber = 1;
    SerialNumber m_lastSerial = -1;
    SerialNumber m_nextFirstSerial = 0;
    std::int64_t m_counted = 0;
    std::uint32_t m_latestTime = 0;  // the latest time stamp taken in the time orders
    std::vector<FollowStart> m_followStarts;
    bool m_invalidPosted = false;
};

}  // namespace vyx
