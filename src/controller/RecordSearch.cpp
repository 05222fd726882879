#include "controller/RecordSearch.h"

#include <algorithm>
#include <chrono>

#include "controller/ParallelFind.h"
#include "platform/FileError.h"

namespace vyx {
namespace {

using Clock = std::chrono::steady_clock;

// The clock is looked at every so many records, and the UI hears from the search at most ten times a second.
constexpr std::int64_t kProgressCheckEvery = 4096;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

class SearchWalk {
public:
    SearchWalk(const CRecordDatabase& store, const SearchRequest& request, const std::atomic<bool>& cancel,
               const std::function<void(std::int64_t, std::int64_t)>& progress)
        : m_store(store), m_request(request), m_cancel(cancel), m_progress(progress), m_ranges(request.orderedRanges) {
        std::sort(m_ranges.begin(), m_ranges.end(),
                  [](const SerialRange& a, const SerialRange& b) { return a.first < b.first; });
        m_lastProgress = Clock::now();
    }

    // The first match in lo..hi going forward, or the last one going backward; -1 when there is none or the
    // search was cancelled.
    std::int64_t Scan(std::int64_t lo, std::int64_t hi, SearchDirection direction) {
        if (direction == SearchDirection::Forward) {
            std::int64_t serial = lo;
            while (serial <= hi && !Cancelled()) {
                const SerialRange* range = RangeHolding(serial);
                if (range == nullptr) {
                    const std::int64_t end = std::min(hi, NextRangeStart(serial) - 1);
                    for (; serial <= end; ++serial) {
                        if (Cancelled()) return -1;
                        if (Test(serial)) return serial;
                    }
                    continue;
                }
                const std::int64_t end = std::min(hi, range->last);
                const std::int64_t found = FirstInOrderedRange(serial, end);
                if (found >= 0) return found;
                serial = end + 1;
            }
            return -1;
        }
        std::int64_t serial = hi;
        while (serial >= lo && !Cancelled()) {
            const SerialRange* range = RangeHolding(serial);
            if (range == nullptr) {
                const std::int64_t end = std::max(lo, PreviousRangeEnd(serial) + 1);
                for (; serial >= end; --serial) {
                    if (Cancelled()) return -1;
                    if (Test(serial)) return serial;
                }
                continue;
            }
            // Matches come last in an ordered range: going backward, either this record matches or no
            // record of the range before it does.
            if (Test(serial)) return serial;
            serial = std::max(lo, range->first) - 1;
        }
        return -1;
    }

    bool Cancelled() const { return m_cancel.load(std::memory_order_relaxed); }
    std::int64_t Examined() const { return m_examined; }

private:
    bool Test(std::int64_t serial) {
        ++m_examined;
        if (m_examined % kProgressCheckEvery == 0 && m_progress) {
            const auto now = Clock::now();
            if (now - m_lastProgress >= kProgressInterval) {
                m_lastProgress = now;
                m_progress(m_examined, m_request.count);
            }
        }
        // A record that cannot be fetched (not published) holds nothing to find.
        if (!m_store.GetRecord(serial, m_record)) return false;
        return m_request.matcher.Matches(serial, m_record, m_scratch);
    }

    // lo..hi lies within one ordered range: bisect for its first match.
    std::int64_t FirstInOrderedRange(std::int64_t lo, std::int64_t hi) {
        if (!Test(hi)) return -1;
        while (lo < hi && !Cancelled()) {
            const std::int64_t mid = lo + (hi - lo) / 2;
            if (Test(mid)) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        return Cancelled() ? -1 : hi;
    }

    const SerialRange* RangeHolding(std::int64_t serial) const {
        for (const SerialRange& range : m_ranges) {
            if (serial >= range.first && serial <= range.last) return &range;
        }
        return nullptr;
    }
    std::int64_t NextRangeStart(std::int64_t serial) const {
        for (const SerialRange& range : m_ranges) {
            if (range.first > serial) return range.first;
        }
        return INT64_MAX;
    }
    std::int64_t PreviousRangeEnd(std::int64_t serial) const {
        std::int64_t end = -1;
        for (const SerialRange& range : m_ranges) {
            if (range.last < serial) end = std::max(end, range.last);
        }
        return end;
    }

    const CRecordDatabase& m_store;
    const SearchRequest& m_request;
    const std::atomic<bool>& m_cancel;
    const std::function<void(std::int64_t, std::int64_t)>& m_progress;
    std::vector<SerialRange> m_ranges;
    Clock::time_point m_lastProgress;
    std::int64_t m_examined = 0;
    CRecord m_record;
    std::string m_scratch;
};

// From the record after request.from to the end (forward) or from the start to the one before it
// (backward), then, with wrap, the other part; leg(lo, hi) gives the match or -1. Errors end the search
// without a match, and so does a cancel.
template <typename Leg, typename Cancelled>
void SearchBothLegs(const SearchRequest& request, std::int64_t count, Leg leg, Cancelled cancelled,
                    SearchNotification& result) {
    const bool hasFrom = request.from >= 0 && request.from < count;
    try {
        if (request.direction == SearchDirection::Forward) {
            result.found = leg(hasFrom ? request.from + 1 : 0, count - 1);
            if (result.found < 0 && hasFrom && request.wrap && !cancelled()) {
                result.found = leg(0, request.from);
                result.wrapped = result.found >= 0;
            }
        } else {
            result.found = leg(0, hasFrom ? request.from - 1 : count - 1);
            if (result.found < 0 && hasFrom && request.wrap && !cancelled()) {
                result.found = leg(request.from, count - 1);
                result.wrapped = result.found >= 0;
            }
        }
    } catch (const std::exception& e) {
        result.found = -1;
        result.wrapped = false;
        result.error = e.what();
    } catch (...) {
        result.found = -1;
        result.wrapped = false;
        result.error = "The search ended on an unexpected error.";
    }
    if (cancelled()) {
        result.found = -1;
        result.wrapped = false;
    }
}

}  // namespace

SearchNotification RunReferenceSearch(const CRecordDatabase& store, const SearchRequest& request,
                                      const std::atomic<bool>& cancel,
                                      const std::function<void(std::int64_t examined, std::int64_t total)>& progress) {
    SearchNotification result;
    result.kind = SearchNotification::Kind::Finished;
    result.total = std::max<std::int64_t>(request.count, 0);
    const std::int64_t count = result.total;
    if (count == 0) return result;

    SearchWalk walk(store, request, cancel, progress);
    SearchBothLegs(
        request, count, [&](std::int64_t lo, std::int64_t hi) { return walk.Scan(lo, hi, request.direction); },
        [&] { return walk.Cancelled(); }, result);
    result.examined = walk.Examined();
    return result;
}

SearchNotification RunSearch(const CRecordDatabase& store, const SearchRequest& request,
                             const std::atomic<bool>& cancel,
                             const std::function<void(std::int64_t examined, std::int64_t total)>& progress) {
    const CRecordMatcher::Kind kind = request.matcher.GetKind();
    const bool textOrBytes = kind == CRecordMatcher::Kind::Text || kind == CRecordMatcher::Kind::Bytes;
    if (!textOrBytes || !request.orderedRanges.empty()) return RunReferenceSearch(store, request, cancel, progress);

    SearchNotification result;
    result.kind = SearchNotification::Kind::Finished;
    result.total = std::max<std::int64_t>(request.count, 0);
    const std::int64_t count = result.total;
    if (count == 0) return result;

    CParallelFind find(store, request.matcher);
    // The part already looked at, for the progress of the second leg after a wrap.
    std::int64_t before = 0;
    auto lastProgress = Clock::now();
    const CParallelFind::Progress report = [&](std::int64_t examined) {
        result.examined = before + examined;
        const auto now = Clock::now();
        if (progress && now - lastProgress >= kProgressInterval) {
            lastProgress = now;
            progress(result.examined, count);
        }
    };
    const bool forward = request.direction == SearchDirection::Forward;
    const auto leg = [&](std::int64_t lo, std::int64_t hi) {
        before = result.examined;
        const auto match = forward ? find.First(lo, hi, cancel, report) : find.Last(lo, hi, cancel, report);
        return match ? match->serial : std::int64_t{-1};
    };
    SearchBothLegs(request, count, leg, [&] { return cancel.load(); }, result);
    return result;
}

std::vector<SerialRange> TimeOrderedRanges(const CRecordDatabase& store) {
    std::vector<SerialRange> ranges;
    if (store.Settings().order == LoadOrder::Stored) return ranges;
    for (const auto& file : store.Files()) {
        // Last before first, as the fetch reads them: a publication in progress may have set first only.
        const std::int64_t last = file->LastSerial();
        const std::int64_t first = file->FirstSerial();
        if (first >= 0 && last >= first) ranges.push_back({first, last});
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const SerialRange& a, const SerialRange& b) { return a.first < b.first; });
    return ranges;
}

SearchRequest GoToTimeRequest(const CRecordDatabase& store, std::int64_t count, std::uint32_t time) {
    SearchRequest request;
    request.matcher = store.Settings().order == LoadOrder::Descending ? CRecordMatcher::TimeAtOrBefore(time)
                                                                      : CRecordMatcher::TimeAtOrAfter(time);
    request.count = count;
    request.from = -1;
    request.direction = SearchDirection::Forward;
    request.wrap = false;
    request.orderedRanges = TimeOrderedRanges(store);
    return request;
}

// ---- the search thread

std::uint32_t CRecordSearch::Start(const CRecordDatabase& store, SearchRequest request) {
    Stop();
    const std::uint32_t generation = ++m_generation;
    m_cancel.store(false);
    m_running.store(true);
    m_thread = std::thread([this, &store, request = std::move(request), generation] {
        const auto progress = [this, generation](std::int64_t examined, std::int64_t total) {
            SearchNotification n;
            n.kind = SearchNotification::Kind::Progress;
            n.generation = generation;
            n.examined = examined;
            n.total = total;
            m_target.Post(std::move(n));
        };
        SearchNotification result = RunSearch(store, request, m_cancel, progress);
        // A cancelled search has nothing to say: whoever stopped it knows.
        if (m_cancel.load()) return;
        result.generation = generation;
        m_running.store(false);
        try {
            m_target.Post(std::move(result));
        } catch (...) {
            // Nothing may end the program from this thread; the window sees the search as ended.
        }
    });
    return generation;
}

void CRecordSearch::Stop() {
    m_cancel.store(true);
    if (m_thread.joinable()) m_thread.join();
    m_running.store(false);
    ++m_generation;
}

}  // namespace vyx
