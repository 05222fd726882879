#include "logdata/LoadPipeline.h"

#include <algorithm>
#include <limits>

#include "logdata/DayFileFormat.h"
#include "logdata/RecordDatabase.h"
#include "res/StringTable.h"

namespace vyx {

DateWindow ComputeDateWindow(const std::optional<DateTimeRange>& range) {
    DateWindow window;
    if (!range) return window;
    constexpr std::int64_t kDay = format::kSecondsPerDay;
    constexpr std::int64_t kMax = std::numeric_limits<std::uint32_t>::max();
    const std::int64_t from = SecondsFromCivil(range->from);
    const std::int64_t to = SecondsFromCivil(range->to);
    window.start = from <= kDay ? 0 : static_cast<std::uint32_t>(std::min(from - kDay, kMax));
    window.end = static_cast<std::uint32_t>(std::clamp<std::int64_t>(to + kDay, 0, kMax));
    return window;
}

int ValidateDateRange(const DateTimeRange& range, const DataFolderScan& scan) {
    const std::int64_t from = SecondsFromCivil(range.from);
    const std::int64_t to = SecondsFromCivil(range.to);
    if (from > to) return res::IDS_START_AFTER_END;
    const std::int64_t low = scan.firstDay;
    const std::int64_t high = static_cast<std::int64_t>(scan.lastDay) + format::kSecondsPerDay - 1;
    if (from < low || from > high || to < low || to > high) return res::IDS_INVALID_DATE_RANGE;
    return 0;
}

void PrepareLoad(FilterList& filterList, FilterList newFilters, const std::optional<DateTimeRange>& range,
                 CRecordDatabase& database) {
    filterList.clear();
    filterList = std::move(newFilters);
    database.SetDateWindow(ComputeDateWindow(range));
}

DataFolderScan StopAndScan(CRecordDatabase& database, const std::string& folder) {
    database.StopLoad();
    database.Reset();
    return ScanDataFolder(folder, database);
}

void PrepareAndStartLoad(CRecordDatabase& database, FilterList& filterList, FilterList newFilters,
                         const std::optional<DateTimeRange>& range, std::uint8_t modbusBaseAddress, LoadOrder order) {
    database.StopLoad();  // the filters about to be replaced must no longer be in use
    database.SetModbusBaseAddress(modbusBaseAddress);
    PrepareLoad(filterList, std::move(newFilters), range, database);
    database.SetLoadOrder(order);
    database.StartLoad(filterList);
}

LoadSequenceResult RunLoadSequence(CRecordDatabase& database, FilterList& filterList, FilterList newFilters,
                                   const LoadRequest& request) {
    LoadSequenceResult result;
    result.scan = StopAndScan(database, request.folder);
    if (result.scan.count == 0) {
        result.messageId = res::IDS_NO_DATA_FILE;
        return result;
    }
    if (request.range) {
        result.messageId = ValidateDateRange(*request.range, result.scan);
        if (result.messageId != 0) return result;
    }
    PrepareAndStartLoad(database, filterList, std::move(newFilters), request.range, request.modbusBaseAddress,
                        request.order);
    result.started = true;
    return result;
}

std::string InvalidRecordsMessage(std::int64_t count, const std::string& logPath) {
    return std::to_string(count) + " Invalid Records are found\n\r" +
           "Please refer following file for more information:-\n\r" + logPath;
}

}  // namespace vyx
