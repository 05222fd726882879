#pragma once
// The loop's events for the SQLite export's `events` table, found on a thread of their own while the records
// are written (the export is single-threaded, the machine has a second core). The events take every record
// of the folder in time order: the export's load serves when it is that load, else the job loads the folder
// once more for itself.

#include <atomic>
#include <exception>
#include <memory>
#include <thread>

#include "analysis/FcuEvents.h"
#include "cli/LoadRunner.h"

namespace vyx::cli {

class CExportEventsJob {
public:
    // Starts at once; `runner` has finished its load and outlives the job.
    CExportEventsJob(const LoadOptions& options, const CLoadRunner& runner);
    ~CExportEventsJob();  // stops the work when it was not waited for
    CExportEventsJob(const CExportEventsJob&) = delete;
    CExportEventsJob& operator=(const CExportEventsJob&) = delete;

    // Waits for the events; a signal stops the job. Throws CommandFailure.
    const CFcuEvents& Wait();

private:
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_finished{false};
    std::exception_ptr m_failure;
    std::unique_ptr<CFcuEvents> m_events;
    std::thread m_thread;
};

// True when the options load every record of the folder in ascending time: the load the events are found in.
bool LoadsWholeFolderAscending(const LoadOptions& options);

}  // namespace vyx::cli
