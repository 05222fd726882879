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

CFcuEventReader::CFcuEventReader(const CFcuEvents& events)
    : m_file(events.EventsPath()),
      m_count(events.EventCount()),
      m_blocks(events.Blocks()),
      m_tailOffset(events.TailOffset()),
      m_block(kEventBlockEvents) {}

const FcuEvent& CFcuEventReader::At(std::uint64_t index) {
    if (index < m_blockStart || index >= m_blockStart + m_blockCount) Load(index);
    return m_block[static_cast<std::size_t>(index - m_blockStart)];
}

std::span<const FcuEvent> CFcuEventReader::BlockFrom(std::uint64_t index) {
    At(index);
    const auto at = static_cast<std::size_t>(index - m_blockStart);
    return {m_block.data() + at, m_blockCount - at};
}

void CFcuEventReader::Load(std::uint64_t index) {
    m_blockCount = 0;
    const std::uint64_t inBlocks = m_blocks.size() * kEventBlockEvents;
    if (index < inBlocks) {
        const FcuEventBlock& block = m_blocks[static_cast<std::size_t>(index / kEventBlockEvents)];
        void* into = m_block.data();
        if (block.packed) {
            m_packed.resize(block.Bytes());
            into = m_packed.data();
        }
        // Shorter than written: someone cut it.
        if (m_file.ReadAt(block.fileOffset, into, block.Bytes()) != block.Bytes()) throw CFileError(EIO, m_file.Path());
        if (block.packed && !UnpackEventBlock(block, m_packed.data(), m_block.data())) {
            throw CFileError(EIO, m_file.Path());
        }
        m_blockStart = index - index % kEventBlockEvents;
        m_blockCount = kEventBlockEvents;
        return;
    }
    // After the blocks, a stretch of the events stored whole, aligned as the blocks are.
    const std::uint64_t start = index - (index - inBlocks) % kEventBlockEvents;
    const std::uint64_t want = std::min<std::uint64_t>(kEventBlockEvents, m_count - start);
    const std::size_t bytes = m_file.ReadAt(m_tailOffset + (start - inBlocks) * sizeof(FcuEvent), m_block.data(),
                                            static_cast<std::size_t>(want) * sizeof(FcuEvent));
    m_blockStart = start;
    m_blockCount = bytes / sizeof(FcuEvent);
    if (index >= m_blockStart + m_blockCount) throw CFileError(EIO, m_file.Path());
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
