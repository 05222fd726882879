#include "analysis/FcuEventStream.h"

namespace vyx {
namespace {

// Blocks read ahead: a few, so the reader is never far ahead or behind.
constexpr std::size_t kBlocksAhead = 4;

}  // namespace

CFcuEventStream::CFcuEventStream(const CFcuEvents& events)
    : m_free(kBlocksAhead), m_thread([this, &events] { Read(events); }) {}

CFcuEventStream::~CFcuEventStream() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void CFcuEventStream::Read(const CFcuEvents& events) {
    try {
        CFcuEventReader reader(events);
        for (std::uint64_t index = 0; index < reader.Count();) {
            const std::span<const FcuEvent> block = reader.BlockFrom(index);
            index += block.size();
            std::vector<FcuEvent> room;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_stopped || !m_free.empty(); });
                if (m_stopped) return;
                room = std::move(m_free.back());
                m_free.pop_back();
            }
            room.assign(block.begin(), block.end());
            {
                std::lock_guard lock(m_mutex);
                m_full.push_back(std::move(room));
            }
            m_changed.notify_all();
        }
    } catch (...) {
        std::lock_guard lock(m_mutex);
        m_failure = std::current_exception();
    }
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
    }
    m_changed.notify_all();
}

std::span<const FcuEvent> CFcuEventStream::Next() {
    std::unique_lock lock(m_mutex);
    if (m_current.capacity() > 0) m_free.push_back(std::move(m_current));  // the block handed out last
    m_current = {};
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return !m_full.empty() || m_ended; });
    if (m_full.empty()) {
        if (m_failure) std::rethrow_exception(m_failure);
        return {};
    }
    m_current = std::move(m_full.front());
    m_full.pop_front();
    return m_current;
}

}  // namespace vyx
