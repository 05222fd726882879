#pragma once
// Following a live folder after a load: whether the load goes on reading what the logger appends, and how
// patiently it waits for the rest of a frame the logger is still writing.

#include <chrono>
#include <string>

namespace vyx {

struct FollowSettings {
    bool enabled = false;
    std::string folder;  // the data folder, watched for new day files (without a trailing separator)
    // A frame cut short at the end of a file is awaited; only when the file has not grown for this long is
    // it judged as the load judges it (an incomplete last frame).
    std::chrono::milliseconds quietTime{10000};
    // Every this often every followed file is looked at and the folder listed, event or none: network shares
    // raise no events for another machine's writes.
    std::chrono::milliseconds checkInterval{1000};
    // False: the check alone, no inotify events (for shares, and to measure the check's latency).
    bool events = true;
};

}  // namespace vyx
