#include "analysis/FcuTimeline.h"

#include <algorithm>
#include <cmath>

namespace vyx {

std::string_view TimelineLaneText(TimelineLane lane) {
    switch (lane) {
        case TimelineLane::Commands: return "Commands";
        case TimelineLane::Status: return "Status";
        case TimelineLane::Alarms: return "Alarms";
        case TimelineLane::Position: return "Position";
        case TimelineLane::HeardA: return "Heard A";
        case TimelineLane::HeardB: return "Heard B";
    }
    return {};
}

TimelineLane LaneOf(const FcuEvent& e) {
    switch (e.kind) {
        case FcuEventKind::Command: return TimelineLane::Commands;
        case FcuEventKind::Status:
        case FcuEventKind::SystemStatus: return TimelineLane::Status;
        case FcuEventKind::Alarm:
        case FcuEventKind::LoopFault: return TimelineLane::Alarms;
        case FcuEventKind::Position: return TimelineLane::Position;
        case FcuEventKind::Heard: break;
    }
    return (e.channel & 1u) ? TimelineLane::HeardB : TimelineLane::HeardA;
}

FcuTimeline CollectFcuTimeline(const CFcuEvents& events, int fcu, std::uint32_t from, std::uint32_t to,
                               const std::atomic<bool>* cancel) {
    FcuTimeline timeline;
    timeline.fcu = fcu;
    timeline.from = from;
    timeline.to = to;
    CFcuEventReader reader(events);
    const std::uint64_t begin = from == 0 ? 0 : reader.FirstAfter(from - 1);
    for (std::uint64_t i = begin; i < reader.Count(); ++i) {
        if ((i & 0xFFFF) == 0 && cancel && cancel->load()) {
            timeline.cancelled = true;
            break;
        }
        const FcuEvent& e = reader.At(i);
        if (e.time > to) break;
        // Events of an FCU number beyond the loop's range belong to the loop, as the state takes them.
        const int owner = e.fcu > kMaxFcuNumber ? kLoopFcu : e.fcu;
        if (owner != fcu) continue;
        auto& lane = timeline.lanes[static_cast<std::size_t>(LaneOf(e))];
        if (lane.size() >= kMaxTimelineMarks) {
            timeline.truncated = true;
            continue;
        }
        lane.push_back(e);
    }
    return timeline;
}

std::vector<LaneColumn> LaneColumns(const std::vector<FcuEvent>& marks, std::uint32_t begin, std::uint32_t end,
                                    int columns) {
    std::vector<LaneColumn> out(static_cast<std::size_t>(std::max(columns, 0)));
    if (columns <= 0 || end <= begin) return out;
    const double width = static_cast<double>(end - begin) / columns;
    auto byTime = [](const FcuEvent& e, double t) { return e.time < t; };
    std::size_t at = static_cast<std::size_t>(
        std::lower_bound(marks.begin(), marks.end(), static_cast<double>(begin), byTime) - marks.begin());
    for (int c = 0; c < columns && at < marks.size(); ++c) {
        const double stop = c + 1 == columns ? static_cast<double>(end) : begin + width * (c + 1);
        const std::size_t next = static_cast<std::size_t>(
            std::lower_bound(marks.begin() + static_cast<std::ptrdiff_t>(at), marks.end(), stop, byTime) - marks.begin());
        out[static_cast<std::size_t>(c)] = {at, next - at};
        at = next;
    }
    return out;
}

std::optional<std::size_t> NearestMark(const std::vector<FcuEvent>& marks, double t, double tolerance) {
    auto it = std::lower_bound(marks.begin(), marks.end(), t, [](const FcuEvent& e, double v) { return e.time < v; });
    std::optional<std::size_t> best;
    double bestDistance = tolerance;
    for (auto candidate : {it, it == marks.begin() ? marks.end() : it - 1}) {
        if (candidate == marks.end()) continue;
        const double distance = std::fabs(static_cast<double>(candidate->time) - t);
        if (distance <= bestDistance) {
            bestDistance = distance;
            best = static_cast<std::size_t>(candidate - marks.begin());
        }
    }
    return best;
}

}  // namespace vyx
