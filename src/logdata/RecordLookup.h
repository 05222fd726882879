#pragma once
// Finding a record by where it lies: the serial number that the current load gave the record at an offset of
// a day file, and the other way round. Bookmarks, the sort that keeps the selection and the analysis keep
// records by their place, which survives another order or filter; this turns a place back into a row.
//
// An index file lists a day file's accepted records. In the stored order its offsets ascend, so a place is
// found by bisecting the index file itself; in the time orders they follow the times, and a sorted map of
// the file's offsets is built the first time it is needed and kept for the load.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "logdata/LoadSettings.h"
#include "logdata/RecordFile.h"
#include "logdata/SerialNumber.h"

namespace vyx {

struct RecordLocation {
    std::string dayFile;  // the day file's path, as the store holds it
    std::uint64_t offset = 0;
    bool operator==(const RecordLocation&) const = default;
};

class CRecordLookup {
public:
    // Where a published record lies; nullopt when no file holds the serial number. Throws CRecordUnreadable
    // when the file's index entry cannot be read.
    static std::optional<RecordLocation> LocationOf(const std::vector<std::unique_ptr<CRecordFile>>& files,
                                                    const DateWindow& window, SerialNumber serial);

    // The serial number of the record at that place, when the load published it (a record filtered out,
    // outside the date window or not read yet has none). Callable while the load runs, from any thread.
    std::optional<SerialNumber> SerialAt(const std::vector<std::unique_ptr<CRecordFile>>& files,
                                         const LoadSettings& settings, const RecordLocation& location);

    // A new load or an emptied store: the maps of the last one go.
    void Forget();

private:
    struct OffsetMap {
        SerialNumber last = -1;  // the file's last published serial when the map was built
        std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;  // (offset, local index), by offset
    };

    std::mutex m_mutex;
    std::unordered_map<const CRecordFile*, OffsetMap> m_maps;
};

}  // namespace vyx
