#pragma once
// Reads the frames of a day file in large blocks, noting every place where the walk stopped early, jumped
// or (in recovery mode) resynchronised.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "logdata/DayFileDamage.h"
#include "platform/File.h"

namespace vyx {

struct Frame {
    std::uint32_t offset = 0;             // offset of the frame's length field in the file
    int length = 0;                       // L, counting the two length bytes
    const std::uint8_t* bytes = nullptr;  // the L - 2 record bytes; valid until the next call

    int RecordSize() const { return length - 2; }
    // Only frames of 7..302 bytes are decoded; others are skipped.
    bool IsDecodable() const;
};

// Why reading a day file ended.
enum class FrameEnd {
    None,         // still reading
    EndOfFile,    // fewer than 2 bytes of length remained (a clean end when none remained)
    BadLength,    // a length of 2 or less
    Truncated,    // fewer record bytes than the length announced
    OffsetLimit,  // the file is (or grew) larger than a 32-bit index offset can address
};

// A search for plausible frames after damage that the end of the file left open: every place before `resume`
// was ruled out by bytes already there, so the search goes on from it once the file has grown.
struct PendingSearch {
    std::uint64_t damageStart = 0;  // the damaged frame the search began at
    int lengthFound = 0;            // its length field
    std::uint64_t resume = 0;
};

struct DayFileReadOptions {
    // Where the walk would stop or jump, look for the next offset where at least kRecoveryChain plausible
    // frames follow one another (or plausible frames run to the end of the file), and go on from there;
    // after that, every frame must be plausible.
    bool recover = false;
    std::uint32_t dayStart = 0;  // the day file's own day, for the plausibility of time stamps
    // A walk resumed where an earlier one of the same file stopped goes on as that one had come to read:
    // after a resynchronisation, every frame must be plausible.
    bool synchronised = false;
    // The file may still be growing (it is followed): where judging the bytes would need more than the file
    // holds yet (a frame cut short, a chain of plausible frames not yet whole), the walk ends there as at an
    // unfinished last frame, to be read again from that place once the file has grown or been quiet.
    bool mayGrow = false;
    // Go on with this search first; the walk is opened at its resume offset.
    std::optional<PendingSearch> search{};
};

class CDayFileReader {
public:
    explicit CDayFileReader(std::size_t blockSize = 1 << 20);

    void Open(const std::string& path, DayFileReadOptions options = {});  // throws CFileError
    // Reads the open file from `start` (a frame's first byte) with positioned reads; the handle may be shared
    // with others. A follow starts where the last walk of the file stopped.
    void Open(std::shared_ptr<const CInputFile> file, DayFileReadOptions options = {}, std::uint64_t start = 0);
    void Close();
    // The next whole frame: without recovery decodable or not, with recovery only the ones taken as
    // records. False when reading has ended (see EndReason). Throws CFileError when a read fails.
    bool Next(Frame& frame);
    FrameEnd EndReason() const { return m_end; }
    // Recovery has resynchronised in this file, in this walk or the one it resumed.
    bool Synchronised() const { return m_synchronised; }
    // Offset of the next frame, i.e. of the first byte not yet consumed.
    std::uint64_t Offset() const { return m_offset; }
    // The search the walk ended in, left open by the end of the file (not after a frame cut short).
    const std::optional<PendingSearch>& Pending() const { return m_pending; }
    // The damage met in this file so far, in file order.
    const std::vector<DayFileDamage>& Damage() const { return m_damage; }

    static constexpr int kRecoveryChain = 8;

private:
    bool Fill(std::size_t needed);
    std::uint64_t FileSize() const;
    // Consumes bytes from the current offset until a chain of plausible frames begins; false when none
    // does before the end of the file, which then ends the walk.
    bool Resynchronise(int lengthFound, bool truncated);
    bool Search(std::uint64_t start, int lengthFound, bool truncated);
    // Cut: the file ends before the chain is whole or broken; Ends: plausible frames run exactly to the end.
    enum class Chain { No, Yes, Cut, Ends };
    Chain ChainStartsHere();
    void AwaitMore(std::uint64_t start, int lengthFound);
    void Consume(std::size_t bytes);
    void Note(DamageKind kind, std::uint64_t offset, std::uint64_t bytes, int frameLength);

    std::shared_ptr<const CInputFile> m_file;
    DayFileReadOptions m_options;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_blockSize;
    std::size_t m_head = 0;  // first unconsumed byte in m_buffer
    std::size_t m_tail = 0;  // one past the last valid byte in m_buffer
    std::uint64_t m_readOffset = 0;  // file offset of the byte at m_tail
    bool m_eof = false;
    bool m_synchronised = false;  // recovery has resynchronised in this file
    bool m_resumeSearch = false;  // the walk begins with the pending search of its options
    std::optional<PendingSearch> m_pending;
    std::uint64_t m_offset = 0;
    FrameEnd m_end = FrameEnd::None;
    std::vector<DayFileDamage> m_damage;
};

}  // namespace vyx
