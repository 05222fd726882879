// vyx events: the events of the loop found in all the records of a data folder, in time order: commands,
// status and alarm edges, positions, FCUs heard, master station conditions. CSV on standard output by
// default, or CSV, HTML or a workbook into a file.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/FcuEvents.h"
#include "analysis/LoopText.h"
#include "cli/Command.h"
#include "cli/LoopEventsRun.h"
#include "cli/TableOutput.h"
#include "decode/FormatRecord.h"

namespace vyx::cli {
namespace {

struct EventsOptions {
    LoadOptions load;
    std::string type = "csv";
    std::string out;
};

const std::vector<TableColumn>& Columns() {
    static const std::vector<TableColumn> columns = {
        {"Sr.No.", 10}, {"Date-Time", 24}, {"FCU", 6},      {"Channel", 12}, {"Event", 14},   {"Edge", 8},
        {"Code", 6},    {"Detail", 40},    {"Source", 14}, {"Day file", 16}, {"Offset", 10},
    };
    return columns;
}

int ChannelChoice(const std::string& text) {
    if (text == "--ALL--" || text == "all" || text == "ALL") return -1;
    if (text == "MS_A(left)" || text == "A" || text == "a") return 0;
    if (text == "MS_B(right)" || text == "B" || text == "b") return 1;
    throw CommandFailure{kExitUsage,
                         "error: --channel takes \"--ALL--\", \"MS_A(left)\", \"MS_B(right)\", all, A or B: " + text};
}

void Run(const EventsOptions& o) {
    const int fcu = FcuOption(o.load.fcu);
    const int channel = ChannelChoice(o.load.channel);
    std::uint32_t from = 0;
    std::uint32_t to = UINT32_MAX;
    if (!o.load.from.empty()) from = TimeOption("--from", o.load.from);
    if (!o.load.to.empty()) to = TimeOption("--to", o.load.to);
    if (from > to) throw CommandFailure{kExitUsage, "error: --from lies after --to"};
    TableOutputOptions table{o.type, o.out, o.load.folder, "FCU events"};
    CheckTableOutput(table);

    CLoopEventsRun run(o.load);
    const CFcuEvents& events = run.Build();
    std::vector<std::string> dayFileNames;
    for (const std::string& path : events.DayFiles()) {
        dayFileNames.push_back(std::filesystem::path(path).filename().string());
    }
    CFcuEventReader reader(events);
    const bool descending = o.load.order == "desc";
    // Only the events in the range are read: the file is in time order.
    const std::uint64_t begin = from == 0 ? 0 : reader.FirstAfter(from - 1);
    const std::uint64_t end = reader.FirstAfter(to);
    std::uint64_t next = descending ? end : begin;
    WriteTable(table, Columns(), [&](std::vector<std::string>& row) {
        while (descending ? next > begin : next < end) {
            const FcuEvent e = reader.At(descending ? --next : next++);
            if (fcu > 0 && e.fcu != fcu) continue;
            if (fcu < 0 && e.fcu != kLoopFcu) continue;
            if (channel >= 0 && e.channel != channel) continue;
            row = {std::to_string(e.Serial() + 1),
                   FormatTimeValue(e.time),
                   FcuNumberText(e.fcu),
                   std::string(ChannelText(e.channel)),
                   std::string(EventKindText(e.kind)),
                   std::string(EventEdgeText(e.edge)),
                   EventCodeText(e),
                   EventDetailText(e),
                   e.kind == FcuEventKind::Command ? std::string(SourceText(e.source)) : std::string(),
                   e.dayFile < dayFileNames.size() ? dayFileNames[e.dayFile] : std::string(),
                   std::to_string(e.offset)};
            return true;
        }
        return false;
    });
}

const RegisterCommand registration(45, [](CLI::App& app) {
    auto options = std::make_shared<EventsOptions>();
    CLI::App* cmd = app.add_subcommand(
        "events", "List the loop's events (commands, status and alarm edges, positions, heard) of all records");
    AddLoadOptions(*cmd, options->load);
    // The loop's events are never narrowed by a command entry: that option is not offered here.
    cmd->remove_option(cmd->get_option("--command"));
    AddTableOutputOptions(*cmd, options->type, options->out);
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
