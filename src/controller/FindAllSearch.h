#pragma once
// Find all: every record that holds a text or bytes, listed off the UI thread. The matches come to a target in
// batches (at most ten a second) with the count so far, in increasing serial order, and the search can be
// cancelled at any time. Past kMaxMatches it stops and says so, since each match is kept for the list.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "controller/ParallelFind.h"
#include "controller/RecordMatcher.h"

namespace vyx {

class CRecordDatabase;

struct FindAllNotification {
    enum class Kind { Batch, Finished };
    Kind kind = Kind::Batch;
    std::uint32_t generation = 0;    // the search's; a notification of another generation is stale
    std::vector<FindMatch> matches;  // Batch: the next matches, in serial order
    std::int64_t examined = 0;       // serial numbers looked at so far
    std::int64_t total = 0;          // serial numbers the search looks at
    bool truncated = false;          // Finished: it stopped at kMaxMatches
    std::string error;               // Finished: a record could not be read (the file layer's text)
};

class IFindAllTarget {
public:
    virtual ~IFindAllTarget() = default;
    // Called on the search thread; must not wait for the UI thread.
    virtual void Post(FindAllNotification notification) = 0;
};

class CFindAllSearch {
public:
    static constexpr std::int64_t kMaxMatches = 1'000'000;

    explicit CFindAllSearch(IFindAllTarget& target) : m_target(target) {}
    ~CFindAllSearch() { Stop(); }
    CFindAllSearch(const CFindAllSearch&) = delete;
    CFindAllSearch& operator=(const CFindAllSearch&) = delete;

    // Stops a running search, then lists the matches among the first count records; returns the generation.
    // The store must not be reset or reloaded until Stop has returned.
    std::uint32_t Start(const CRecordDatabase& store, CRecordMatcher matcher, std::int64_t count);
    // Cancels a running search and waits for its thread; what it still had queued is stale from now on.
    void Stop();
    bool IsRunning() const { return m_running.load(); }
    std::uint32_t Generation() const { return m_generation; }

private:
    IFindAllTarget& m_target;
    std::uint32_t m_generation = 0;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_running{false};
    std::thread m_thread;
};

}  // namespace vyx
