#include "cli/StandardOutput.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "cli/Command.h"
#include "platform/FileError.h"

namespace vyx::cli {

void FailStandardOutput(int errorNumber) {
    if (errorNumber == EPIPE) throw CommandFailure{128 + SIGPIPE, ""};
    throw CommandFailure{kExitNoData, "error: standard output: " + SystemErrorText(errorNumber)};
}

void CheckStandardOutput() {
    // std::cout writes through stdout's buffer; flushing it first would use up the error number.
    errno = 0;
    const bool flushFailed = std::fflush(stdout) != 0;
    const int error = errno;
    std::cout.flush();
    if (!flushFailed && !std::ferror(stdout) && !std::cout.bad()) return;
    // An earlier write failed and left nothing to flush: the error number is gone, the kind is not.
    FailStandardOutput(error != 0 ? error : StandardOutputIsClosed() ? EPIPE : EIO);
}

void WriteStandardOutput(const char* data, std::size_t size) {
    errno = 0;
    if (size > 0 && std::fwrite(data, 1, size, stdout) != size) FailStandardOutput(errno != 0 ? errno : EIO);
}

bool StandardOutputIsClosed() {
    pollfd out{STDOUT_FILENO, POLLOUT, 0};
    // A pipe whose reader has gone polls as an error; a socket as hung up.
    return ::poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP)) != 0;
}

}  // namespace vyx::cli
