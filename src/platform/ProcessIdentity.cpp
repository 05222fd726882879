#include "platform/ProcessIdentity.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string>

namespace vyx {
namespace {

enum class StatRead { Read, Gone, Unknown };

StatRead ReadStartTime(pid_t pid, std::uint64_t& startTime) {
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ESRCH ? StatRead::Gone : StatRead::Unknown;
    char buffer[1024];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    // A process that ends between the open and the read leaves nothing to read.
    if (n <= 0) return n == 0 || errno == ESRCH ? StatRead::Gone : StatRead::Unknown;
    const auto value = StartTimeFromStatLine(std::string_view(buffer, static_cast<std::size_t>(n)));
    if (!value) return StatRead::Unknown;
    startTime = *value;
    return StatRead::Read;
}

}  // namespace

std::optional<std::uint64_t> StartTimeFromStatLine(std::string_view line) {
    const std::size_t nameEnd = line.rfind(')');
    if (nameEnd == std::string_view::npos) return std::nullopt;
    // Field 3 (the state) is the first after the name; field 22 is the 20th.
    std::string_view rest = line.substr(nameEnd + 1);
    constexpr int kFieldsAfterName = 20;
    std::string_view field;
    for (int i = 0; i < kFieldsAfterName; ++i) {
        const std::size_t begin = rest.find_first_not_of(' ');
        if (begin == std::string_view::npos) return std::nullopt;
        rest.remove_prefix(begin);
        const std::size_t end = std::min(rest.find(' '), rest.size());
        field = rest.substr(0, end);
        rest.remove_prefix(end);
    }
    std::uint64_t value = 0;
    const auto [ptr, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || ptr != field.data() + field.size()) return std::nullopt;
    return value;
}

ProcessIdentity ThisProcess() {
    ProcessIdentity self;
    self.pid = ::getpid();
    ReadStartTime(self.pid, self.startTime);
    return self;
}

bool IsRunning(const ProcessIdentity& process) {
    if (process.pid <= 0) return false;
    if (::kill(process.pid, 0) != 0 && errno == ESRCH) return false;
    std::uint64_t startTime = 0;
    switch (ReadStartTime(process.pid, startTime)) {
        case StatRead::Gone: return false;
        case StatRead::Unknown: return true;
        case StatRead::Read: return startTime == process.startTime;
    }
    return true;
}

}  // namespace vyx
