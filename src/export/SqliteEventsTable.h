#pragma once
// Table `events` of the SQLite export: one row per event of the loop, in time order, with an index on
// (fcu, time_epoch) for "everything that happened to FCU n". Written into an open database inside the
// export's transaction.

#include <string>

#include "export/ExportEvents.h"

struct sqlite3;

namespace vyx {

class CSqliteEventsTable {
public:
    // Creates the table and its index and inserts every event of the source. An empty text when done, else
    // what SQLite refused.
    static std::string Write(sqlite3* db, IExportEventSource& events);
};

}  // namespace vyx
