#pragma once
// Standard output that fails (a full disk, /dev/full, a closed pipe) must not end a run with exit code 0
// and the output silently lost.

#include <cstddef>

namespace vyx::cli {

// Flushes std::cout and stdout and throws CommandFailure when a write to them has failed:
// "error: standard output: <the system's text>" with exit code 1, or, for a closed pipe (EPIPE), no message
// and exit code 128 + SIGPIPE, as a shell shows a pipeline cut short by its reader.
void CheckStandardOutput();

// Writes the bytes to stdout; throws as CheckStandardOutput when the write fails.
void WriteStandardOutput(const char* data, std::size_t size);

// Throws as CheckStandardOutput for an error number of a failed write to standard output.
[[noreturn]] void FailStandardOutput(int errorNumber);

// True when standard output is a pipe or socket whose reader has gone: for writers that report the
// failure of their own writes (the reports).
bool StandardOutputIsClosed();

}  // namespace vyx::cli
