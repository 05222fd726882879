#include "platform/DirectOutputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/File.h"
#include "platform/FileError.h"

namespace vyx {

void CDirectOutputFile::Free::operator()(char* p) const {
    std::free(p);
}

CDirectOutputFile::~CDirectOutputFile() {
    if (m_fd >= 0) ::close(m_fd);
}

void CDirectOutputFile::Open(const std::string& path) {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_path = path;
    m_used = 0;
    if (!m_buffer) {
        m_buffer.reset(static_cast<char*>(std::aligned_alloc(kAlign, kBufferBytes)));
        if (!m_buffer) throw std::bad_alloc();
    }
    // O_NOFOLLOW: never write through a link someone planted under our name.
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW;
    m_fd = ::open(path.c_str(), flags | O_DIRECT, 0600);
    m_direct = m_fd >= 0;
    if (m_fd < 0 && errno == EINVAL) m_fd = ::open(path.c_str(), flags, 0600);  // no direct writes here
    if (m_fd < 0) throw CFileError(errno, path);
}

void CDirectOutputFile::Write(const void* data, std::size_t count) {
    if (m_fd < 0) throw CFileError(EBADF, m_path);
    if (const int fault = WriteFaultFor(m_path, count)) throw CFileError(fault, m_path);
    const char* in = static_cast<const char*>(data);
    while (count > 0) {
        const std::size_t piece = std::min(count, kBufferBytes - m_used);
        std::memcpy(m_buffer.get() + m_used, in, piece);
        m_used += piece;
        in += piece;
        count -= piece;
        if (m_used == kBufferBytes) WriteOut(kBufferBytes);
    }
}

void CDirectOutputFile::WriteOut(std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_fd, m_buffer.get() + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw CFileError(errno, m_path);
        }
        if (n == 0) throw CFileError(EIO, m_path);
        done += static_cast<std::size_t>(n);
    }
    m_used -= count;
    if (m_used > 0) std::memmove(m_buffer.get(), m_buffer.get() + count, m_used);
}

void CDirectOutputFile::Close() {
    if (m_fd < 0) return;
    try {
        // The whole blocks directly, the rest (shorter than a block) as an ordinary write.
        const std::size_t whole = m_used - m_used % kAlign;
        if (whole > 0) WriteOut(whole);
        if (m_used > 0) {
            if (m_direct && ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_DIRECT) != 0) {
                throw CFileError(errno, m_path);
            }
            WriteOut(m_used);
        }
    } catch (...) {
        ::close(m_fd);
        m_fd = -1;
        throw;
    }
    const int rc = ::close(m_fd);
    m_fd = -1;
    if (rc != 0 && errno != EINTR) throw CFileError(errno, m_path);
}

}  // namespace vyx
