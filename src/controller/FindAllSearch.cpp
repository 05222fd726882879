#include "controller/FindAllSearch.h"

#include <chrono>

namespace vyx {
namespace {

constexpr auto kBatchInterval = std::chrono::milliseconds(100);

// Ends the find once enough matches are kept.
struct EnoughMatches {};

}  // namespace

std::uint32_t CFindAllSearch::Start(const CRecordDatabase& store, CRecordMatcher matcher, std::int64_t count) {
    Stop();
    const std::uint32_t generation = ++m_generation;
    m_cancel.store(false);
    m_running.store(true);
    m_thread = std::thread([this, &store, matcher = std::move(matcher), count, generation] {
        using Clock = std::chrono::steady_clock;
        FindAllNotification batch;
        batch.generation = generation;
        batch.total = std::max<std::int64_t>(count, 0);
        std::int64_t kept = 0;
        auto lastPost = Clock::now();
        const auto post = [&] {
            FindAllNotification sent;
            sent.generation = generation;
            sent.total = batch.total;
            sent.examined = batch.examined;
            sent.matches.swap(batch.matches);
            m_target.Post(std::move(sent));
            lastPost = Clock::now();
        };
        FindAllNotification result;
        result.kind = FindAllNotification::Kind::Finished;
        result.generation = generation;
        result.total = batch.total;
        try {
            CParallelFind find(store, matcher);
            find.All(
                0, count - 1, m_cancel,
                [&](const std::vector<FindMatch>& matches) {
                    for (const FindMatch& match : matches) {
                        if (kept == kMaxMatches) throw EnoughMatches{};
                        batch.matches.push_back(match);
                        ++kept;
                    }
                },
                [&](std::int64_t examined) {
                    batch.examined = examined;
                    if (Clock::now() - lastPost >= kBatchInterval) post();
                });
        } catch (const EnoughMatches&) {
            result.truncated = true;
        } catch (const std::exception& e) {
            result.error = e.what();
        } catch (...) {
            result.error = "The search ended on an unexpected error.";
        }
        // A cancelled search has nothing more to say: whoever stopped it knows.
        if (m_cancel.load()) return;
        try {
            if (!batch.matches.empty()) post();
            result.examined = result.truncated ? batch.examined : batch.total;
            m_running.store(false);
            m_target.Post(std::move(result));
        } catch (...) {
            // Nothing may end the program from this thread.
        }
        m_running.store(false);
    });
    return generation;
}

void CFindAllSearch::Stop() {
    m_cancel.store(true);
    if (m_thread.joinable()) m_thread.join();
    m_running.store(false);
    ++m_generation;
}

}  // namespace vyx
