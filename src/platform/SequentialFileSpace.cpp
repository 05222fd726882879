#include "platform/SequentialFileSpace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vyx {

CSequentialFileSpace::CSequentialFileSpace(int fd) {
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size != 0) return;
    m_fd = fd;
    m_reserving = true;
}

void CSequentialFileSpace::Reserve(std::size_t count) noexcept {
    if (!m_reserving || m_end + count <= m_reserved) return;
#ifdef __linux__
    // Kept past the end of the file until written; a full disk or a file system without it ends the
    // reservation, and the writes then report what they meet.
    const std::uint64_t until = m_end + count + kReserveStep;
    if (::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(m_reserved),
                    static_cast<off_t>(until - m_reserved)) == 0) {
        m_reserved = until;
        return;
    }
#endif
    m_reserving = false;
}

void CSequentialFileSpace::Written(std::size_t count) noexcept {
    if (m_fd < 0) return;
    m_end += count;
#ifdef __linux__
    while (m_end >= m_started + kWindow) {
        // This window goes to the disk now; the one before it has had a window's time and is waited for,
        // then dropped from the cache. At most two windows are dirty at a time.
        ::sync_file_range(m_fd, static_cast<off_t>(m_started), static_cast<off_t>(kWindow), SYNC_FILE_RANGE_WRITE);
        if (m_started >= kWindow) {
            const auto before = static_cast<off_t>(m_started - kWindow);
            ::sync_file_range(m_fd, before, static_cast<off_t>(kWindow),
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
            ::posix_fadvise(m_fd, before, static_cast<off_t>(kWindow), POSIX_FADV_DONTNEED);
        }
        m_started += kWindow;
    }
#endif
}

void CSequentialFileSpace::Release() noexcept {
    if (m_fd < 0) return;
    if (m_reserved > m_end) {
        // Cutting the file at its own length frees the blocks reserved beyond it.
        struct stat status {};
        if (::fstat(m_fd, &status) == 0) (void)::ftruncate(m_fd, status.st_size);
    }
    m_fd = -1;
    m_reserving = false;
}

}  // namespace vyx
