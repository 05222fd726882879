#pragma once
// The events of a folder in order, read and unpacked a few blocks ahead of their reader on a thread of their
// own: a pass over all the events (the alarm analysis) then spends its time on the events, not on the file.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "analysis/FcuEvents.h"

namespace vyx {

class CFcuEventStream {
public:
    explicit CFcuEventStream(const CFcuEvents& events);
    // Stops the reading thread, whatever it was doing.
    ~CFcuEventStream();
    CFcuEventStream(const CFcuEventStream&) = delete;
    CFcuEventStream& operator=(const CFcuEventStream&) = delete;

    // The next events in order (valid until the next call); empty after the last. Throws what reading threw
    // (CFileError).
    std::span<const FcuEvent> Next();

private:
    void Read(const CFcuEvents& events);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<FcuEvent>> m_full;  // read, in order
    std::vector<std::vector<FcuEvent>> m_free;
    std::vector<FcuEvent> m_current;  // handed out last
    bool m_ended = false;             // the reader has read the last event (or failed)
    bool m_stopped = false;
    std::exception_ptr m_failure;
    std::thread m_thread;  // last: it starts once the rest is there
};

}  // namespace vyx
