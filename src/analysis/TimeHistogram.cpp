#include "analysis/TimeHistogram.h"

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <system_error>

#include "logdata/DayFileFormat.h"

namespace vyx {

std::uint64_t TimeHistogram::Total() const {
    return std::accumulate(counts.begin(), counts.end(), std::uint64_t{0});
}

std::vector<std::uint64_t> TimeHistogram::Columns(std::uint32_t begin, std::uint32_t end, int columns) const {
    std::vector<std::uint64_t> out(static_cast<std::size_t>(std::max(columns, 0)) * static_cast<std::size_t>(series));
    if (columns <= 0 || end <= begin) return out;
    const std::uint64_t width = end - begin;
    for (std::size_t b = 0; b < Buckets(); ++b) {
        const std::uint64_t start = from + b * std::uint64_t{bucketSeconds};
        if (start < begin || start >= end) continue;
        const std::size_t column = static_cast<std::size_t>((start - begin) * static_cast<std::uint64_t>(columns) / width);
        for (int s = 0; s < series; ++s) out[column * static_cast<std::size_t>(series) + static_cast<std::size_t>(s)] += At(b, s);
    }
    return out;
}

std::string_view RecordKindText(RecordKind kind) {
    switch (kind) {
        case RecordKind::Alarm: return "alarm";
        case RecordKind::Command: return "command";
        case RecordKind::Status: return "status change";
        case RecordKind::Position: return "position";
        case RecordKind::Report: return "FCU report";
        case RecordKind::Other: return "other";
    }
    return {};
}

namespace {

RecordKind KindOf(const FcuEvent& e) {
    // A first report says what the state is, not that it changed: it counts as a plain report.
    if (e.edge == FcuEventEdge::Initial) return RecordKind::Report;
    switch (e.kind) {
        case FcuEventKind::Alarm:
        case FcuEventKind::LoopFault: return RecordKind::Alarm;
        case FcuEventKind::Command: return RecordKind::Command;
        case FcuEventKind::Status:
        case FcuEventKind::SystemStatus: return RecordKind::Status;
        case FcuEventKind::Position: return RecordKind::Position;
        case FcuEventKind::Heard: return RecordKind::Report;
    }
    return RecordKind::Other;
}

}  // namespace

TimeHistogram RecordsByKind(const CFcuEvents& events, int buckets, const std::atomic<bool>* cancel) {
    TimeHistogram h;
    h.series = kRecordKinds;
    if (events.RecordCount() <= 0 || buckets <= 0) return h;
    h.from = events.FirstTime();
    const std::uint64_t span = std::uint64_t{events.LastTime()} - events.FirstTime() + 1;
    h.bucketSeconds = static_cast<std::uint32_t>(std::max<std::uint64_t>(1, (span + static_cast<std::uint64_t>(buckets) - 1) / static_cast<std::uint64_t>(buckets)));
    const std::size_t count = static_cast<std::size_t>((span + h.bucketSeconds - 1) / h.bucketSeconds);
    h.counts.assign(count * kRecordKinds, 0);
    auto cell = [&](std::uint32_t time, RecordKind kind) -> std::uint64_t& {
        const std::uint32_t t = std::clamp(time, events.FirstTime(), events.LastTime());
        const std::size_t b = (t - h.from) / h.bucketSeconds;
        return h.counts[b * kRecordKinds + static_cast<std::size_t>(kind)];
    };

    // The events of one record follow each other; the Sr.No. of the time-ordered load counts the records
    // between them that gave none.
    std::int64_t group = -1;
    std::uint32_t groupTime = 0;
    RecordKind groupKind = RecordKind::Other;
    std::int64_t highest = -1;
    auto flush = [&] {
        if (group >= 0) ++cell(groupTime, groupKind);
    };
    CFcuEventReader reader(events);
    for (std::uint64_t i = 0; i < reader.Count(); ++i) {
        if ((i & 0xFFFF) == 0 && cancel && cancel->load()) return TimeHistogram{};
        const FcuEvent& e = reader.At(i);
        const std::int64_t serial = e.Serial();
        const RecordKind kind = KindOf(e);
        if (serial == group) {
            groupKind = std::min(groupKind, kind);
            continue;
        }
        flush();
        if (serial > highest) {
            if (serial > highest + 1) cell(e.time, RecordKind::Other) += static_cast<std::uint64_t>(serial - highest - 1);
            highest = serial;
        } else if (std::uint64_t& other = cell(e.time, RecordKind::Other); other > 0) {
            // A record placed by its own time after a clock step: it was counted among the records skipped.
            --other;
        }
        group = serial;
        groupTime = e.time;
        groupKind = kind;
    }
    flush();
    if (events.RecordCount() > highest + 1) {
        cell(events.LastTime(), RecordKind::Other) += static_cast<std::uint64_t>(events.RecordCount() - highest - 1);
    }
    return h;
}

TimeHistogram DayFileBytes(const DataFolderListing& listing, const std::atomic<bool>* cancel) {
    TimeHistogram h;
    if (listing.dayFiles.empty()) return h;
    std::uint32_t first = UINT32_MAX;
    std::uint32_t last = 0;
    for (const auto& [name, day] : listing.dayFiles) {
        first = std::min(first, day);
        last = std::max(last, day);
    }
    h.from = first;
    h.bucketSeconds = format::kSecondsPerDay;
    h.counts.assign((last - first) / format::kSecondsPerDay + 1, 0);
    for (const auto& [name, day] : listing.dayFiles) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return {};
        std::error_code error;
        const auto bytes = std::filesystem::file_size(listing.folder + "/" + name, error);
        if (!error) h.counts[(day - first) / format::kSecondsPerDay] += bytes;
    }
    return h;
}

}  // namespace vyx
