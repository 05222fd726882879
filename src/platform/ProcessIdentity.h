#pragma once
// A process told apart from a later one that was given the same pid: the pid together with its start time
// (clock ticks after boot, as /proc/PID/stat gives it in field 22).

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace vyx {

struct ProcessIdentity {
    pid_t pid = 0;
    std::uint64_t startTime = 0;
    bool operator==(const ProcessIdentity&) const = default;
};

// This process.
ProcessIdentity ThisProcess();

// False only when the process has certainly ended: no such pid, or the pid now belongs to a process that
// started at another time. When it cannot be told, the process is taken to be running.
bool IsRunning(const ProcessIdentity& process);

// Field 22 of a /proc/PID/stat line; the command name in field 2 may hold spaces and parentheses.
std::optional<std::uint64_t> StartTimeFromStatLine(std::string_view line);

}  // namespace vyx
