#pragma once
// What a load reads besides the day files and filters: the order, the date window and the Modbus base
// address. Set before a load, fixed while it runs.

#include <cstdint>

#include "logdata/DayFileFormat.h"
#include "logdata/FollowSettings.h"
#include "logdata/Parse.h"

namespace vyx {

// The order of a load, which is also the record list's sort state of its Date-Time column: 0 as stored,
// 1 ascending time, 2 descending time.
enum class LoadOrder : std::int32_t {
    Stored = 0,
    Ascending = 1,
    Descending = 2,
};

// A click on the Date-Time header: as stored, then ascending, then descending, then as stored again.
constexpr LoadOrder NextSortState(LoadOrder order) {
    switch (order) {
        case LoadOrder::Stored: return LoadOrder::Ascending;
        case LoadOrder::Ascending: return LoadOrder::Descending;
        case LoadOrder::Descending: break;
    }
    return LoadOrder::Stored;
}

// Which day files a load reads: the chosen range widened by a day on each side. Both 0 when no range is
// chosen.
struct DateWindow {
    std::uint32_t start = 0;
    std::uint32_t end = 0;

    // A day file outside the window is neither read nor searched. Only a window with both bounds set
    // restricts anything; the load and the record fetch share this test so they always agree on the files.
    bool Excludes(std::uint32_t dayStart) const {
        return start != 0 && end != 0 && (dayStart < start || dayStart > end);
    }
    bool operator==(const DateWindow&) const = default;
};

struct LoadSettings {
    LoadOrder order = LoadOrder::Stored;
    DateWindow window;
    std::uint8_t modbusBaseAddress = kDefaultModbusBaseAddress;
    bool recover = false;  // resynchronise in damaged day files instead of stopping or jumping
    FollowSettings follow;
};

}  // namespace vyx
