#include "analysis/FcuEvents.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/FileError.h"

namespace vyx {

CFcuEvents::CFcuEvents() : m_files(std::make_shared<Files>()) {}

CFcuEvents::Files::~Files() {
    if (!events.empty()) DeleteFile(events);
    if (!checkpoints.empty()) DeleteFile(checkpoints);
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
