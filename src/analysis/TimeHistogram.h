#pragma once
// Counts over time in fixed buckets, several series side by side: the records of a folder by what they
// told the loop (from its events), or the bytes of its day files by day. Painted by the viewer at any width
// through Columns(), which sums buckets into pixel columns.

#include <array>
#include <atomic>
#include <cstdint>
#include <string_view>
#include <vector>

#include "analysis/FcuEvents.h"
#include "logdata/DataFolder.h"

namespace vyx {

struct TimeHistogram {
    std::uint32_t from = 0;           // the first bucket's start
    std::uint32_t bucketSeconds = 1;  // every bucket's length
    int series = 1;
    std::vector<std::uint64_t> counts;  // bucket-major: counts[bucket * series + s]

    std::size_t Buckets() const { return series > 0 ? counts.size() / static_cast<std::size_t>(series) : 0; }
    // The end of the last bucket.
    std::uint64_t To() const { return from + static_cast<std::uint64_t>(Buckets()) * bucketSeconds; }
    std::uint64_t At(std::size_t bucket, int s) const { return counts[bucket * static_cast<std::size_t>(series) + static_cast<std::size_t>(s)]; }
    std::uint64_t Total() const;

    // The counts over [begin, end) in `columns` equal columns, series by series (columns * series values,
    // column-major). A bucket goes to the column its start falls in, so every bucket that starts in the range
    // is counted exactly once.
    std::vector<std::uint64_t> Columns(std::uint32_t begin, std::uint32_t end, int columns) const;
};

// What a record told the loop, for the histogram of records by kind: a record that gave several kinds of
// event counts once, under the first of these that it gave.
enum class RecordKind : int { Alarm = 0, Command, Status, Position, Report, Other };
constexpr int kRecordKinds = 6;
std::string_view RecordKindText(RecordKind kind);  // "alarm", "command", "status change", ...

// The records of the folder over its span in about `buckets` buckets, by RecordKind: one walk of the events
// file. Records that gave no event are counted at the time of the next event (events are dense, so this
// places them within a bucket or so). Null-equivalent (no buckets) when cancelled. Throws CFileError.
TimeHistogram RecordsByKind(const CFcuEvents& events, int buckets, const std::atomic<bool>* cancel = nullptr);

// The size of each day file in bytes, one bucket per day from the first day to the last: the folder's shape
// before anything has been loaded. Files that cannot be read count 0. Empty when cancelled.
TimeHistogram DayFileBytes(const DataFolderListing& listing, const std::atomic<bool>* cancel = nullptr);

}  // namespace vyx
