#pragma once
// Runs of the time-ordered load: a day file's accepted records as (time, frame offset) pairs, sorted in
// batches of 10240, written to run files "temp_N.dat" and merged back into one index at the day's end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/File.h"

namespace vyx {

struct RunEntry {
    std::uint32_t time = 0;
    std::uint32_t offset = 0;
    bool operator==(const RunEntry&) const = default;
};

// Sorts by time, then offset: both ascending, or both descending. Entries arrive in file order (offsets
// ascending), so a stable sort on the time alone gives (time, offset) ascending, and reversing that gives
// the descending order. scratch is resized as needed and can be reused between calls.
void SortRun(std::vector<RunEntry>& entries, std::vector<RunEntry>& scratch, bool descending);

// "<folder>/temp_<n>.dat".
std::string RunFilePath(const std::string& tempFolder, int runNumber);

// Creates (or truncates) the run file and writes the entries as little-endian 32-bit pairs.
// Throws CFileError.
void WriteRunFile(const std::string& path, const std::vector<RunEntry>& entries);

// Deletes run files 1..runCount; missing ones are no error.
void DeleteRunFiles(const std::string& tempFolder, int runCount);

// k-way merge of runs 1..R. Ties in the time stamp go to the run chosen last, otherwise to the
// lowest-numbered run; offsets are not compared. The run chosen last is held out of the heap and kept as
// long as no other head beats it, which also makes the common case (runs that barely overlap) cheap.
// A day of millions of records has hundreds of runs, more than a process may have descriptors: each run
// is read in blocks from its saved offset, through a few descriptors opened on demand.
class CRunMerger {
public:
    // Opens every run and reads its first entry; a run whose first read comes short starts exhausted.
    // Throws CFileError.
    CRunMerger(const std::string& tempFolder, int runCount, bool descending);

    // The next entry in merge order; false when every run is exhausted. Throws CFileError.
    bool Next(RunEntry& entry);
    // Closes every run file.
    void Close();
    // How many run files are open at most at any time.
    static constexpr std::size_t kOpenRuns = 16;

private:
    struct Run {
        std::string path;
        std::vector<RunEntry> buffer;
        std::size_t position = 0;  // next unread entry in buffer
        std::size_t count = 0;     // valid entries in buffer
        std::uint64_t fileOffset = 0;
        RunEntry head;
        bool exhausted = false;
    };

    void Advance(Run& run);
    const CInputFile& OpenRun(const Run& run);
    // True when run a's head comes before run b's in merge order, ties broken by the lower run number.
    bool Before(int a, int b) const;
    // Strictly earlier in merge order by the time stamp alone.
    bool Beats(const RunEntry& a, const RunEntry& b) const;
    void PushHeap(int run);
    int PopHeap();

    std::vector<Run> m_runs;
    // Open run files, most recently used last.
    std::vector<std::pair<const Run*, CInputFile>> m_open;
    std::vector<int> m_heap;  // runs that are not exhausted, except the one chosen last
    int m_current = -1;       // the run chosen last, while it is not exhausted
    bool m_descending;
};

}  // namespace vyx
