#pragma once
// A data folder loaded in time order as a whole, and its events: what every loop test starts from.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/FcuEvents.h"
#include "filter/FilterCriteria.h"
#include "logdata/RecordDatabase.h"
#include "support/TempDir.h"

namespace vyx::test {

struct LoadedFolder {
    TempDir temp;
    FilterList filters;
    CRecordDatabase database{temp.Path(), nullptr};
    std::unique_ptr<CFcuEvents> events;

    // Loads the folder (all records, ascending time) and builds its events.
    void Load(const std::string& folder, std::uint64_t checkpointInterval = kDefaultCheckpointInterval);
};

// Every event of a built events file, in file order.
std::vector<FcuEvent> AllEvents(const CFcuEvents& events);

}  // namespace vyx::test
