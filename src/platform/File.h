#pragma once
// Plain POSIX files with errors raised as CFileError. Writes go through a fault seam so tests can
// make any write fail as a full disk would.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vyx {

// Test seam: when set, it is asked before every write with the file's path and the byte count; a non-zero
// return is taken as the error number of a failed write. Set from tests only, never while files are written.
using WriteFaultHook = std::function<int(const std::string& path, std::size_t bytes)>;
void SetWriteFaultHook(WriteFaultHook hook);
// What the hook answers for a write (0 when none is set); for writers that do not go through COutputFile.
int WriteFaultFor(const std::string& path, std::size_t bytes);
// Writes all of data at offset of the open file fd (path names it in errors), through the fault seam. Throws
// CFileError.
void WriteAllAt(int fd, const std::string& path, std::uint64_t offset, const void* data, std::size_t size);

// A file opened for reading; reads at explicit offsets, so one handle may serve several readers in turn.
class CInputFile {
public:
    CInputFile() = default;
    explicit CInputFile(const std::string& path) { Open(path); }
    CInputFile(CInputFile&& other) noexcept;
    CInputFile& operator=(CInputFile&& other) noexcept;
    CInputFile(const CInputFile&) = delete;
    CInputFile& operator=(const CInputFile&) = delete;
    ~CInputFile();

    void Open(const std::string& path);  // throws CFileError
    bool TryOpen(const std::string& path);  // false instead of throwing
    bool IsOpen() const { return m_fd >= 0; }
    void Close();
    // Another handle on the same open file, not on the name: it reads the same bytes even after the name
    // has been given to another file. It shares the read position, so only ReadAt suits both. Throws
    // CFileError.
    CInputFile Duplicate() const;

    // Reads up to count bytes at offset; returns the bytes read (short at the end of the file).
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const;
    // Reads up to count bytes from the current position; returns the bytes read.
    std::size_t Read(void* buffer, std::size_t count);
    const std::string& Path() const { return m_path; }
    int Descriptor() const { return m_fd; }

private:
    int m_fd = -1;
    std::string m_path;
};

// A file opened for writing (created or truncated), with an optional write buffer.
class COutputFile {
public:
    COutputFile() = default;
    COutputFile(const std::string& path, std::size_t bufferSize = 0) { Open(path, bufferSize); }
    COutputFile(COutputFile&& other) noexcept;
    COutputFile& operator=(COutputFile&& other) noexcept;
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;
    ~COutputFile();  // closes quietly; call Close() to see errors

    void Open(const std::string& path, std::size_t bufferSize = 0);  // throws CFileError
    // Opens an existing file to write at its end, keeping what it holds. Throws CFileError.
    void OpenForAppend(const std::string& path, std::size_t bufferSize = 0);
    bool IsOpen() const { return m_fd >= 0; }
    void Write(const void* data, std::size_t count);  // throws CFileError
    void Write(const std::string& text) { Write(text.data(), text.size()); }
    void Flush();  // throws CFileError
    void Close();  // flushes, then closes; throws CFileError
    const std::string& Path() const { return m_path; }
    std::uint64_t BytesWritten() const { return m_written; }

private:
    void OpenWith(const std::string& path, int flags, std::size_t bufferSize);
    void WriteThrough(const void* data, std::size_t count);

    int m_fd = -1;
    std::string m_path;
    std::vector<char> m_buffer;
    std::size_t m_used = 0;
    std::uint64_t m_written = 0;
};

// Deletes a file; a missing file is no error. Returns false on any other failure.
bool DeleteFile(const std::string& path);
bool FileExists(const std::string& path);
// The file a chain of links ends at (the path itself when it is no link), also when that file does not exist
// yet: writing to the name creates it there.
std::string LinkTarget(std::string path);

}  // namespace vyx
