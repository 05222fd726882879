// vyx gen: writes a sample data folder from the logger simulator.

#include <iostream>

#include <filesystem>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "logdata/TimeValue.h"
#include "simulator/LoggerSimulator.h"

namespace vyx::cli {
namespace {

struct GenOptions {
    std::string folder;
    int days = 3;
    int recordsPerDay = 5000;
    std::uint64_t seed = 1;
    std::string start = "05/01/2009";
    bool clockJumps = false;
    bool noFaults = false;
};

void Run(const GenOptions& o) {
    sim::SimulatorOptions options;
    options.days = o.days;
    options.recordsPerDay = o.recordsPerDay;
    options.seed = o.seed;
    options.clockJumps = o.clockJumps;
    options.faults = !o.noFaults;
    const auto start = ParseDateTimeText(o.start.c_str());
    if (!start || start->hour || start->minute || start->second) {
        throw CommandFailure{kExitUsage, "error: --start takes a date as dd/MM/yyyy: " + o.start};
    }
    options.startYear = start->year;
    options.startMonth = start->month;
    options.startDay = start->day;
    std::error_code ec;
    const bool folderExisted = std::filesystem::exists(o.folder, ec);
    options.stopRequested = [] { return InterruptSignal() != 0; };
    const sim::SimulatorSummary summary = sim::GenerateDataFolder(o.folder, options);
    if (summary.stopped) {
        // An interrupted run takes back what it wrote, so no half folder is taken for a sample later.
        for (const std::string& path : summary.dayFiles) std::filesystem::remove(path, ec);
        std::filesystem::remove(o.folder + "/MISCDATA.TXT", ec);
        if (!folderExisted) std::filesystem::remove(o.folder, ec);  // only when empty
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
    cmd->add_option("--seed", options->seed, "Seed; the same seed gives the same bytes");
    cmd->add_option("--start", options->start, "First day, dd/MM/yyyy")->capture_default_str();
    cmd->add_flag("--clock-jumps", options->clockJumps, "Let the logger's clock jump back within a day");
    cmd->add_flag("--no-faults", options->noFaults,
                  "Leave out invalid classes, bad frame lengths, truncated frames and the empty day file");
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
