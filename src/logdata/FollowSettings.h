#pragma once
// Following a live folder after a load: whether the load goes on reading what the logger appends, and how
// patiently it waits for the rest of a frame the logger is still writing.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace vyx {

// What a follow did, counted for tests and benchmarks of its cost.
struct FollowCounters {
    std::atomic<std::int64_t> wakes{0};     // passes of its loop (one per wake)
    std::atomic<std::int64_t> looks{0};     // day files looked at (a stat each)
    std::atomic<std::int64_t> listings{0};  // listings of the folder
};

struct FollowSettings {
    bool enabled = false;
    std::string folder;  // the data folder, watched for new day files (without a trailing separator)
    // A frame cut short at the end of a file is awaited; only when the file has not grown for this long is
    // it judged as the load judges it (an incomplete last frame).
    std::chrono::milliseconds quietTime{10000};
    // Every this often the files that may grow are looked at (the newest, one awaiting the rest of a frame,
    // one that grew lately), a few of the others in turn, and the folder listed when it changed, event or
    // none: network shares raise no events for another machine's writes.
    std::chrono::milliseconds checkInterval{1000};
    // False: the check alone, no inotify events (for shares, and to measure the check's latency).
    bool events = true;
    std::shared_ptr<FollowCounters> counters;  // counted into when set
};

}  // namespace vyx
