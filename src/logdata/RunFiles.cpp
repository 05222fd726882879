#include "logdata/RunFiles.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "logdata/DayFileFormat.h"

namespace vyx {
namespace {

static_assert(sizeof(RunEntry) == format::kRunEntryBytes);

std::uint32_t ToLittleEndian(std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::little) {
        return v;
    } else {
        return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
    }
}

// Merge buffers share about this much memory whatever the number of runs.
constexpr std::size_t kMergeBufferBytes = 4u << 20;
constexpr std::size_t kMinEntriesPerRun = 64;
constexpr std::size_t kMaxEntriesPerRun = 1024;

}  // namespace

void SortRun(std::vector<RunEntry>& entries, std::vector<RunEntry>& scratch, bool descending) {
    const std::size_t n = entries.size();
    if (n > 1) {
        // LSD radix sort on the time stamp relative to the run's smallest one. The stamps of one day span
        // less than 2^17 seconds, so two passes of 9 bits usually cover them; wider spans take more passes.
        std::uint32_t low = entries[0].time;
        std::uint32_t high = low;
        for (const RunEntry& e : entries) {
            low = std::min(low, e.time);
            high = std::max(high, e.time);
        }
        const std::uint32_t span = high - low;
        constexpr int kBits = 9;
        constexpr std::uint32_t kMask = (1u << kBits) - 1;
        scratch.resize(n);
        RunEntry* from = entries.data();
        RunEntry* to = scratch.data();
        for (int shift = 0; shift < 32 && (span >> shift) != 0; shift += kBits) {
            std::array<std::uint32_t, kMask + 1> counts{};
            for (std::size_t i = 0; i < n; ++i) ++counts[((from[i].time - low) >> shift) & kMask];
            std::uint32_t sum = 0;
            for (auto& c : counts) {
                const std::uint32_t here = c;
                c = sum;
                sum += here;
            }
            for (std::size_t i = 0; i < n; ++i) to[counts[((from[i].time - low) >> shift) & kMask]++] = from[i];
            std::swap(from, to);
        }
        if (from != entries.data()) std::memcpy(entries.data(), from, n * sizeof(RunEntry));
    }
    if (descending) std::reverse(entries.begin(), entries.end());
}

std::string RunFilePath(const std::string& tempFolder, int runNumber) {
    return tempFolder + "/" + format::kRunFilePrefix + std::to_string(runNumber) + format::kRunFileSuffix;
}

void WriteRunFile(const std::string& path, const std::vector<RunEntry>& entries) {
    COutputFile file(path);
    if constexpr (std::endian::native == std::endian::little) {
        file.Write(entries.data(), entries.size() * sizeof(RunEntry));
    } else {
        std::vector<RunEntry> copy(entries);
        for (auto& e : copy) e = {ToLittleEndian(e.time), ToLittleEndian(e.offset)};
        file.Write(copy.data(), copy.size() * sizeof(RunEntry));
    }
    file.Close();
}

void DeleteRunFiles(const std::string& tempFolder, int runCount) {
    for (int run = 1; run <= runCount; ++run) DeleteFile(RunFilePath(tempFolder, run));
}

CRunMerger::CRunMerger(const std::string& tempFolder, int runCount, bool descending) : m_descending(descending) {
    const std::size_t runs = runCount > 0 ? static_cast<std::size_t>(runCount) : 0;
    const std::size_t perRun = std::clamp(kMergeBufferBytes / format::kRunEntryBytes / std::max<std::size_t>(runs, 1),
                                          kMinEntriesPerRun, kMaxEntriesPerRun);
    m_runs.resize(runs);
    m_heap.reserve(runs);
    for (std::size_t i = 0; i < runs; ++i) {
        Run& run = m_runs[i];
        run.path = RunFilePath(tempFolder, static_cast<int>(i) + 1);
        run.buffer.resize(perRun);
        Advance(run);
        if (!run.exhausted) PushHeap(static_cast<int>(i));
    }
}

const CInputFile& CRunMerger::OpenRun(const Run& run) {
    for (std::size_t i = 0; i < m_open.size(); ++i) {
        if (m_open[i].first != &run) continue;
        if (i + 1 != m_open.size()) std::rotate(m_open.begin() + static_cast<std::ptrdiff_t>(i),
                                                m_open.begin() + static_cast<std::ptrdiff_t>(i) + 1, m_open.end());
        return m_open.back().second;
    }
    if (m_open.size() == kOpenRuns) m_open.erase(m_open.begin());
    m_open.emplace_back(&run, CInputFile(run.path));
    return m_open.back().second;
}

void CRunMerger::Advance(Run& run) {
    if (run.position == run.count) {
        const std::size_t bytes =
            OpenRun(run).ReadAt(run.fileOffset, run.buffer.data(), run.buffer.size() * sizeof(RunEntry));
        // A partial entry at the end can only come from a damaged file; it ends the run.
        run.count = bytes / sizeof(RunEntry);
        run.position = 0;
        run.fileOffset += run.count * sizeof(RunEntry);
        if (run.count == 0) {
            run.exhausted = true;
            return;
        }
    }
    const RunEntry& e = run.buffer[run.position++];
    run.head = {ToLittleEndian(e.time), ToLittleEndian(e.offset)};
}

bool CRunMerger::Beats(const RunEntry& a, const RunEntry& b) const {
    return m_descending ? a.time > b.time : a.time < b.time;
}

bool CRunMerger::Before(int a, int b) const {
    const RunEntry& x = m_runs[static_cast<std::size_t>(a)].head;
    const RunEntry& y = m_runs[static_cast<std::size_t>(b)].head;
    if (x.time != y.time) return Beats(x, y);
    return a < b;
}

void CRunMerger::PushHeap(int run) {
    m_heap.push_back(run);
    std::push_heap(m_heap.begin(), m_heap.end(), [this](int a, int b) { return Before(b, a); });
}

int CRunMerger::PopHeap() {
    std::pop_heap(m_heap.begin(), m_heap.end(), [this](int a, int b) { return Before(b, a); });
    const int run = m_heap.back();
    m_heap.pop_back();
    return run;
}

bool CRunMerger::Next(RunEntry& entry) {
    int chosen = m_current;
    if (chosen >= 0) {
        // The run chosen last keeps its turn unless another head is strictly earlier.
        if (!m_heap.empty() && Beats(m_runs[static_cast<std::size_t>(m_heap.front())].head,
                                     m_runs[static_cast<std::size_t>(chosen)].head)) {
            PushHeap(chosen);
            chosen = PopHeap();
        }
    } else {
        if (m_heap.empty()) return false;
        chosen = PopHeap();
    }
    Run& run = m_runs[static_cast<std::size_t>(chosen)];
    entry = run.head;
    Advance(run);
    m_current = run.exhausted ? -1 : chosen;
    return true;
}

void CRunMerger::Close() { m_open.clear(); }

}  // namespace vyx
