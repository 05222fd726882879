#include "logdata/DayFileReader.h"

#include <cstring>

#include "logdata/DayFileFormat.h"
#include "logdata/FileHandleCache.h"
#include "logdata/FrameReading.h"

namespace vyx {
namespace {

constexpr std::uint64_t kLargestIndexOffset = 0xFFFFFFFFull;

}  // namespace

bool Frame::IsDecodable() const { return IsDecodableLength(length); }

std::string DamageReason(const DayFileDamage& damage) {
    const std::string length = std::to_string(damage.frameLength);
    switch (damage.kind) {
        case DamageKind::SkippedFrame: return "frame length " + length + " outside 7..302: frame skipped";
        case DamageKind::WalkStopped:
            return damage.frameLength >= 0 ? "frame length " + length + " ends the walk: the rest was not read"
                                           : "no plausible frame follows: the rest was not read";
        case DamageKind::Resynchronised:
            return "frame length " + length + " cannot be right: skipped to the next plausible frames";
        case DamageKind::IncompleteLastFrame: return "incomplete last frame (the logger may still be writing it)";
        case DamageKind::TooLarge: return "larger than the 4 GiB an index offset can address: not read further";
    }
    return "damaged";
}

// The buffer holds one block plus the longest possible frame, so a frame never has to be split.
CDayFileReader::CDayFileReader(std::size_t blockSize)
    : m_buffer(blockSize + 0x10000 + 2), m_blockSize(blockSize) {}

void CDayFileReader::Open(const std::string& path, DayFileReadOptions options) {
    Open(std::make_shared<CInputFile>(path), options);
}

void CDayFileReader::Open(std::shared_ptr<const CInputFile> file, DayFileReadOptions options, std::uint64_t start) {
    m_file = std::move(file);
    m_options = options;
    m_head = m_tail = 0;
    m_readOffset = start;
    m_eof = false;
    m_synchronised = options.synchronised;
    m_resumeSearch = options.search.has_value();
    m_pending.reset();
    m_offset = start;
    m_end = FrameEnd::None;
    m_damage.clear();
    // Frames beyond 4 GiB could not be indexed: such a file is refused whole rather than cut somewhere.
    const std::uint64_t size = FileSize();
    if (size > kLargestIndexOffset) {
        Note(DamageKind::TooLarge, 0, size, -1);
        m_end = FrameEnd::OffsetLimit;
    }
}

void CDayFileReader::Close() { m_file.reset(); }

std::uint64_t CDayFileReader::FileSize() const { return m_file ? IdentityOf(*m_file).size : 0; }

void CDayFileReader::Note(DamageKind kind, std::uint64_t offset, std::uint64_t bytes, int frameLength) {
    m_damage.push_back({kind, offset, bytes, frameLength});
}

// Makes at least `needed` unconsumed bytes available if the file has them; false when it has not.
bool CDayFileReader::Fill(std::size_t needed) {
    while (m_tail - m_head < needed) {
        if (m_eof) return false;
        if (m_head > 0) {
            std::memmove(m_buffer.data(), m_buffer.data() + m_head, m_tail - m_head);
            m_tail -= m_head;
            m_head = 0;
        }
        const std::size_t room = m_buffer.size() - m_tail;
        const std::size_t want = room < m_blockSize ? room : m_blockSize;
        const std::size_t got = m_file->ReadAt(m_readOffset, m_buffer.data() + m_tail, want);
        if (got < want) m_eof = true;  // a file that grows later is read up to this point only
        m_tail += got;
        m_readOffset += got;
    }
    return true;
}

void CDayFileReader::Consume(std::size_t bytes) {
    m_head += bytes;
    m_offset += bytes;
}

CDayFileReader::Chain CDayFileReader::ChainStartsHere() {
    std::size_t at = 0;
    for (int count = 0; count < kRecoveryChain; ++count) {
        if (!Fill(at + format::kFrameLengthBytes)) return count > 0 && m_tail - m_head == at ? Chain::Ends : Chain::Cut;
        const int length = FrameLength(m_buffer.data() + m_head + at);
        if (!IsDecodableLength(length)) return Chain::No;
        if (!Fill(at + static_cast<std::size_t>(length))) return Chain::Cut;
        if (!IsPlausibleFrame(m_buffer.data() + m_head + at, length, m_options.dayStart)) return Chain::No;
        at += static_cast<std::size_t>(length);
    }
    return Chain::Yes;
}

// The bytes from `start` on cannot be judged yet: the walk ends as at an unfinished last frame.
void CDayFileReader::AwaitMore(std::uint64_t start, int lengthFound) {
    Note(DamageKind::IncompleteLastFrame, start, m_offset + (m_tail - m_head) - start, lengthFound);
    m_end = FrameEnd::Truncated;
}

bool CDayFileReader::Resynchronise(int lengthFound, bool truncated) {
    const std::uint64_t start = m_offset;
    Consume(1);
    return Search(start, lengthFound, truncated);
}

// Looks from the current offset for a chain of plausible frames, the damage beginning at `start`. In a file
// that is complete, plausible frames that end exactly at its end are a chain too; in one that may grow, a
// chain the end cuts may yet be whole or broken, and the search waits there for more bytes.
bool CDayFileReader::Search(std::uint64_t start, int lengthFound, bool truncated) {
    std::optional<std::uint64_t> firstCut;
    while (Fill(format::kFrameLengthBytes)) {
        const Chain chain = ChainStartsHere();
        if (chain == Chain::Yes || (chain == Chain::Ends && !m_options.mayGrow)) {
            Note(DamageKind::Resynchronised, start, m_offset - start, lengthFound);
            m_synchronised = true;
            return true;
        }
        if (chain != Chain::No) {
            if (m_options.mayGrow) break;
            if (!firstCut) firstCut = m_offset;
        }
        Consume(1);
    }
    const std::uint64_t rest = m_offset + (m_tail - m_head) - start;
    // A frame cut short is read again from its first byte when its rest comes; any other search goes on.
    if (!truncated) m_pending = PendingSearch{start, lengthFound, firstCut.value_or(m_offset)};
    if (m_options.mayGrow) {
        AwaitMore(start, lengthFound);
        return false;
    }
    // Nothing plausible follows a frame cut short by the end: that was the last frame, not yet complete.
    // Otherwise it is the search that found nothing, not the length that stopped the walk.
    if (truncated) Note(DamageKind::IncompleteLastFrame, start, rest, lengthFound);
    else Note(DamageKind::WalkStopped, start, rest, -1);
    m_end = truncated ? FrameEnd::Truncated : FrameEnd::BadLength;
    return false;
}

bool CDayFileReader::Next(Frame& frame) {
    if (m_resumeSearch && m_end == FrameEnd::None) {
        m_resumeSearch = false;
        const PendingSearch& search = *m_options.search;
        if (!Search(search.damageStart, search.lengthFound, false)) return false;
    }
    while (m_end == FrameEnd::None) {
        if (!Fill(format::kFrameLengthBytes)) {
            if (m_tail > m_head) Note(DamageKind::IncompleteLastFrame, m_offset, m_tail - m_head, -1);
            m_end = FrameEnd::EndOfFile;
            return false;
        }
        const std::uint8_t* head = m_buffer.data() + m_head;
        const int length = FrameLength(head);
        if (length <= format::kFrameLengthBytes) {
            if (m_options.recover) {
                if (Resynchronise(length, false)) continue;
                return false;
            }
            Note(DamageKind::WalkStopped, m_offset, FileSize() - m_offset, length);
            m_end = FrameEnd::BadLength;
            return false;
        }
        if (!Fill(static_cast<std::size_t>(length))) {
            // In a file that may grow, the rest of a frame that may be taken is awaited rather than searched
            // for frames; one of a length no record has is searched after at once.
            if (m_options.recover && m_options.mayGrow && !IsDecodableLength(length)) {
                if (Resynchronise(length, false)) continue;
                return false;
            }
            if (m_options.recover && !m_options.mayGrow) {
                if (Resynchronise(length, true)) continue;
                return false;
            }
            AwaitMore(m_offset, length);
            return false;
        }
        if (m_offset > kLargestIndexOffset) {
            // The file grew past 4 GiB while it was read.
            Note(DamageKind::TooLarge, m_offset, FileSize() - m_offset, -1);
            m_end = FrameEnd::OffsetLimit;
            return false;
        }
        head = m_buffer.data() + m_head;
        if (m_options.recover) {
            const bool taken = m_synchronised ? IsPlausibleFrame(head, length, m_options.dayStart)
                                              : IsDecodableLength(length);
            if (!taken) {
                if (Resynchronise(length, false)) continue;
                return false;
            }
        } else if (!IsDecodableLength(length)) {
            Note(DamageKind::SkippedFrame, m_offset, static_cast<std::uint64_t>(length), length);
        }
        frame.offset = static_cast<std::uint32_t>(m_offset);
        frame.length = length;
        frame.bytes = head + format::kFrameLengthBytes;
        Consume(static_cast<std::size_t>(length));
        return true;
    }
    return false;
}

}  // namespace vyx
