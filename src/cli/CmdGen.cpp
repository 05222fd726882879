// vyx gen: writes a sample data folder from the logger simulator.

#include <algorithm>
#include <charconv>
#include <csignal>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <limits>
#include <vector>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "logdata/DataFolder.h"
#include "logdata/TimeValue.h"
#include "simulator/LiveLogger.h"
#include "simulator/LoggerSimulator.h"

namespace vyx::cli {
namespace {

struct GenOptions {
    std::string folder;
    int days = 3;
    int recordsPerDay = 5000;
    std::string seed = "1";
    std::string start = "05/01/2009";
    bool clockJumps = false;
    bool noFaults = false;
    bool force = false;
    // --live: a logger writing as it goes
    bool live = false;
    double rate = 20;
    std::string clock;  // "dd/MM/yyyy HH:MM:SS"; empty for now
    double speed = 1;
    std::int64_t records = 0;
};

// Day file names hold a two-digit year: 70..99 read as 1970..1999, 00..69 as 2000..2069.
constexpr int kFirstNameYear = 1970;
constexpr int kLastNameYear = 2069;

std::uint64_t SeedOption(const std::string& text) {
    std::uint64_t seed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw CommandFailure{kExitUsage, "error: --seed takes a whole number from 0 to " +
                                             std::to_string(std::numeric_limits<std::uint64_t>::max()) + ": " + text};
    }
    return seed;
}

std::string DateText(const CivilDateTime& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", date.day % 100, date.month % 100, date.year % 10000);
    return text;
}

// A day outside the window would be written under the name of a day a century away.
void CheckNameYears(const std::string& text, const CivilDateTime& start, int files) {
    if (start.year < kFirstNameYear || start.year > kLastNameYear) {
        throw CommandFailure{kExitUsage, "error: --start must lie in the years " + std::to_string(kFirstNameYear) +
                                             " to " + std::to_string(kLastNameYear) +
                                             " that day file names can hold: " + text};
    }
    const std::int64_t last = DaysFromCivil(start.year, start.month, start.day) + files - 1;
    if (last > DaysFromCivil(kLastNameYear, 12, 31)) {
        const CivilDateTime lastDate = BreakDown(static_cast<std::uint32_t>(last * 86400));
        throw CommandFailure{kExitUsage, "error: the last day file would be for " + DateText(lastDate) +
                                             ", after 31/12/" + std::to_string(kLastNameYear) +
                                             ", the last day a file name can hold; give fewer --days or an earlier "
                                             "--start"};
    }
}

// What the folder scan would take as day files.
std::vector<std::string> DayFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (DayStartFromFileName(name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// An interrupted run takes back what it wrote, so no half folder is taken for a sample later.
void RemoveWritten(const GenOptions& o, const sim::SimulatorSummary& summary, bool folderExisted) {
    std::error_code ec;
    for (const std::string& path : summary.dayFiles) std::filesystem::remove(path, ec);
    std::filesystem::remove(o.folder + "/MISCDATA.TXT", ec);
    if (!folderExisted) std::filesystem::remove(o.folder, ec);  // only when empty
}

void RefuseWrittenFolder(const GenOptions& o) {
    if (const auto existing = DayFilesIn(o.folder); !existing.empty() && !o.force) {
        const std::string more = existing.size() > 1 ? " and " + std::to_string(existing.size() - 1) + " more" : "";
        throw CommandFailure{kExitUsage, "error: " + o.folder + " already holds day files (" + existing.front() + more +
                                             "); --force writes over them"};
    }
}

// The logger's clock now: the wall clock of this machine as it reads here.
std::uint32_t ClockNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    CivilDateTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    return static_cast<std::uint32_t>(SecondsFromCivil(t));
}

void RunLive(const GenOptions& o) {
    sim::LiveLoggerOptions options;
    options.rate = o.rate;
    options.speed = o.speed;
    options.seed = SeedOption(o.seed);
    options.faults = !o.noFaults;
    options.records = o.records;
    if (o.clock.empty()) {
        options.clockStart = ClockNow();
    } else {
        const auto clock = ParseDateTimeText(o.clock.c_str());
        if (!clock) throw CommandFailure{kExitUsage, "error: --clock takes \"dd/MM/yyyy HH:MM:SS\": " + o.clock};
        CheckNameYears(o.clock, *clock, 1);
        options.clockStart = static_cast<std::uint32_t>(SecondsFromCivil(*clock));
    }
    // A live logger continues its folder: with --force the day files are appended to, never rewritten.
    RefuseWrittenFolder(o);
    options.stopRequested = [] { return InterruptSignal() != 0; };
    const sim::LiveLoggerSummary summary = sim::RunLiveLogger(o.folder, options);
    std::cout << "Wrote " << summary.records << " records live to " << summary.dayFiles.size() << " day file(s) in "
              << o.folder << '\n';
    // Ctrl+C or a TERM is how a live run usually ends; SIGHUP still tells the caller.
    if (const int signal = InterruptSignal(); signal == SIGINT || signal == SIGTERM) AcceptInterruption();
}

void Run(const GenOptions& o) {
    if (o.live) {
        RunLive(o);
        return;
    }
    sim::SimulatorOptions options;
    options.days = o.days;
    options.recordsPerDay = o.recordsPerDay;
    options.seed = SeedOption(o.seed);
    options.clockJumps = o.clockJumps;
    options.faults = !o.noFaults;
    const auto start = ParseDateTimeText(o.start.c_str());
    if (!start || start->hour || start->minute || start->second) {
        throw CommandFailure{kExitUsage, "error: --start takes a date as dd/MM/yyyy: " + o.start};
    }
    // With faults the folder ends in an empty day file for the day after the last.
    CheckNameYears(o.start, *start, options.days + (options.faults ? 1 : 0));
    options.startYear = start->year;
    options.startMonth = start->month;
    options.startDay = start->day;
    RefuseWrittenFolder(o);
    std::error_code ec;
    const bool folderExisted = std::filesystem::exists(o.folder, ec);
    options.stopRequested = [] { return InterruptSignal() != 0; };
    const sim::SimulatorSummary summary = sim::GenerateDataFolder(o.folder, options);
    if (summary.stopped) {
        RemoveWritten(o, summary, folderExisted);
        ThrowIfInterrupted();
    }
    std::cout << "Wrote " << summary.dayFiles.size() << " day files with " << summary.records << " records ("
              << summary.invalidRecords << " invalid, " << summary.skippedFrames << " skipped frames, "
              << summary.truncatedFrames << " truncated) to " << o.folder << '\n';
}

const RegisterCommand registration(10, [](CLI::App& app) {
    auto options = std::make_shared<GenOptions>();
    CLI::App* cmd = app.add_subcommand("gen", "Write a sample data folder (day files and MISCDATA.TXT)");
    cmd->add_option("DIR", options->folder, "Folder to write (created if missing)")->required();
    cmd->add_option("--days", options->days, "Number of day files with records")->check(CLI::Range(1, 3650));
    cmd->add_option("--records-per-day", options->recordsPerDay, "Records per day file")
        ->check(CLI::Range(0, 5000000));
    cmd->add_option("--seed", options->seed, "Seed, 0 or more; the same seed gives the same bytes")
        ->capture_default_str();
    cmd->add_option("--start", options->start, "First day, dd/MM/yyyy, in 1970..2069")->capture_default_str();
    cmd->add_flag("--clock-jumps", options->clockJumps, "Let the logger's clock jump back within a day");
    cmd->add_flag("--no-faults", options->noFaults,
                  "Leave out invalid classes, bad frame lengths, truncated frames and the empty day file");
    cmd->add_flag("--force", options->force,
                  "Write into a folder that already holds day files (with --live: append to them)");
    cmd->add_flag("--live", options->live,
                  "Keep writing the current day file frame by frame, like a running logger, until Ctrl+C");
    cmd->add_option("--rate", options->rate, "With --live: records per second")
        ->check(CLI::Range(0.01, 1000000.0))
        ->capture_default_str();
    cmd->add_option("--clock", options->clock,
                    "With --live: the logger's clock at the start, \"dd/MM/yyyy HH:MM:SS\" (default: now)");
    cmd->add_option("--speed", options->speed, "With --live: logger seconds per real second")
        ->check(CLI::Range(0.001, 1000000.0))
        ->capture_default_str();
    cmd->add_option("--records", options->records, "With --live: stop after this many records (0: no end)")
        ->check(CLI::Range(std::int64_t{0}, std::int64_t{1} << 40))
        ->capture_default_str();
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
