#pragma once
// One complete load for a `vyx` command: the same store, worker and load sequence as the viewer, driven
// without an event loop. Commands add the load options with AddLoadOptions and then run a CLoadRunner.

#include <CLI/CLI.hpp>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "filter/FilterBar.h"
#include "filter/FilterCriteria.h"
#include "logdata/Parse.h"
#include "logdata/RecordDatabase.h"
#include "platform/LoadNotification.h"
#include "platform/TempFolder.h"

namespace vyx::cli {

struct LoadOptions {
    std::string folder;
    std::string order = "stored";  // stored | asc | desc
    std::string from;              // "dd/MM/yyyy HH:MM:SS"; with --to it selects a date/time range
    std::string to;
    std::string modbusAddress = std::to_string(kDefaultModbusBaseAddress);  // as typed in the Modbus box
    std::string channel = "--ALL--";  // the channel box entry, or all / A / B
    std::string command = "--ALL--";  // an entry of the command box, exactly
    std::string fcu = "--ALL--";      // as typed in the FCU box
    bool recover = false;             // resynchronise in damaged day files
};

// The --channel text of every command as the channel box's index: 0 all, 1 channel A, 2 channel B. Takes the
// box's entries and the short forms all, A and B; throws CommandFailure for anything else.
int ChannelIndex(const std::string& text);

// Adds DIR, --order, --from, --to and the filter bar's options to a sub-command.
void AddLoadOptions(CLI::App& command, LoadOptions& options);

struct LoadResult {
    std::int64_t total = 0;           // records accepted
    std::int64_t invalidRecords = 0;  // lines in the invalid-records log
    std::string invalidRecordLog;     // where the log was kept (empty when none)
    std::string damageNotice;         // the damaged day files and the bytes not read (empty when none)
};

class CLoadRunner final : public ILoadNotificationTarget {
public:
    explicit CLoadRunner(LoadOptions options);
    ~CLoadRunner() override;

    // Loads the folder and waits for the worker. Shows progress on stderr when it is a terminal, and the
    // invalid-records message when records were logged. Throws CommandFailure with the user's message when
    // the folder cannot be loaded or the load fails.
    LoadResult Run();
    const CRecordDatabase& Database() const { return m_database; }
    // The record with that Sr.No. of a finished load; throws CommandFailure when there is none.
    CRecord ReadRecord(const LoadResult& result, std::int64_t srNo) const;

    void Post(LoadNotification notification) override;

    // Before Run: the load goes on following the folder; Run then returns once the load has finished while the
    // follow runs on (until this runner is destroyed), and every notification after the load's end goes to
    // `hook`, on the worker's thread.
    void SetFollow(FollowSettings follow, std::function<void(const LoadNotification&)> hook);

    // Before Run: called on Run's thread as soon as the load has started, for work that goes along with it.
    void SetStartedHook(std::function<void()> hook) { m_startedHook = std::move(hook); }

private:
    FilterBarSelection Selection() const;
    void ShowProgress(const char* what, std::int64_t count);
    void ClearProgress();

    LoadOptions m_options;
    CScopedTempFolder m_temp;  // this run's own index, run and log files; removed at exit
    FilterList m_filters;      // declared before the store: the store's worker uses them until it is gone
    CRecordDatabase m_database;
    bool m_showProgress;
    std::mutex m_progressMutex;
    bool m_progressShown = false;
    std::chrono::steady_clock::time_point m_lastProgress;
    std::atomic<bool> m_workerEnded{false};  // finished or failed: only the join is left
    bool m_following = false;
    std::function<void(const LoadNotification&)> m_followHook;
    std::function<void()> m_startedHook;
    // Written by the worker, read after it has been joined.
    std::int64_t m_total = 0;
    bool m_finished = false;
    bool m_failed = false;
    std::string m_failure;
    std::int64_t m_invalidCount = 0;
    std::string m_invalidLog;
    std::string m_damageNotice;
};

// The record that a --record option (a Sr.No., 1 = first) names, after a complete load (show, detail).
struct LoadedRecord {
    std::int64_t srNo = 0;
    CRecord record;
    std::uint8_t modbusBaseAddress = kDefaultModbusBaseAddress;  // the one the load ran with
};
LoadedRecord LoadRecordOption(const LoadOptions& options, const std::string& recordText);

}  // namespace vyx::cli
