#pragma once
// The export of a finished load: every record of the store in serial order (the order of the load), read
// through the report's block reader and handed to a sink. Memory stays the same whatever the folder holds.

#include <cstdint>
#include <functional>

#include "export/ExportSink.h"
#include "logdata/SerialNumber.h"

namespace vyx {

class CRecordDatabase;

// Called every few thousand rows with the rows written; returning false stops the export (the sink is not
// finished, so it leaves no output).
using ExportProgress = std::function<bool(std::int64_t written)>;

// Writes serials 0 .. total - 1 of a finished load to the sink and finishes it. Returns false when progress
// stopped it. Throws CRecordUnreadable, CFileError or the sink's errors.
bool ExportRecords(const CRecordDatabase& database, std::int64_t total, IExportSink& sink,
                   const ExportProgress& progress = {});

// The same for serials first .. first + count - 1 only (a selection of the list); progress counts from 0.
bool ExportRecordRange(const CRecordDatabase& database, SerialNumber first, std::int64_t count, IExportSink& sink,
                       const ExportProgress& progress = {});

}  // namespace vyx
