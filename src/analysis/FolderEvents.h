#pragma once
// The events of a data folder in one call, for a worker thread of the viewer: a time-ordered load of all
// the folder's records into a store of its own (the main list's load may be filtered or in another order),
// and the events pass beside it. Progress and cancel cover both.

#include <cstdint>
#include <memory>
#include <string>

#include "analysis/FcuEventsBuilder.h"
#include "logdata/Parse.h"

namespace vyx {

struct FolderEventsRequest {
    std::string folder;
    std::uint8_t modbusBaseAddress = kDefaultModbusBaseAddress;
    bool recover = false;
    // The load keeps its index files in a run folder of its own inside tempFolder, removed when the call
    // returns. Until the load has ended, progress gets the records it has read and a total of 0 (not known
    // yet). build.loadEnded is set here.
    FcuEventsBuildOptions build;
};

// Null when cancelled. Throws CVyxError with the user's text when the folder has no day files or no FCU
// information file or the load fails, and as BuildFcuEvents.
std::unique_ptr<CFcuEvents> BuildFolderFcuEvents(const FolderEventsRequest& request);

}  // namespace vyx
