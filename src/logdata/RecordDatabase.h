#pragma once
// The record store: the day files of the current folder and, per day file, an index file of the records
// that passed the current filters. It never holds records; a background worker writes the index files and
// any record is fetched by its serial number while or after the worker runs.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "filter/FilterCriteria.h"
#include "logdata/FileHandleCache.h"
#include "logdata/LiveSegments.h"
#include "logdata/LoadSettings.h"
#include "logdata/Record.h"
#include "logdata/RecordFile.h"
#include "logdata/RecordLookup.h"
#include "platform/LoadNotification.h"

namespace vyx {
class CFolderWatch;
class ILiveRecordListener;
}  // namespace vyx

namespace vyx {

// A second reader of the store (the report generator): shares the store's day files and their fetch
// handles. The store must outlive it and must not be reset or reloaded while it is in use.
class CRecordDatabaseView {
public:
    CRecordDatabaseView() = default;
    CRecordDatabaseView(std::vector<CRecordFile*> files, DateWindow window, std::uint8_t modbusBaseAddress)
        : m_files(std::move(files)), m_window(window), m_modbusBaseAddress(modbusBaseAddress) {}

    // See CRecordDatabase::GetRecord.
    bool GetRecord(std::int64_t serial, CRecord& target) const;

private:
    std::vector<CRecordFile*> m_files;
    DateWindow m_window;
    std::uint8_t m_modbusBaseAddress = kDefaultModbusBaseAddress;
};

class CRecordDatabase {
public:
    // tempFolder: the private folder for index, run and log files (no trailing separator).
    // target: receives the worker's notifications on the worker's thread; may be null.
    CRecordDatabase(std::string tempFolder, ILoadNotificationTarget* target);
    // Stops a running load, then destroys the day files (deleting their index files).
    virtual ~CRecordDatabase();
    CRecordDatabase(const CRecordDatabase&) = delete;
    CRecordDatabase& operator=(const CRecordDatabase&) = delete;

    // Registers a day file; nothing is created on disk.
    void AddDayFile(const std::string& path, std::uint32_t dayStart);
    // Stops a running load and destroys every day file, deleting the index files.
    void Reset();

    // Sets the stop flag and returns once no worker runs, including one that was started but has not yet
    // begun to work. A follow is woken from its wait at once.
    void StopLoad();
    // Starts a load of every registered file with the current settings and returns at once. A running load
    // is stopped first. With following set, the folder's watch starts before the load reads anything and the
    // worker goes on after UM_LOAD_FINISHED, adding what the logger appends (UM_FOLLOW_*), until stopped. The filters must stay alive and unchanged until the load has been stopped or has
    // ended.
    void StartLoad(const FilterList& filters);
    // Waits for the worker to end by itself (no stop). For callers without an event loop; never while a
    // follow runs, which ends only when stopped.
    void WaitForLoad();

    // Fills target with the record of that serial number and returns true; returns false and leaves the
    // target unchanged when the serial number is not (yet) published. Throws CRecordUnreadable when a
    // published record cannot be read again (its day file shrank, was replaced or changed), CFileError
    // when a file cannot be opened or read. Callable from any thread.
    bool GetRecord(std::int64_t serial, CRecord& target) const;
    CRecordDatabaseView View() const;

    // Where the record of a published serial number lies, and the serial number of the record at a place in
    // the current load (see CRecordLookup). Callable while a load runs.
    std::optional<RecordLocation> LocationOf(SerialNumber serial) const;
    std::optional<SerialNumber> SerialAt(const RecordLocation& location) const;

    // Load settings: set only while no load runs.
    void SetLoadOrder(LoadOrder order) { m_settings.order = order; }
    void SetDateWindow(DateWindow window) { m_settings.window = window; }
    void SetModbusBaseAddress(std::uint8_t address) { m_settings.modbusBaseAddress = address; }
    void SetRecovery(bool recover) { m_settings.recover = recover; }
    void SetFollow(FollowSettings follow) { m_settings.follow = std::move(follow); }
    // Told of every record a follow reads; must outlive the load. Set only while no load runs.
    void SetLiveListener(ILiveRecordListener* listener) { m_listener = listener; }
    const LoadSettings& Settings() const { return m_settings; }

    // Set while no load may run: at start, after a stop, and after a load failed.
    bool IsStopFlagSet() const { return m_stop.load(); }
    // The generation of the load started last (0 before the first).
    std::uint32_t JobId() const { return m_jobId; }
    const std::string& TempFolder() const { return m_tempFolder; }
    const std::vector<std::unique_ptr<CRecordFile>>& Files() const { return m_files; }
    // The registered files and, after them, the parts of day files a follow has added so far.
    std::vector<CRecordFile*> AllFiles() const;

private:
    std::string m_tempFolder;
    ILoadNotificationTarget* m_target;
    CFileHandleCache m_handles;  // before the files, which use it until they are gone
    std::vector<std::unique_ptr<CRecordFile>> m_files;
    CLiveSegments m_liveParts;  // written by a follow only; emptied only after the worker is gone
    std::unique_ptr<CFolderWatch> m_watch;
    ILiveRecordListener* m_listener = nullptr;
    mutable CRecordLookup m_lookup;
    LoadSettings m_settings;
    std::atomic<bool> m_stop{true};
    std::uint32_t m_jobId = 0;
    std::thread m_worker;
};

}  // namespace vyx
