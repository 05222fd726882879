#pragma once
// A find over a range of serial numbers on every core that helps: the range is cut into blocks, which the
// threads take in search order, each with its own reader and matcher; the blocks' results are taken in that
// order on the calling thread, so the first match, the last one, or the list of all of them are exactly
// what one thread reading record after record would give.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "controller/RecordMatcher.h"

namespace vyx {

class CRecordDatabase;

struct FindMatch {
    std::int64_t serial = -1;
    int column = -1;  // a RecordColumn value, or kDetailRowsMatch
    bool operator==(const FindMatch&) const = default;
};

class CParallelFind {
public:
    using Progress = std::function<void(std::int64_t examined)>;
    using Deliver = std::function<void(const std::vector<FindMatch>& matches)>;

    // matcher: a Text or Bytes matcher. threads: how many may read at once (0: as many as the machine has
    // cores, at most four). blockSerials: see kBlockSerials. The store must not be reset or reloaded while a
    // find runs.
    CParallelFind(const CRecordDatabase& store, CRecordMatcher matcher, int threads = 0,
                  std::int64_t blockSerials = kBlockSerials);

    // The first match in lo..hi, or the last one; nothing when there is none or cancel was set. progress
    // (may be empty) hears the serial numbers looked at so far, on the calling thread, after every block.
    // Throws CRecordUnreadable or CFileError when a record before the match cannot be read.
    std::optional<FindMatch> First(std::int64_t lo, std::int64_t hi, const std::atomic<bool>& cancel,
                                   const Progress& progress = {});
    std::optional<FindMatch> Last(std::int64_t lo, std::int64_t hi, const std::atomic<bool>& cancel,
                                  const Progress& progress = {});
    // Every match in lo..hi, in increasing serial order, handed to deliver a block at a time on the calling
    // thread (blocks without a match are not handed over). Ends early once cancel is set. An exception of
    // deliver ends the find and is passed on.
    void All(std::int64_t lo, std::int64_t hi, const std::atomic<bool>& cancel, const Deliver& deliver,
             const Progress& progress = {});

    // Serial numbers per block: small enough for a quick first match, large enough to read in big pieces.
    static constexpr std::int64_t kBlockSerials = 32768;

private:
    enum class Goal { First, Last, All };
    std::optional<FindMatch> Run(std::int64_t lo, std::int64_t hi, Goal goal, const std::atomic<bool>& cancel,
                                 const Deliver& deliver, const Progress& progress);

    const CRecordDatabase& m_store;
    CRecordMatcher m_matcher;
    int m_threads;
    std::int64_t m_blockSerials;
};

}  // namespace vyx
