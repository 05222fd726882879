#pragma once
// Searching the loaded records away from the UI thread: find next or previous (with wrapping), and go to the
// first record at a time. The search reads every record through the store, as the list does, so it works
// while a load runs, on the records published so far. It reports progress and its result to a target that
// hands them to the UI thread, and can be cancelled at any time.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "controller/RecordMatcher.h"
#include "logdata/RecordDatabase.h"

namespace vyx {

enum class SearchDirection { Forward, Backward };

// Serial numbers first..last, both included.
struct SerialRange {
    std::int64_t first = 0;
    std::int64_t last = -1;
    bool operator==(const SerialRange&) const = default;
};

struct SearchRequest {
    CRecordMatcher matcher = CRecordMatcher::Text({}, false);
    // Records that may be searched: serial numbers 0 .. count - 1 (what the list shows).
    std::int64_t count = 0;
    // The selected record: the search begins next to it, in the search direction. -1 (or outside the
    // records) begins at the first record, or at the last one going backward.
    std::int64_t from = -1;
    SearchDirection direction = SearchDirection::Forward;
    // Past the end (or the start) go on from the other end up to and including `from`.
    bool wrap = true;
    // Ranges within which the matcher answers no, then only yes (time-ordered loads searched for a time):
    // those are bisected instead of read record by record.
    std::vector<SerialRange> orderedRanges;
};

struct SearchNotification {
    enum class Kind { Progress, Finished };
    Kind kind = Kind::Progress;
    std::uint32_t generation = 0;  // the search's; a notification of another generation is stale
    std::int64_t examined = 0;     // records looked at so far
    std::int64_t total = 0;        // records the search may look at
    std::int64_t found = -1;       // Finished: serial number of the match, -1 when there is none
    bool wrapped = false;          // Finished: the match was reached by going on from the other end
    std::string error;             // Finished: a record could not be read (the file layer's text)
};

class ISearchTarget {
public:
    virtual ~ISearchTarget() = default;
    // Called on the search thread; must not wait for the UI thread, which may be waiting for the search.
    virtual void Post(SearchNotification notification) = 0;
};

// Runs one search from the calling thread. progress (may be empty) is called at most ten times a second; the
// search ends early, with found = -1, once cancel is set. Throws nothing: read errors end in `error`. A text
// or bytes find reads the records in blocks on every core that helps (CParallelFind); a go to time, and
// RunReferenceSearch, read record by record through the store and CRecordMatcher, the reference the fast
// find is held to.
SearchNotification RunSearch(const CRecordDatabase& store, const SearchRequest& request,
                             const std::atomic<bool>& cancel,
                             const std::function<void(std::int64_t examined, std::int64_t total)>& progress);
SearchNotification RunReferenceSearch(const CRecordDatabase& store, const SearchRequest& request,
                                      const std::atomic<bool>& cancel,
                                      const std::function<void(std::int64_t examined, std::int64_t total)>& progress);

// The ranges of a time-ordered load within which time stamps are in order: one per day file, as far as it is
// published. Empty for a load in stored order. Call it on the thread that starts and stops loads.
std::vector<SerialRange> TimeOrderedRanges(const CRecordDatabase& store);

// Go to time over the first count records in the store's current order: the first record, in serial order,
// that does not come before `time` in that order; at or after it for the stored and the ascending order, at or
// before it for the descending order.
SearchRequest GoToTimeRequest(const CRecordDatabase& store, std::int64_t count, std::uint32_t time);

// One search at a time on a thread of its own.
class CRecordSearch {
public:
    // target: receives the notifications on the search thread. Not owned.
    explicit CRecordSearch(ISearchTarget& target) : m_target(target) {}
    ~CRecordSearch() { Stop(); }
    CRecordSearch(const CRecordSearch&) = delete;
    CRecordSearch& operator=(const CRecordSearch&) = delete;

    // Stops a running search, then starts this one and returns its generation. The store must not be reset
    // or reloaded until Stop has returned (or the search has finished).
    std::uint32_t Start(const CRecordDatabase& store, SearchRequest request);
    // Cancels a running search and waits for its thread. Notifications it may still have queued carry an
    // older generation than Generation() from now on.
    void Stop();
    // From Start until the search has posted its result or was stopped.
    bool IsRunning() const { return m_running.load(); }
    std::uint32_t Generation() const { return m_generation; }

private:
    ISearchTarget& m_target;
    std::uint32_t m_generation = 0;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_running{false};
    std::thread m_thread;
};

}  // namespace vyx
