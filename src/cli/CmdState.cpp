// vyx state: the state of every FCU of the loop at a moment (type, last command, alarms in force, status,
// position, last heard per channel), or with --compare how it changed between two moments.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "analysis/LoopStateQuery.h"
#include "analysis/LoopText.h"
#include "analysis/LoopTiles.h"
#include "cli/Command.h"
#include "cli/LoopEventsRun.h"
#include "cli/TableOutput.h"
#include "decode/FCUType.h"
#include "decode/FormatModbusMultipleData.h"
#include "decode/FormatRecord.h"
#include "decode/ParameterBlockXferFormatObjIterator.h"

namespace vyx::cli {
namespace {

struct StateOptions {
    LoadOptions load;
    std::string at;
    std::string compare;
    std::string type = "csv";
    std::string out;
    std::uint32_t silentMinutes = TileRules{}.silentAfter / 60;
};

std::string TimeText(bool known, std::uint32_t time) {
    return known ? FormatTimeValue(time) : std::string();
}

std::string TypeText(const FcuListing& l) {
    return l.Listed() ? std::string(FCUTypeText(l.Type())) : std::string("not listed");
}

std::string TypeBText(const FcuListing& l) {
    return l.TypesDiffer() ? std::string(FCUTypeText(l.typeB)) : std::string();
}

// The FCUs a state shows: every FCU of the FCU information file and any other one that was seen.
std::vector<int> FcusShown(const CFcuEvents& events, const LoopState& a, const LoopState* b, int choice) {
    std::vector<int> fcus;
    if (choice <= 0) fcus.push_back(kLoopFcu);
    if (choice < 0) return fcus;
    for (int n = 1; n <= kMaxFcuNumber; ++n) {
        if (choice > 0 && n != choice) continue;
        const auto i = static_cast<std::size_t>(n);
        if (choice > 0 || events.Listings()[i].Listed() || a.fcus[i].seen || (b && b->fcus[i].seen)) fcus.push_back(n);
    }
    return fcus;
}

const std::vector<TableColumn>& StateColumns() {
    static const std::vector<TableColumn> columns = {
        {"FCU", 6},       {"Type", 24},          {"Type B", 16},        {"State", 8},          {"Last command", 36},
        {"Command time", 24}, {"Command Sr.No.", 10}, {"Alarms", 50},     {"Status", 50},       {"Position", 10},
        {"Position time", 24}, {"Last heard A", 24}, {"Last heard B", 24},
    };
    return columns;
}

// State: the condition the viewer's tile shows at t (alarm, stopped, moving, silent, normal, unknown).
std::vector<std::string> StateRow(const CFcuEvents& events, const LoopState& s, int n, std::uint32_t t,
                                  const TileRules& rules) {
    const std::string condition(TileConditionText(ConditionOf(s, n, t, rules)));
    if (n == kLoopFcu) {
        const MasterStationView& a = s.masters[0];
        const MasterStationView& b = s.masters[1];
        std::string status;
        std::string faults;
        for (std::size_t c = 0; c < 2; ++c) {
            const MasterStationView& m = s.masters[c];
            if (m.statusKnown) {
                if (!status.empty()) status += " | ";
                status += std::string(ChannelText(static_cast<int>(c))) + ": " + SystemStatusText(m);
            }
            if (m.loopFaultKnown) {
                if (!faults.empty()) faults += " | ";
                faults += std::string(ChannelText(static_cast<int>(c))) + ": " + EventDetailText([&] {
                    FcuEvent e;
                    e.kind = FcuEventKind::LoopFault;
                    e.code = m.loopFault;
                    return e;
                }()) + " (last at " + FormatTimeValue(m.loopFaultTime) + ")";
            }
        }
        return {"Loop",
                "",
                "",
                condition,
                CommandMarkText(s.loopCommand),
                TimeText(s.loopCommand.known, s.loopCommand.time),
                s.loopCommand.known ? std::to_string(s.loopCommand.serial + 1) : std::string(),
                faults,
                status,
                "",
                "",
                TimeText(a.heard, a.lastHeard),
                TimeText(b.heard, b.lastHeard)};
    }
    const FcuListing& l = events.Listings()[static_cast<std::size_t>(n)];
    const FcuState& f = s.fcus[static_cast<std::size_t>(n)];
    if (!f.seen) return {std::to_string(n), TypeText(l), TypeBText(l), "unknown", "", "", "", "", "", "", "", "", ""};
    const std::string alarms =
        f.alarmChannel < 2 ? AlarmsText(f.AlarmMask(), f.channel[f.alarmChannel]) : std::string();
    return {std::to_string(n),
            TypeText(l),
            TypeBText(l),
            condition,
            CommandMarkText(f.command),
            TimeText(f.command.known, f.command.time),
            f.command.known ? std::to_string(f.command.serial + 1) : std::string(),
            alarms,
            StatusText(f.StatusMask()),
            f.positionKnown ? FormatValvePosition(f.position) + "%" : std::string(),
            TimeText(f.positionKnown, f.positionTime),
            TimeText(f.channel[0].heard, f.channel[0].lastHeard),
            TimeText(f.channel[1].heard, f.channel[1].lastHeard)};
}

const std::vector<TableColumn>& CompareColumns() {
    static const std::vector<TableColumn> columns = {
        {"FCU", 6},           {"Type", 24},      {"Alarms set", 40}, {"Alarms cleared", 40}, {"Status set", 40},
        {"Status cleared", 40}, {"Command", 40}, {"Position", 20},   {"Silent", 40},
    };
    return columns;
}

std::vector<std::string> CompareRow(const CFcuEvents& events, const LoopState& before, const LoopState& after,
                                    const FcuDifference& d) {
    const bool loop = d.fcu == kLoopFcu;
    const FcuEventKind statusKind = loop ? FcuEventKind::SystemStatus : FcuEventKind::Status;
    std::string command;
    if (d.commandChanged) {
        const CommandMark& mark = loop ? after.loopCommand : after.fcus[static_cast<std::size_t>(d.fcu)].command;
        command = CommandMarkText(mark) + " at " + FormatTimeValue(mark.time);
    }
    std::string position;
    if (!loop && d.positionChanged) {
        const FcuState& a = before.fcus[static_cast<std::size_t>(d.fcu)];
        const FcuState& b = after.fcus[static_cast<std::size_t>(d.fcu)];
        position = (a.positionKnown ? FormatValvePosition(a.position) + "%" : std::string("unknown")) + " -> " +
                   FormatValvePosition(b.position) + "%";
    }
    if (loop && d.loopFaultChanged) position = "loop fault reported";
    std::string silent;
    for (int c = 0; c < 2; ++c) {
        if (!d.silent[static_cast<std::size_t>(c)]) continue;
        const std::uint32_t last = loop ? before.masters[static_cast<std::size_t>(c)].lastHeard
                                        : before.fcus[static_cast<std::size_t>(d.fcu)].channel[static_cast<std::size_t>(c)].lastHeard;
        if (!silent.empty()) silent += "; ";
        silent += std::string(ChannelText(c)) + " since " + FormatTimeValue(last);
    }
    if (d.firstHeard) silent = silent.empty() ? "first heard" : "first heard; " + silent;
    return {FcuNumberText(d.fcu),
            loop ? std::string() : TypeText(events.Listings()[static_cast<std::size_t>(d.fcu)]),
            CodeListText(FcuEventKind::Alarm, d.alarmsSet),
            CodeListText(FcuEventKind::Alarm, d.alarmsCleared),
            CodeListText(statusKind, d.statusSet),
            CodeListText(statusKind, d.statusCleared),
            command,
            position,
            silent};
}

void Run(const StateOptions& o) {
    const std::uint32_t at = TimeOption("--at", o.at);
    const int choice = FcuOption(o.load.fcu);
    TableOutputOptions table{o.type, o.out, o.load.folder, "Loop state"};
    CheckTableOutput(table);
    std::uint32_t second = 0;
    if (!o.compare.empty()) second = TimeOption("--compare", o.compare);

    CLoopEventsRun run(o.load);
    const CFcuEvents& events = run.Build();
    CLoopStateQuery query(events);
    if (o.compare.empty()) {
        TileRules rules;
        rules.silentAfter = o.silentMinutes * 60;
        const LoopState& state = query.StateAt(at);
        const std::vector<int> fcus = FcusShown(events, state, nullptr, choice);
        std::size_t next = 0;
        WriteTable(table, StateColumns(), [&](std::vector<std::string>& row) {
            if (next >= fcus.size()) return false;
            row = StateRow(events, state, fcus[next++], at, rules);
            return true;
        });
        return;
    }
    table.title = "Loop state compared";
    const auto before = std::make_unique<LoopState>(query.StateAt(std::min(at, second)));
    const auto after = std::make_unique<LoopState>(query.StateAt(std::max(at, second)));
    std::vector<FcuDifference> differences = CompareLoopStates(*before, *after);
    if (choice != 0) {
        const int wanted = choice < 0 ? kLoopFcu : choice;
        std::erase_if(differences, [&](const FcuDifference& d) { return d.fcu != wanted; });
    }
    std::size_t next = 0;
    WriteTable(table, CompareColumns(), [&](std::vector<std::string>& row) {
        if (next >= differences.size()) return false;
        row = CompareRow(events, *before, *after, differences[next++]);
        return true;
    });
}

const RegisterCommand registration(46, [](CLI::App& app) {
    auto options = std::make_shared<StateOptions>();
    CLI::App* cmd = app.add_subcommand("state", "Show the state of every FCU of the loop at a moment, or compare two");
    cmd->add_option("DIR", options->load.folder, "Data folder (day files and MISCDATA.TXT)")->required();
    cmd->add_option("--at", options->at, "The moment, \"dd/MM/yyyy HH:MM:SS\"")->required();
    cmd->add_option("--compare", options->compare, "A second moment: show what changed between the two");
    cmd->add_option("--fcu", options->load.fcu, "FCU number 1..300, loop, or \"--ALL--\"")->capture_default_str();
    cmd->add_option("--modbus-addr", options->load.modbusAddress, "Modbus base slave address, 0..252")
        ->capture_default_str();
    cmd->add_option("--silent-after", options->silentMinutes,
                    "Minutes without a report before a master station counts as not hearing an FCU (State)")
        ->check(CLI::Range(1, 7 * 24 * 60))
        ->capture_default_str();
    cmd->add_flag("--recover", options->load.recover,
                  "Resynchronise in damaged day files instead of stopping or jumping where a frame is wrong");
    AddTableOutputOptions(*cmd, options->type, options->out);
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
