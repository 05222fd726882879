#include "export/PairSorter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <queue>

#include "platform/File.h"
#include "platform/FileError.h"

namespace vyx {

namespace {

// Pairs read from a run at once while merging.
constexpr std::size_t kReadPairs = 4096;

}  // namespace

CPairSorter::CPairSorter(std::string folder, std::size_t chunkPairs)
    : m_folder(std::move(folder)), m_chunkPairs(std::max<std::size_t>(chunkPairs, 1)) {
    m_chunk.reserve(m_chunkPairs);
}

CPairSorter::~CPairSorter() {
    if (m_fd >= 0) ::close(m_fd);
}

void CPairSorter::OpenFile() {
    if (m_fd >= 0) return;
    std::string pattern = m_folder + "/.vyx-sort-XXXXXX";
    m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (m_fd < 0) throw CFileError(errno, pattern);
    m_name = pattern;
    ::unlink(pattern.c_str());  // gone with the descriptor, whatever ends the export
}

void CPairSorter::Write(const Pair* pairs, std::size_t count) {
    if (count == 0) return;
    OpenFile();
    WriteAllAt(m_fd, m_name, m_filePairs * sizeof(Pair), pairs, count * sizeof(Pair));
    m_filePairs += count;
}

void CPairSorter::Spill() {
    if (m_chunk.empty()) return;
    if (!std::is_sorted(m_chunk.begin(), m_chunk.end())) std::sort(m_chunk.begin(), m_chunk.end());
    // Pairs in order make one run, however many chunks they fill.
    const bool follows = !m_runs.empty() && m_runs.back().first + m_runs.back().count == m_filePairs &&
                         !(m_chunk.front() < m_lastSpilled);
    if (!follows) m_runs.push_back({m_filePairs, 0});
    Write(m_chunk.data(), m_chunk.size());
    m_runs.back().count += m_chunk.size();
    m_lastSpilled = m_chunk.back();
    m_chunk.clear();
}

void CPairSorter::Merge(const std::vector<Run>& runs, const std::function<void(const Pair&)>& visit) {
    struct Reader {
        Run left;
        std::vector<Pair> pairs;
        std::size_t at = 0;
    };
    std::vector<Reader> readers(runs.size());
    const auto refill = [&](Reader& r) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(r.left.count, kReadPairs));
        r.pairs.resize(count);
        r.at = 0;
        const std::size_t size = count * sizeof(Pair);
        auto* bytes = reinterpret_cast<char*>(r.pairs.data());
        std::uint64_t offset = r.left.first * sizeof(Pair);
        for (std::size_t got = 0; got < size;) {
            const ssize_t done = ::pread(m_fd, bytes + got, size - got, static_cast<off_t>(offset + got));
            if (done < 0 && errno == EINTR) continue;
            if (done <= 0) throw CFileError(done < 0 ? errno : EIO, m_name);
            got += static_cast<std::size_t>(done);
        }
        r.left.first += count;
        r.left.count -= count;
        return count > 0;
    };
    using Head = std::pair<Pair, std::size_t>;  // the smallest unread pair of a run, and the run
    std::priority_queue<Head, std::vector<Head>, std::greater<>> heads;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        readers[i].left = runs[i];
        if (refill(readers[i])) heads.push({readers[i].pairs[0], i});
    }
    while (!heads.empty()) {
        const std::size_t i = heads.top().second;
        visit(heads.top().first);
        heads.pop();
        Reader& r = readers[i];
        if (++r.at < r.pairs.size() || refill(r)) heads.push({r.pairs[r.at], i});
    }
}

void CPairSorter::Drain(const std::function<void(const Pair&)>& visit) {
    if (m_runs.empty()) {
        std::sort(m_chunk.begin(), m_chunk.end());
        for (const Pair& pair : m_chunk) visit(pair);
        m_chunk.clear();
        return;
    }
    Spill();
    // Rounds of merges into longer runs at the end of the file, until one merge takes the rest. The first round
    // takes only as many runs as leave the later ones full, so no pair is rewritten for nothing.
    for (std::size_t ways = (m_runs.size() - 2) % (kMergeWays - 1) + 2; m_runs.size() > kMergeWays;
         ways = kMergeWays) {
        const auto end = m_runs.begin() + static_cast<std::ptrdiff_t>(ways);
        const std::vector<Run> group(m_runs.begin(), end);
        m_runs.erase(m_runs.begin(), end);
        const Run merged{m_filePairs, 0};
        std::vector<Pair> out;
        out.reserve(kReadPairs);
        Merge(group, [&](const Pair& pair) {
            out.push_back(pair);
            if (out.size() == kReadPairs) {
                Write(out.data(), out.size());
                out.clear();
            }
        });
        Write(out.data(), out.size());
        m_runs.push_back({merged.first, m_filePairs - merged.first});
    }
    Merge(m_runs, visit);
    m_runs.clear();
}

}  // namespace vyx
