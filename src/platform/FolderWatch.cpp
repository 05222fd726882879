#include "platform/FolderWatch.h"

#include <algorithm>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>

#include "platform/FileError.h"

namespace vyx {
namespace {

int Milliseconds(std::chrono::milliseconds timeout) {
    if (timeout.count() < 0) return 0;
    return timeout.count() > 3600000 ? 3600000 : static_cast<int>(timeout.count());
}

void Drain(int fd) {
    std::array<char, 4096> buffer;
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
}

}  // namespace

CFolderWatch::CFolderWatch(const std::string& folder, bool events) {
    m_wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_wake < 0) throw CFileError(errno, folder);
    if (!events) return;
    m_events = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_events < 0) return;  // too many watches in this session: the timeout alone will do
    m_watch = ::inotify_add_watch(m_events, folder.c_str(),
                                  IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                      IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF);
    if (m_watch < 0) {
        ::close(m_events);
        m_events = -1;
    }
}

CFolderWatch::~CFolderWatch() {
    if (m_events >= 0) ::close(m_events);
    if (m_wake >= 0) ::close(m_wake);
}

namespace {
constexpr std::size_t kMostWrittenNames = 256;
}  // namespace

CFolderWatch::WaitResult CFolderWatch::Wait(std::chrono::milliseconds timeout) {
    std::array<pollfd, 2> fds{};
    fds[0] = {m_wake, POLLIN, 0};
    fds[1] = {m_events, POLLIN, 0};
    const nfds_t count = m_events >= 0 ? 2 : 1;
    int ready = 0;
    do {
        ready = ::poll(fds.data(), count, Milliseconds(timeout));
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) return WaitResult::Timeout;
    if (fds[0].revents != 0) {
        Drain(m_wake);
        return WaitResult::Woken;
    }
    // The events say what kind of change came, and which files were written to.
    bool named = false;
    m_written.clear();
    alignas(inotify_event) std::array<char, 8192> buffer;
    for (;;) {
        const ssize_t got = ::read(m_events, buffer.data(), buffer.size());
        if (got <= 0) break;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            if (event->mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF |
                               IN_Q_OVERFLOW)) {
                named = true;
            } else if (event->len > 0) {
                const std::string name(event->name);
                if (std::find(m_written.begin(), m_written.end(), name) == m_written.end()) {
                    if (m_written.size() < kMostWrittenNames) m_written.push_back(name);
                    else named = true;
                }
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return named ? WaitResult::Named : WaitResult::Written;
}

bool CFolderWatch::Pause(std::chrono::milliseconds timeout) {
    pollfd fd{m_wake, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&fd, 1, Milliseconds(timeout));
    } while (ready < 0 && errno == EINTR);
    if (ready > 0) {
        Drain(m_wake);
        return false;
    }
    return true;
}

void CFolderWatch::Wake() {
    const std::uint64_t one = 1;
    // A full counter still wakes the reader; nothing else can fail here.
    [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
}

}  // namespace vyx
