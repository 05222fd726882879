#include "cli/Interruption.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "cli/Command.h"

namespace vyx::cli {
namespace {

std::atomic<int> g_signal{0};
std::atomic<bool> g_accepted{false};

void TakeSignals(sigset_t watched) {
    for (;;) {
        int signal = 0;
        if (::sigwait(&watched, &signal) != 0) continue;
        int none = 0;
        if (g_signal.compare_exchange_strong(none, signal)) continue;
        // Asked twice: the user will not wait for the clean-up. A later start removes the run folder.
        ::signal(signal, SIG_DFL);
        sigset_t one;
        sigemptyset(&one);
        sigaddset(&one, signal);
        ::pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
        ::raise(signal);
    }
}

}  // namespace

void WatchForInterrupts() {
    ::signal(SIGPIPE, SIG_IGN);
    sigset_t watched;
    sigemptyset(&watched);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) sigaddset(&watched, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &watched, nullptr);
    // Never joined: it touches nothing but the atomic, so it may still wait while the program ends.
    std::thread(TakeSignals, watched).detach();
}

int InterruptSignal() {
    return g_signal.load();
}

void AcceptInterruption() { g_accepted.store(true); }

void ThrowIfInterrupted() {
    if (g_accepted.load()) return;
    if (const int signal = InterruptSignal()) throw CommandFailure{128 + signal, ""};
}

void WaitUnlessInterrupted(const std::function<bool()>& done, const std::function<void()>& stop) {
    while (!done()) {
        if (InterruptSignal() != 0) {
            stop();
            ThrowIfInterrupted();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace vyx::cli
