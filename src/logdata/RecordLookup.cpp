#include "logdata/RecordLookup.h"

#include <algorithm>

namespace vyx {

std::optional<RecordLocation> CRecordLookup::LocationOf(const std::vector<std::unique_ptr<CRecordFile>>& files,
                                                        const DateWindow& window, SerialNumber serial) {
    for (const auto& file : files) {
        if (window.Excludes(file->DayStart())) continue;
        if (const auto k = file->LocalIndex(serial)) return RecordLocation{file->Path(), file->ReadOffset(*k)};
    }
    return std::nullopt;
}

std::optional<SerialNumber> CRecordLookup::SerialAt(const std::vector<std::unique_ptr<CRecordFile>>& files,
                                                    const LoadSettings& settings, const RecordLocation& location) {
    const auto found = std::find_if(files.begin(), files.end(), [&](const auto& file) {
        return file->Path() == location.dayFile && !settings.window.Excludes(file->DayStart());
    });
    if (found == files.end()) return std::nullopt;
    CRecordFile& file = **found;
    const SerialNumber last = file.LastSerial();
    const SerialNumber first = file.FirstSerial();
    if (first < 0 || last < first) return std::nullopt;
    const std::int64_t count = last - first + 1;

    if (settings.order == LoadOrder::Stored) {
        // Offsets ascend through the index file: bisect it, one entry read per step.
        std::int64_t low = 0;
        std::int64_t high = count;
        while (low < high) {
            const std::int64_t middle = low + (high - low) / 2;
            if (file.ReadOffset(middle) < location.offset) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        if (low < count && file.ReadOffset(low) == location.offset) return first + low;
        return std::nullopt;
    }

    std::lock_guard lock(m_mutex);
    OffsetMap& map = m_maps[&file];
    if (map.last != last) {
        // Built anew when the load has published more of this file since.
        const std::vector<std::uint32_t> offsets = file.ReadOffsets(count);
        map.entries.clear();
        map.entries.reserve(offsets.size());
        for (std::size_t k = 0; k < offsets.size(); ++k) {
            map.entries.emplace_back(offsets[k], static_cast<std::uint32_t>(k));
        }
        std::sort(map.entries.begin(), map.entries.end());
        map.last = last;
    }
    if (location.offset > UINT32_MAX) return std::nullopt;
    const auto offset = static_cast<std::uint32_t>(location.offset);
    const auto at = std::lower_bound(map.entries.begin(), map.entries.end(), std::make_pair(offset, std::uint32_t{0}));
    if (at == map.entries.end() || at->first != offset) return std::nullopt;
    return first + at->second;
}

void CRecordLookup::Forget() {
    std::lock_guard lock(m_mutex);
    m_maps.clear();
}

}  // namespace vyx
