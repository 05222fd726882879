#include "controller/ParallelFind.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "controller/FastRecordMatcher.h"
#include "controller/RecordRunReader.h"
#include "logdata/RecordDatabase.h"

namespace vyx {
namespace {

// Blocks done ahead of the one handed over next: bounds what waits in memory when handing over is slow.
constexpr std::int64_t kBlocksAhead = 8;
// Cancel is looked at this often within a block.
constexpr std::int64_t kCancelCheckEvery = 4096;

struct Block {
    bool done = false;
    std::vector<FindMatch> matches;
    std::int64_t examined = 0;
    std::exception_ptr error;
};

}  // namespace

CParallelFind::CParallelFind(const CRecordDatabase& store, CRecordMatcher matcher, int threads,
                             std::int64_t blockSerials)
    : m_store(store), m_matcher(std::move(matcher)), m_threads(threads), m_blockSerials(std::max<std::int64_t>(blockSerials, 1)) {
    if (m_threads <= 0) {
        m_threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    }
}

std::optional<FindMatch> CParallelFind::First(std::int64_t lo, std::int64_t hi, const std::atomic<bool>& cancel,
                                              const Progress& progress) {
    return Run(lo, hi, Goal::First, cancel, {}, progress);
}

std::optional<FindMatch> CParallelFind::Last(std::int64_t lo, std::int64_t hi, const std::atomic<bool>& cancel,
                                             const Progress& progress) {
    return Run(lo, hi, Goal::Last, cancel, {}, progress);
}

void CParallelFind::All(std::int64_t lo, std::int64_t hi, const std::atomic<bool>& cancel, const Deliver& deliver,
                        const Progress& progress) {
    Run(lo, hi, Goal::All, cancel, deliver, progress);
}

std::optional<FindMatch> CParallelFind::Run(std::int64_t lo, std::int64_t hi, Goal goal,
                                            const std::atomic<bool>& cancel, const Deliver& deliver,
                                            const Progress& progress) {
    if (hi < lo) return std::nullopt;
    const std::int64_t blockCount = (hi - lo) / m_blockSerials + 1;
    // Block j in search order: from the top down when the last match is sought.
    const auto bounds = [&](std::int64_t j, std::int64_t& first, std::int64_t& last) {
        if (goal == Goal::Last) {
            last = hi - j * m_blockSerials;
            first = std::max(lo, last - m_blockSerials + 1);
        } else {
            first = lo + j * m_blockSerials;
            last = std::min(hi, first + m_blockSerials - 1);
        }
    };
    const std::uint8_t baseAddress = m_store.Settings().modbusBaseAddress;

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Block> blocks(static_cast<std::size_t>(blockCount));
    std::int64_t next = 0;       // the next block to take
    std::int64_t handedOver = 0;  // blocks whose results were taken
    std::int64_t stopAfter = INT64_MAX;  // no block past one with a match (or an error) is needed
    bool abandon = false;

    const auto scan = [&](CRecordRunReader& reader, CFastRecordMatcher& matcher, std::int64_t j, Block& block) {
        std::int64_t first = 0;
        std::int64_t last = 0;
        bounds(j, first, last);
        block.examined = last - first + 1;
        std::int64_t visited = 0;
        try {
            reader.ReadRun(first, last, [&](std::int64_t serial, const std::uint8_t* record, int n) {
                if (++visited % kCancelCheckEvery == 0 && cancel.load(std::memory_order_relaxed)) return false;
                const int column = matcher.Match(serial, record, n);
                if (column == kNoMatch) return true;
                if (goal == Goal::Last) {
                    block.matches.assign(1, FindMatch{serial, column});
                    return true;
                }
                block.matches.push_back(FindMatch{serial, column});
                if (goal == Goal::First) {
                    block.examined = serial - first + 1;
                    return false;
                }
                return true;
            });
        } catch (...) {
            block.error = std::current_exception();
        }
    };
    // Takes blocks until none is left or needed; the calling thread also hands results over.
    const auto work = [&](bool caller) {
        CRecordRunReader reader(m_store);
        CFastRecordMatcher matcher(m_matcher, baseAddress);
        std::optional<FindMatch> found;
        std::unique_lock lock(mutex);
        for (;;) {
            if (caller) {
                // A cancelled find hands nothing more over; the helpers see abandon once this returns.
                if (cancel.load(std::memory_order_relaxed)) return std::pair{found, std::exception_ptr{}};
                // Hand over what is done, in order.
                while (!abandon && handedOver < blockCount && blocks[static_cast<std::size_t>(handedOver)].done) {
                    Block block = std::move(blocks[static_cast<std::size_t>(handedOver)]);
                    ++handedOver;
                    changed.notify_all();
                    lock.unlock();
                    try {
                        if (goal == Goal::All && !block.matches.empty()) deliver(block.matches);
                        if (progress) progress(std::min(handedOver * m_blockSerials, hi - lo + 1));
                    } catch (...) {
                        block.error = std::current_exception();
                    }
                    lock.lock();
                    if (block.error) {
                        abandon = true;
                        changed.notify_all();
                        lock.unlock();
                        return std::pair{found, block.error};
                    }
                    if (goal != Goal::All && !block.matches.empty()) {
                        found = block.matches.front();
                        abandon = true;
                        changed.notify_all();
                        return std::pair{found, std::exception_ptr{}};
                    }
                }
                if (abandon || handedOver >= blockCount) return std::pair{found, std::exception_ptr{}};
            }
            const bool cancelled = cancel.load(std::memory_order_relaxed);
            const bool noneLeft = next >= blockCount || next > stopAfter || cancelled;
            // A cancel wakes no one: the caller that sees it must not wait for blocks nobody will scan.
            if (abandon || ((!caller || cancelled) && noneLeft)) return std::pair{found, std::exception_ptr{}};
            if (noneLeft || next - handedOver >= kBlocksAhead) {
                changed.wait(lock);
                continue;
            }
            const std::int64_t j = next++;
            lock.unlock();
            Block block;
            scan(reader, matcher, j, block);
            lock.lock();
            if (goal != Goal::All && (!block.matches.empty() || block.error)) stopAfter = std::min(stopAfter, j);
            block.done = true;
            blocks[static_cast<std::size_t>(j)] = std::move(block);
            changed.notify_all();
        }
    };

    std::vector<std::thread> helpers;
    const int helperCount = blockCount > 1 ? m_threads - 1 : 0;
    for (int i = 0; i < helperCount; ++i) helpers.emplace_back([&] { work(false); });
    auto [found, error] = work(true);
    {
        std::lock_guard lock(mutex);
        abandon = true;
    }
    changed.notify_all();
    for (std::thread& helper : helpers) helper.join();
    if (error) std::rethrow_exception(error);
    if (cancel.load()) return std::nullopt;
    return found;
}

}  // namespace vyx
