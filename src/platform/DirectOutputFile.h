#pragma once
// An output file written around the page cache (O_DIRECT) where the file system allows it, for a large
// scratch file that is written once and read back only in parts: filling the cache with hundreds of megabytes
// of fresh pages costs more than the whole computation that produces them. Where direct writes are refused
// it is an ordinary file. Not thread-safe; one writer.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vyx {

class CDirectOutputFile {
public:
    CDirectOutputFile() = default;
    ~CDirectOutputFile();  // closes quietly; call Close() to see errors
    CDirectOutputFile(const CDirectOutputFile&) = delete;
    CDirectOutputFile& operator=(const CDirectOutputFile&) = delete;

    // Creates (or empties) the file. Throws CFileError.
    void Open(const std::string& path);
    // Appends; throws CFileError (also where the write fault hook says so).
    void Write(const void* data, std::size_t count);
    // Writes what is left and closes. Throws CFileError.
    void Close();

private:
    static constexpr std::size_t kAlign = 4096;
    static constexpr std::size_t kBufferBytes = std::size_t{1} << 21;

    void WriteOut(std::size_t count);

    int m_fd = -1;
    bool m_direct = false;
    std::string m_path;
    struct Free {
        void operator()(char* p) const;
    };
    std::unique_ptr<char, Free> m_buffer;  // aligned for direct writes
    std::size_t m_used = 0;
};

}  // namespace vyx
