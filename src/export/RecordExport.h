#pragma once
// The export of a finished load: every record of the store in serial order (the order of the load), read
// through the report's block reader and handed to a sink. Memory stays the same whatever the folder holds.

#include <cstdint>
#include <functional>
#include <vector>

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

// Serials first .. first + count - 1 of a load.
struct SerialSpan {
    SerialNumber first = 0;
    std::int64_t count = 0;
};

// The same for some spans only (a selection of the list), in ascending order and apart; progress counts the
// rows written from 0.
bool ExportRecordSpans(const CRecordDatabase& database, const std::vector<SerialSpan>& spans, IExportSink& sink,
                       const ExportProgress& progress = {});

}  // namespace vyx
