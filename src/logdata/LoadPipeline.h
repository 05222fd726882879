#pragma once
// The load sequence shared by the main window and the command-line tool: stop and empty the store, scan the
// folder, check the date range, prepare the filters and the date window, set the order and start the worker.
// The main window runs the two halves with its own input checks between them; the tool runs it whole.

#include <cstdint>
#include <optional>
#include <string>

#include "filter/FilterCriteria.h"
#include "logdata/DataFolder.h"
#include "logdata/LoadSettings.h"
#include "logdata/TimeValue.h"

namespace vyx {

class CRecordDatabase;

// The chosen date/time range, when "Select Date/Time" is checked.
struct DateTimeRange {
    CivilDateTime from;
    CivilDateTime to;
};

// The day files a range needs: one whole day on each side, so the file holding the from time is always
// read (its day start lies within the day before from). Start is 0 when from lies within the first two
// days of 1970; end is capped at the largest time value.
DateWindow ComputeDateWindow(const std::optional<DateTimeRange>& range);

// 0 when the range is usable, else the id of the text to show: the start after the end
// (IDS_START_AFTER_END) or either end outside [first day, last day + 86399] (IDS_INVALID_DATE_RANGE).
int ValidateDateRange(const DateTimeRange& range, const DataFolderScan& scan);

// Replaces the filter list (the previous load must have been stopped: its worker used those filters) and
// sets the store's date window.
void PrepareLoad(FilterList& filterList, FilterList newFilters, const std::optional<DateTimeRange>& range,
                 CRecordDatabase& database);

// First half: stop a running load, empty the store (deleting the index files) and scan the folder.
DataFolderScan StopAndScan(CRecordDatabase& database, const std::string& folder);

// Second half, after the caller's checks: Modbus base address, PrepareLoad, load order, StartLoad.
void PrepareAndStartLoad(CRecordDatabase& database, FilterList& filterList, FilterList newFilters,
                         const std::optional<DateTimeRange>& range, std::uint8_t modbusBaseAddress, LoadOrder order);

struct LoadRequest {
    std::string folder;
    std::optional<DateTimeRange> range;
    std::uint8_t modbusBaseAddress = kDefaultModbusBaseAddress;
    LoadOrder order = LoadOrder::Stored;
};

struct LoadSequenceResult {
    bool started = false;
    DataFolderScan scan;
    int messageId = 0;  // why nothing was started: IDS_NO_DATA_FILE or a date range text id
};

// The whole sequence. newFilters become the filter list when the load starts.
LoadSequenceResult RunLoadSequence(CRecordDatabase& database, FilterList& filterList, FilterList newFilters,
                                   const LoadRequest& request);

// The text shown when a load logged invalid records: count, then where to find them.
std::string InvalidRecordsMessage(std::int64_t count, const std::string& logPath);

}  // namespace vyx
