#pragma once
// The events of one FCU (or, as FCU 0, of the loop) over a span, one lane per kind, for the viewer's FCU
// timeline: the lanes are read once for the span, and zooming only picks what falls into each pixel column.

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "analysis/FcuEvents.h"

namespace vyx {

enum class TimelineLane : int { Commands = 0, Status, Alarms, Position, HeardA, HeardB };
constexpr int kTimelineLanes = 6;
std::string_view TimelineLaneText(TimelineLane lane);  // "Commands", "Status", ...
// The lane an event goes in (the loop's system status in Status, its loop faults in Alarms).
TimelineLane LaneOf(const FcuEvent& event);

// A lane keeps at most this many marks; past it the timeline says it was cut short.
constexpr std::size_t kMaxTimelineMarks = 500000;

struct FcuTimeline {
    int fcu = 0;
    std::uint32_t from = 0;  // the span, both ends included
    std::uint32_t to = 0;
    std::array<std::vector<FcuEvent>, kTimelineLanes> lanes;  // each in time order
    bool truncated = false;
    bool cancelled = false;
};

// Reads the span's events once. Throws CFileError.
FcuTimeline CollectFcuTimeline(const CFcuEvents& events, int fcu, std::uint32_t from, std::uint32_t to,
                               const std::atomic<bool>* cancel = nullptr);

// The marks of a lane that fall into each of `columns` equal columns of [begin, end): the first mark's
// index and how many there are (count 0: none).
struct LaneColumn {
    std::size_t first = 0;
    std::size_t count = 0;
};
std::vector<LaneColumn> LaneColumns(const std::vector<FcuEvent>& marks, std::uint32_t begin, std::uint32_t end,
                                    int columns);

// The mark nearest to t within `tolerance` seconds, if any.
std::optional<std::size_t> NearestMark(const std::vector<FcuEvent>& marks, double t, double tolerance);

}  // namespace vyx
