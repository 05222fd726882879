#pragma once
// Pairs of numbers (an index key and its rowid) sorted in a fixed amount of memory, whatever their count:
// they gather in a chunk; a full chunk is sorted and goes to a temporary file as a run (or lengthens the last
// run, when it follows on from it, as pairs that come in order do), and the runs are merged when the pairs
// are read back.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vyx {

class CPairSorter {
public:
    struct Pair {
        std::int64_t key = 0;
        std::int64_t rowid = 0;
        friend auto operator<=>(const Pair&, const Pair&) = default;
    };
    // The runs go to an unnamed file in folder.
    static constexpr std::size_t kChunkPairs = std::size_t{1} << 19;  // 8 MB
    explicit CPairSorter(std::string folder, std::size_t chunkPairs = kChunkPairs);
    ~CPairSorter();
    CPairSorter(const CPairSorter&) = delete;
    CPairSorter& operator=(const CPairSorter&) = delete;

    void Add(std::int64_t key, std::int64_t rowid) {
        m_chunk.push_back({key, rowid});
        if (m_chunk.size() == m_chunkPairs) Spill();
    }
    // Hands every pair added to visit, in ascending order (by key, then rowid); once. Throws CFileError.
    void Drain(const std::function<void(const Pair&)>& visit);

    // Runs merged at once; more are merged in rounds, so memory stays the same.
    static constexpr std::size_t kMergeWays = 64;

private:
    struct Run {
        std::uint64_t first = 0;  // in pairs, in the file
        std::uint64_t count = 0;
    };
    void Spill();
    void Write(const Pair* pairs, std::size_t count);
    void Merge(const std::vector<Run>& runs, const std::function<void(const Pair&)>& visit);
    void OpenFile();

    std::string m_folder;
    std::size_t m_chunkPairs;
    std::vector<Pair> m_chunk;
    std::vector<Run> m_runs;
    Pair m_lastSpilled;  // the largest pair in the file's last run
    std::uint64_t m_filePairs = 0;  // pairs in the file
    int m_fd = -1;
    std::string m_name;  // for messages
};

}  // namespace vyx
