#pragma once
// Open files of the record store, behind a small cache: a folder of ten years holds thousands of day files,
// and a process may have as few as 256 descriptors. Files are opened on demand; a day file opened again
// must still be the file the load read (same device and inode, not shorter), or its records are refused
// rather than taken from another file.

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "platform/File.h"
#include "platform/FileError.h"

namespace vyx {

// What a reader may expect of a file when it opens it again. A zero device and inode mean "unknown".
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;  // the file held at least this many bytes when it was read

    bool Known() const { return device != 0 || inode != 0; }
};

// The identity of an open file (its size now). Throws CFileError.
FileIdentity IdentityOf(const CInputFile& file);

// Thrown when a file opened again is not the file that was read, or is shorter.
class CFileChanged : public CVyxError {
public:
    CFileChanged(const std::string& path, bool replaced);
    bool Replaced() const { return m_replaced; }

private:
    bool m_replaced;
};

class CFileHandleCache {
public:
    explicit CFileHandleCache(std::size_t capacity = CapacityForThisProcess());
    CFileHandleCache(const CFileHandleCache&) = delete;
    CFileHandleCache& operator=(const CFileHandleCache&) = delete;

    // An open handle on path. A handle already in the cache is returned as it is (it reads the file that
    // was opened, whatever the name names now); a file opened anew is checked against `expected` when
    // that is known, and kept in the cache when `keep` is set (readers that walk one file after another
    // keep their own handle instead). The handle stays usable after it leaves the cache. Throws
    // CFileError, CFileChanged.
    std::shared_ptr<const CInputFile> Open(const std::string& path, const FileIdentity& expected = {},
                                           bool keep = true);
    // Drops the cached handle of path, if any (its file is about to be rewritten or is gone).
    void Forget(const std::string& path);
    void Clear();
    std::size_t Size() const;

    // A share of the descriptors this process may open (an eighth, 4 to 32), read when the cache is made.
    static std::size_t CapacityForThisProcess();
    static constexpr std::size_t kDefaultCapacity = 32;

private:
    struct Entry {
        std::string path;
        std::shared_ptr<const CInputFile> file;
    };

    mutable std::mutex m_mutex;
    std::size_t m_capacity;
    std::list<Entry> m_entries;  // most recently used first
};

}  // namespace vyx
