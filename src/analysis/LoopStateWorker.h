#pragma once
// Answers "the state at T" (and, comparing, at a second moment) on a thread of its own, for a slider: each
// request replaces the one still waiting, so however fast the slider moves, the worker computes only the
// latest moment once it is free, and the window is never held up by a query.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/FcuEvents.h"
#include "analysis/LoopState.h"
#include "analysis/LoopStateQuery.h"

namespace vyx {

struct LoopStateRequest {
    std::uint64_t generation = 0;
    std::uint32_t first = 0;
    std::optional<std::uint32_t> second;  // compare mode
};

struct LoopStateAnswer {
    LoopStateRequest request;
    std::shared_ptr<const LoopState> first;   // at request.first
    std::shared_ptr<const LoopState> second;  // at request.second, in compare mode
    // From the earlier of the two moments to the later one.
    std::vector<FcuDifference> differences;
    std::string failure;  // the events file could not be read
};

class CLoopStateWorker {
public:
    // deliver runs on the worker's thread, once per request it computed (not for those replaced unseen).
    CLoopStateWorker(std::shared_ptr<const CFcuEvents> events, std::function<void(LoopStateAnswer)> deliver);
    ~CLoopStateWorker();  // stops and joins; an answer being computed is dropped
    CLoopStateWorker(const CLoopStateWorker&) = delete;
    CLoopStateWorker& operator=(const CLoopStateWorker&) = delete;

    // Returns the request's generation (higher for later requests).
    std::uint64_t Ask(std::uint32_t first, std::optional<std::uint32_t> second = std::nullopt);

private:
    void Run();
    LoopStateAnswer Answer(const LoopStateRequest& request);

    std::shared_ptr<const CFcuEvents> m_events;
    std::function<void(LoopStateAnswer)> m_deliver;
    CLoopStateQuery m_firstQuery;
    CLoopStateQuery m_secondQuery;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<LoopStateRequest> m_waiting;
    std::uint64_t m_generation = 0;
    bool m_stop = false;
    std::thread m_thread;  // last: started once everything it uses exists
};

}  // namespace vyx
