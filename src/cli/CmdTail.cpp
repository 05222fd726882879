// vyx tail: the last records of a load, then every record the logger adds, as it is written.

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "cli/LoadRunner.h"
#include "cli/StandardOutput.h"
#include "decode/RecordTextLine.h"

namespace vyx::cli {
namespace {

struct TailOptions {
    LoadOptions load;
    std::int64_t lines = 10;
    bool poll = false;
    double quietSeconds = 10;
};

// What the follow has told, handed from the worker's thread to the printing one.
class CFollowNews {
public:
    void Take(const LoadNotification& n) {
        std::lock_guard lock(m_mutex);
        switch (n.message) {
            case UM_FOLLOW_PROGRESS: m_total = std::max(m_total, n.count); break;
            case UM_FOLLOW_NOTICE:
            case UM_DAMAGED_FILES: m_notices += n.text + "\n"; break;
            case UM_FOLLOW_STOPPED:
                m_stopped = true;
                m_notices += n.text + "\n";
                break;
            default: return;
        }
        m_changed.notify_one();
    }

    // Waits for news at most `timeout`; returns the records known now, the notices since the last call and
    // whether the follow has stopped.
    std::int64_t Wait(std::chrono::milliseconds timeout, std::string& notices, bool& stopped) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, timeout, [&] { return m_total != m_seen || !m_notices.empty() || m_stopped; });
        m_seen = m_total;
        notices.swap(m_notices);
        m_notices.clear();
        stopped = m_stopped;
        return m_total;
    }

    void Start(std::int64_t total) {
        std::lock_guard lock(m_mutex);
        m_total = std::max(m_total, total);
        m_seen = total;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::int64_t m_total = 0;
    std::int64_t m_seen = 0;
    std::string m_notices;
    bool m_stopped = false;
};

void PrintRecords(const CLoadRunner& runner, std::int64_t first, std::int64_t end) {
    std::string out;
    CRecord record;
    for (std::int64_t serial = first; serial < end; ++serial) {
        if (!runner.Database().GetRecord(serial, record)) break;
        out += RecordTextLine(record, serial + 1);
        if (out.size() > (1 << 16)) {
            WriteStandardOutput(out.data(), out.size());
            out.clear();
        }
    }
    WriteStandardOutput(out.data(), out.size());
    CheckStandardOutput();  // each record is out as soon as it is known, also into a file or a pipe
}

void Run(const TailOptions& o) {
    if (o.lines < 0) throw CommandFailure{kExitUsage, "error: -n takes 0 or more records"};
    CFollowNews news;
    CLoadRunner runner(o.load);
    FollowSettings follow;
    follow.enabled = true;
    follow.events = !o.poll;
    follow.quietTime = std::chrono::milliseconds(static_cast<std::int64_t>(o.quietSeconds * 1000));
    runner.SetFollow(follow, [&news](const LoadNotification& n) { news.Take(n); });
    const LoadResult result = runner.Run();
    news.Start(result.total);
    PrintRecords(runner, std::max<std::int64_t>(0, result.total - o.lines), result.total);
    std::int64_t printed = result.total;
    for (;;) {
        // The signal is looked at a few times a second; the records come as soon as they are told.
        std::string notices;
        bool stopped = false;
        const std::int64_t total = news.Wait(std::chrono::milliseconds(200), notices, stopped);
        if (total > printed) {
            PrintRecords(runner, printed, total);
            printed = total;
        }
        if (!notices.empty()) std::fputs(notices.c_str(), stderr);
        if (const int signal = InterruptSignal(); signal == SIGINT || signal == SIGTERM) {
            AcceptInterruption();
            return;
        }
        ThrowIfInterrupted();
        if (stopped) throw CommandFailure{kExitNoData, {}};
    }
}

const RegisterCommand registration(25, [](CLI::App& app) {
    auto options = std::make_shared<TailOptions>();
    CLI::App* cmd = app.add_subcommand(
        "tail", "Print the last records of the load, then each new record as the logger writes it (until Ctrl+C)");
    AddLoadOptions(*cmd, options->load);
    cmd->add_option("-n,--lines", options->lines, "Records of the load to print first (0 for none)")
        ->capture_default_str();
    cmd->add_flag("--poll", options->poll, "Look at the files every second only, without inotify events");
    cmd->add_option("--quiet-time", options->quietSeconds,
                    "Seconds a file must stay unchanged before a frame cut short at its end is judged")
        ->check(CLI::Range(0.0, 86400.0))
        ->capture_default_str();
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
