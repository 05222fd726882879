#include "analysis/LoopStateWorker.h"

#include <algorithm>

#include "platform/FileError.h"

namespace vyx {

CLoopStateWorker::CLoopStateWorker(std::shared_ptr<const CFcuEvents> events, std::function<void(LoopStateAnswer)> deliver)
    : m_events(std::move(events)), m_deliver(std::move(deliver)), m_firstQuery(*m_events), m_secondQuery(*m_events),
      m_thread([this] { Run(); }) {}

CLoopStateWorker::~CLoopStateWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

std::uint64_t CLoopStateWorker::Ask(std::uint32_t first, std::optional<std::uint32_t> second) {
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(m_mutex);
        generation = ++m_generation;
        m_waiting = LoopStateRequest{generation, first, second};
    }
    m_wake.notify_all();
    return generation;
}

void CLoopStateWorker::Run() {
    for (;;) {
        LoopStateRequest request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || m_waiting.has_value(); });
            if (m_stop) return;
            request = *m_waiting;
            m_waiting.reset();
        }
        LoopStateAnswer answer = Answer(request);
        {
            std::lock_guard lock(m_mutex);
            if (m_stop) return;
        }
        m_deliver(std::move(answer));
    }
}

LoopStateAnswer CLoopStateWorker::Answer(const LoopStateRequest& request) {
    LoopStateAnswer answer;
    answer.request = request;
    try {
        answer.first = std::make_shared<LoopState>(m_firstQuery.StateAt(request.first));
        if (request.second) {
            answer.second = std::make_shared<LoopState>(m_secondQuery.StateAt(*request.second));
            const bool ordered = request.first <= *request.second;
            answer.differences = CompareLoopStates(ordered ? *answer.first : *answer.second,
                                                   ordered ? *answer.second : *answer.first);
        }
    } catch (const std::exception& e) {
        answer = LoopStateAnswer{};
        answer.request = request;
        answer.failure = e.what();
    }
    return answer;
}

}  // namespace vyx
