#pragma once
// The disk side of a file written once from its start to its end (an export of gigabytes): space reserved
// ahead in large steps, so the file system does not allocate at every write, and the written bytes sent to
// the disk behind the writer and dropped from the page cache, so the closing fsync has little left to do and
// the output does not push the data folder out of memory. Advice only: a file that cannot take it (a pipe,
// a file system without these calls) is written as usual.

#include <cstddef>
#include <cstdint>

namespace vyx {

class CSequentialFileSpace {
public:
    CSequentialFileSpace() = default;
    // For the descriptor of a regular file, empty and written from offset 0 on; anything else is left alone.
    explicit CSequentialFileSpace(int fd);

    // Before count more bytes are written at the end.
    void Reserve(std::size_t count) noexcept;
    // After they are written.
    void Written(std::size_t count) noexcept;
    // Gives back the space reserved past the end; before the file is closed.
    void Release() noexcept;

    static constexpr std::uint64_t kReserveStep = std::uint64_t{64} << 20;
    static constexpr std::uint64_t kWindow = std::uint64_t{16} << 20;

private:
    int m_fd = -1;
    std::uint64_t m_end = 0;       // bytes written
    std::uint64_t m_reserved = 0;  // space reserved up to here
    std::uint64_t m_started = 0;   // writeback started up to here (whole windows)
    bool m_reserving = false;
};

}  // namespace vyx
