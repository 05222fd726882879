#include "platform/PendingOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <utility>

#include "platform/File.h"
#include "platform/FileError.h"

namespace vyx {
namespace {

std::string RandomSuffix() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string suffix(6, 'x');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    return suffix;
}

}  // namespace

CPendingOutput::CPendingOutput(std::string destination) : m_destination(LinkTarget(std::move(destination))) {
    struct stat st {};
    if (::stat(m_destination.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) throw CFileError(EISDIR, m_destination);
        m_fd = ::open(m_destination.c_str(), O_WRONLY | O_CLOEXEC);
        if (m_fd < 0) throw CFileError(errno, m_destination);
        return;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temp = m_destination + "." + RandomSuffix() + ".part";
        // O_EXCL: never write through a name someone prepared; 0666 leaves the permissions to the umask.
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temp = std::move(temp);
            return;
        }
        if (errno != EEXIST) break;
    }
    throw CFileError(errno, m_destination);
}

CPendingOutput::~CPendingOutput() { Discard(); }

CPendingOutput::CPendingOutput(CPendingOutput&& other) noexcept
    : m_destination(std::move(other.m_destination)),
      m_temp(std::exchange(other.m_temp, {})),
      m_fd(std::exchange(other.m_fd, -1)) {}

CPendingOutput& CPendingOutput::operator=(CPendingOutput&& other) noexcept {
    if (this != &other) {
        Discard();
        m_destination = std::move(other.m_destination);
        m_temp = std::exchange(other.m_temp, {});
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

void CPendingOutput::CloseDescriptor() noexcept {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

void CPendingOutput::Commit() {
    if (m_temp.empty()) {
        // Written as it is (a device, a pipe): there is nothing to rename.
        const int fd = std::exchange(m_fd, -1);
        if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) throw CFileError(errno, m_destination);
        return;
    }
    int fd = m_fd;
    m_fd = -1;
    if (fd < 0) fd = ::open(m_temp.c_str(), O_RDONLY | O_CLOEXEC);
    // Durable before it takes the name: after a power cut the name holds the old file or the whole new one.
    if (fd >= 0) {
        const bool synced = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
        const int syncError = errno;
        const bool closed = ::close(fd) == 0 || errno == EINTR;
        if (!synced) throw CFileError(syncError, m_destination);
        if (!closed) throw CFileError(errno, m_destination);
    }
    if (std::rename(m_temp.c_str(), m_destination.c_str()) != 0) throw CFileError(errno, m_destination);
    m_temp.clear();
}

void CPendingOutput::Discard() noexcept {
    CloseDescriptor();
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
    m_temp.clear();
}

}  // namespace vyx
