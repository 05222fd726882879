#include "analysis/FcuEvents.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/FileError.h"

namespace vyx {

CFcuEvents::~CFcuEvents() {
    RemoveFiles();
}

CFcuEvents::CFcuEvents(CFcuEvents&& other) noexcept {
    *this = std::move(other);
}

CFcuEvents& CFcuEvents::operator=(CFcuEvents&& other) noexcept {
    if (this == &other) return *this;
    RemoveFiles();
    m_eventsPath = std::exchange(other.m_eventsPath, {});
    m_checkpointsPath = std::exchange(other.m_checkpointsPath, {});
    m_eventCount = other.m_eventCount;
    m_recordCount = other.m_recordCount;
    m_firstTime = other.m_firstTime;
    m_lastTime = other.m_lastTime;
    m_dayFiles = std::move(other.m_dayFiles);
    m_checkpoints = std::move(other.m_checkpoints);
    m_checkpointInterval = other.m_checkpointInterval;
    m_listings = other.m_listings;
    return *this;
}

void CFcuEvents::RemoveFiles() noexcept {
    if (!m_eventsPath.empty()) DeleteFile(m_eventsPath);
    if (!m_checkpointsPath.empty()) DeleteFile(m_checkpointsPath);
    m_eventsPath.clear();
    m_checkpointsPath.clear();
}

namespace {
constexpr std::size_t kReadBlockEvents = 4096;
}

CFcuEventReader::CFcuEventReader(const CFcuEvents& events)
    : m_file(events.EventsPath()), m_count(events.EventCount()), m_block(kReadBlockEvents) {}

const FcuEvent& CFcuEventReader::At(std::uint64_t index) {
    if (index < m_blockStart || index >= m_blockStart + m_blockCount) {
        // Walking backwards, the block ends at the event asked for; otherwise it starts there.
        const bool backwards = m_blockCount > 0 && index + 1 == m_blockStart;
        const std::uint64_t start = backwards ? index + 1 - std::min<std::uint64_t>(kReadBlockEvents, index + 1) : index;
        const std::uint64_t want = std::min<std::uint64_t>(kReadBlockEvents, m_count - start);
        const std::size_t bytes =
            m_file.ReadAt(start * sizeof(FcuEvent), m_block.data(), static_cast<std::size_t>(want) * sizeof(FcuEvent));
        m_blockStart = start;
        m_blockCount = bytes / sizeof(FcuEvent);
        // Shorter than written: someone cut it.
        if (index >= m_blockStart + m_blockCount) throw CFileError(EIO, m_file.Path());
    }
    return m_block[static_cast<std::size_t>(index - m_blockStart)];
}

std::uint64_t CFcuEventReader::FirstAfter(std::uint32_t t) {
    std::uint64_t low = 0;
    std::uint64_t high = m_count;
    while (low < high) {
        const std::uint64_t mid = low + (high - low) / 2;
        if (At(mid).time <= t) low = mid + 1;
        else high = mid;
    }
    return low;
}

std::array<FcuListing, kMaxFcuNumber + 1> ListingsOf(const FCUConfigurationList& configuration) {
    std::array<FcuListing, kMaxFcuNumber + 1> listings{};
    for (const CFCUExtended& fcu : configuration) {
        if (fcu.m_nNumber < 1 || fcu.m_nNumber > kMaxFcuNumber) continue;
        FcuListing& l = listings[static_cast<std::size_t>(fcu.m_nNumber)];
        if (fcu.m_nChannel == 0 && !l.listedA) {
            l.listedA = true;
            l.typeA = fcu.m_nType;
        } else if (fcu.m_nChannel == 1 && !l.listedB) {
            l.listedB = true;
            l.typeB = fcu.m_nType;
        }
    }
    return listings;
}

}  // namespace vyx
