#pragma once
// SIGINT, SIGTERM and SIGHUP end a `vyx` run through its normal path, so the run folder and partial outputs
// are removed on the way out. No handler runs: the signals are blocked in every thread and one thread
// takes them with sigwait and only records which came. The work checks for it at its natural points (the
// load and report loops are stopped as the viewer stops them) and ends with exit code 128 + the signal.

#include <functional>

namespace vyx::cli {

// Call first in main, before any other thread exists (threads inherit the blocked signals). Signals that
// were ignored at start (nohup, background jobs) stay ignored. SIGPIPE is ignored from here on: a closed
// output pipe shows as EPIPE on the write and ends the run quietly (see StandardOutput.h).
void WatchForInterrupts();

// 0 until one of the signals has come; then its number. A second signal ends the program at once.
int InterruptSignal();

// For commands that run until interrupted (tail, a live gen): the signal that came is their normal end, and
// the run exits 0 from here on.
void AcceptInterruption();

// Throws CommandFailure (no message, exit 128 + signal) once a signal has come, unless it was accepted.
void ThrowIfInterrupted();

// Waits until done() holds, looking every few milliseconds. When a signal comes first, calls stop(), which
// must return once the work has ended, and throws as ThrowIfInterrupted.
void WaitUnlessInterrupted(const std::function<bool()>& done, const std::function<void()>& stop);

}  // namespace vyx::cli
