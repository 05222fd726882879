#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/FileError.h"

namespace vyx {
namespace {

std::atomic<bool> g_hookSet{false};
std::mutex g_hookMutex;
WriteFaultHook g_hook;

}  // namespace

int WriteFaultFor(const std::string& path, std::size_t bytes) {
    if (!g_hookSet.load(std::memory_order_acquire)) return 0;
    std::lock_guard lock(g_hookMutex);
    return g_hook ? g_hook(path, bytes) : 0;
}

void WriteAllAt(int fd, const std::string& path, std::uint64_t offset, const void* data, std::size_t size) {
    if (const int fault = WriteFaultFor(path, size); fault != 0) throw CFileError(fault, path);
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t done = ::pwrite(fd, bytes, size, static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) throw CFileError(done < 0 ? errno : ENOSPC, path);
        bytes += done;
        offset += static_cast<std::uint64_t>(done);
        size -= static_cast<std::size_t>(done);
    }
}

void SetWriteFaultHook(WriteFaultHook hook) {
    std::lock_guard lock(g_hookMutex);
    g_hook = std::move(hook);
    g_hookSet.store(static_cast<bool>(g_hook), std::memory_order_release);
}

// ---- CInputFile

CInputFile::CInputFile(CInputFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)) {}

CInputFile& CInputFile::operator=(CInputFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

CInputFile::~CInputFile() { Close(); }

bool CInputFile::TryOpen(const std::string& path) {
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

void CInputFile::Open(const std::string& path) {
    if (!TryOpen(path)) throw CFileError(errno, path);
}

void CInputFile::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

CInputFile CInputFile::Duplicate() const {
    CInputFile copy;
    copy.m_fd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (copy.m_fd < 0) throw CFileError(errno, m_path);
    copy.m_path = m_path;
    return copy;
}

std::size_t CInputFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    std::size_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n = ::pread(m_fd, out + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw CFileError(errno, m_path);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t CInputFile::Read(void* buffer, std::size_t count) {
    std::size_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(m_fd, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw CFileError(errno, m_path);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

// ---- COutputFile

COutputFile::COutputFile(COutputFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_path(std::move(other.m_path)),
      m_buffer(std::move(other.m_buffer)),
      m_used(std::exchange(other.m_used, 0)),
      m_written(std::exchange(other.m_written, 0)) {}

COutputFile& COutputFile::operator=(COutputFile&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
        m_buffer = std::move(other.m_buffer);
        m_used = std::exchange(other.m_used, 0);
        m_written = std::exchange(other.m_written, 0);
    }
    return *this;
}

COutputFile::~COutputFile() {
    if (m_fd >= 0) {
        try {
            Flush();
        } catch (...) {
            // A destructor cannot report; callers that care call Close().
        }
        ::close(m_fd);
    }
}

void COutputFile::Open(const std::string& path, std::size_t bufferSize) {
    // O_NOFOLLOW: never write through a link someone planted under our name.
    OpenWith(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, bufferSize);
}

void COutputFile::OpenForAppend(const std::string& path, std::size_t bufferSize) {
    OpenWith(path, O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW, bufferSize);
}

void COutputFile::OpenWith(const std::string& path, int flags, std::size_t bufferSize) {
    if (m_fd >= 0) Close();
    const int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0) throw CFileError(errno, path);
    m_fd = fd;
    m_path = path;
    m_buffer.assign(bufferSize, 0);
    m_used = 0;
    m_written = 0;
}

void COutputFile::WriteThrough(const void* data, std::size_t count) {
    if (const int fault = WriteFaultFor(m_path, count)) throw CFileError(fault, m_path);
    const char* in = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_fd, in + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw CFileError(errno, m_path);
        }
        done += static_cast<std::size_t>(n);
    }
}

void COutputFile::Write(const void* data, std::size_t count) {
    if (m_fd < 0) throw CFileError(EBADF, m_path);
    m_written += count;
    if (m_buffer.empty()) {
        WriteThrough(data, count);
        return;
    }
    if (m_used + count > m_buffer.size()) {
        Flush();
        if (count >= m_buffer.size()) {
            WriteThrough(data, count);
            return;
        }
    }
    std::memcpy(m_buffer.data() + m_used, data, count);
    m_used += count;
}

void COutputFile::Flush() {
    if (m_fd < 0 || m_used == 0) return;
    const std::size_t pending = m_used;
    m_used = 0;  // a failed flush drops the buffered bytes: the file is abandoned anyway
    WriteThrough(m_buffer.data(), pending);
}

void COutputFile::Close() {
    if (m_fd < 0) return;
    try {
        Flush();
    } catch (...) {
        ::close(m_fd);
        m_fd = -1;
        throw;
    }
    const int rc = ::close(m_fd);
    m_fd = -1;
    if (rc != 0 && errno != EINTR) throw CFileError(errno, m_path);
}

bool DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string LinkTarget(std::string path) {
    constexpr int kMaxLinks = 40;  // the kernel's own limit for one name
    for (int depth = 0; depth < kMaxLinks; ++depth) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string target(4096, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0) return path;
        target.resize(static_cast<std::size_t>(n));
        if (target.front() != '/') {
            const std::size_t slash = path.find_last_of('/');
            target = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + target;
        }
        path = std::move(target);
    }
    return path;
}

}  // namespace vyx
