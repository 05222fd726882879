// bench_follow: how soon a record the logger writes appears in `vyx tail`. Runs `vyx tail DIR -n 0` as a
// child, lets the logger simulator write into DIR at a set rate in this process, notes when each record is
// whole in its file and when its line comes out of tail, and prints the median and 90th percentile of the
// difference, the lag of the last record, and the CPU time tail used.
//
//   bench_follow VYX DIR RATE COUNT [--poll] [--idle SECONDS]   (DIR must hold at least one record)
//   --idle: write nothing, and print the CPU time tail used while it waited that long.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "simulator/LiveLogger.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15) ticks += std::stod(field);  // utime, stime
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: bench_follow VYX DIR RATE COUNT [--poll] [--idle SECONDS]\n");
        return 2;
    }
    const std::string vyx = argv[1];
    const std::string folder = argv[2];
    const double rate = std::atof(argv[3]);
    const long count = std::atol(argv[4]);
    bool poll = false;
    double idle = 0;
    for (int i = 5; i < argc; ++i) {
        if (std::string(argv[i]) == "--poll") poll = true;
        if (std::string(argv[i]) == "--idle" && i + 1 < argc) idle = std::atof(argv[++i]);
    }

    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return 1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    // -n 1: the load's last record comes out once the load has ended and the follow goes on from there.
    std::vector<std::string> words = {vyx, "tail", folder, "-n", "1"};
    if (poll) words.push_back("--poll");
    std::vector<char*> args;
    for (auto& w : words) args.push_back(w.data());
    args.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, vyx.c_str(), &actions, nullptr, args.data(), environ) != 0) return 1;
    ::close(pipeFds[1]);

    std::vector<Clock::time_point> seen;
    seen.reserve(static_cast<std::size_t>(count));
    std::mutex mutex;
    std::thread reader([&] {
        FILE* in = ::fdopen(pipeFds[0], "r");
        char line[4096];
        while (std::fgets(line, sizeof line, in) != nullptr) {
            if (std::strchr(line, '\n') == nullptr) continue;  // the rest of a long line
            std::lock_guard lock(mutex);
            seen.push_back(Clock::now());
        }
        std::fclose(in);
    });

    // tail loads the folder first; what is written once its first line is out is new to it.
    for (;;) {
        {
            std::lock_guard lock(mutex);
            if (!seen.empty()) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    {
        std::lock_guard lock(mutex);
        seen.clear();
    }
    if (idle > 0) {
        const double before = CpuSeconds(child);
        std::this_thread::sleep_for(std::chrono::duration<double>(idle));
        std::printf("idle %.1f s: tail used %.3f s of CPU\n", idle, CpuSeconds(child) - before);
    } else {
        std::vector<Clock::time_point> written(static_cast<std::size_t>(count));
        vyx::sim::LiveLoggerOptions options;
        options.rate = rate;
        options.records = count;
        options.clockStart = 3124224000u;  // 01-01-2069, the last year a day file name holds: a day of its own
        options.written = [&](std::int64_t index, const std::string&) {
            written[static_cast<std::size_t>(index)] = Clock::now();
        };
        const double before = CpuSeconds(child);
        const auto start = Clock::now();
        vyx::sim::RunLiveLogger(folder, options);
        const auto wrote = Clock::now();
        const auto deadline = wrote + std::chrono::seconds(30);
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (static_cast<long>(seen.size()) >= count) break;
            }
            if (Clock::now() > deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::lock_guard lock(mutex);
        std::vector<double> latency;
        for (std::size_t i = 0; i < seen.size() && i < written.size(); ++i) {
            latency.push_back(std::chrono::duration<double>(seen[i] - written[i]).count());
        }
        const double writeSeconds = std::chrono::duration<double>(wrote - start).count();
        std::printf("%s rate %.0f/s: %zu of %ld records seen; latency median %.3f s, p90 %.3f s, max %.3f s; "
                    "written in %.2f s (%.0f/s); tail CPU %.2f s\n",
                    poll ? "polling" : "inotify", rate, seen.size(), count, Percentile(latency, 0.5),
                    Percentile(latency, 0.9), Percentile(latency, 1.0), writeSeconds,
                    static_cast<double>(count) / writeSeconds, CpuSeconds(child) - before);
    }
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    reader.join();
    return 0;
}
