#pragma once
// Builds the events of a folder from a time-ordered load of all its records (no filters): one pass
// over the records in time order across the whole folder. The load sorts each day file by time; a record
// whose time lies outside its day file's day (a clock step) is merged in by its own time here.
//
// Meant to run on a worker thread: progress is reported through a callback on that thread, and a cancel
// flag set from another thread ends the pass at the next few thousand records.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "analysis/FcuEvents.h"
#include "decode/FCU.h"

namespace vyx {

class CRecordDatabase;

struct FcuEventsBuildOptions {
    std::string tempFolder;  // where the two files go (the per-user or the run's private folder)
    std::uint64_t checkpointInterval = kDefaultCheckpointInterval;
    // Records walked so far and in all; called every 65536 records and at the end.
    std::function<void(std::int64_t done, std::int64_t total)> progress;
    const std::atomic<bool>* cancel = nullptr;
    // Set when the database's load may still be running, so that the pass and the load share the machine:
    // true once the load has ended (its worker is gone). The pass takes each day file once the load has
    // finished it; should a file then come whose records go before those the pass has passed (a clock step
    // across day files), the pass starts again once the load has ended. The load must not be stopped or
    // restarted while the pass runs.
    const std::atomic<bool>* loadEnded = nullptr;
};

// Null when cancelled (nothing is left on disk). Throws CFileError when a file cannot be written or read,
// CRecordUnreadable when a day file changed since the load.
std::unique_ptr<CFcuEvents> BuildFcuEvents(const CRecordDatabase& database, const FCUConfigurationList& configuration,
                                           const FcuEventsBuildOptions& options);

}  // namespace vyx
