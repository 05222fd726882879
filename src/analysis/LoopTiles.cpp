#include "analysis/LoopTiles.h"

#include "analysis/AlarmCodeLists.h"
#include "analysis/LoopText.h"
#include "decode/FCUType.h"
#include "decode/FormatModbusMultipleData.h"
#include "decode/FormatRecord.h"
#include "decode/ParameterBlockXferFormatObjIterator.h"

namespace vyx {
namespace {

// Status codes 7 "Actuator stopped in mid travel" and 8..14: the valve or its motor moving.
constexpr int kStoppedInTravelStatus = 7;
constexpr int kFirstMovingStatus = 8;
constexpr int kLastMovingStatus = 14;

bool Has(std::uint32_t mask, int code) { return (mask >> code) & 1u; }

ChannelMark MarkOf(bool heard, std::uint32_t lastHeard, std::uint32_t t, const TileRules& rules) {
    if (!heard) return ChannelMark::Never;
    return t > lastHeard && t - lastHeard > rules.silentAfter ? ChannelMark::Silent : ChannelMark::Heard;
}

std::array<ChannelMark, 2> MarksOf(const LoopState& s, int fcu, std::uint32_t t, const TileRules& rules) {
    std::array<ChannelMark, 2> marks{};
    for (std::size_t c = 0; c < 2; ++c) {
        if (fcu == kLoopFcu) marks[c] = MarkOf(s.masters[c].heard, s.masters[c].lastHeard, t, rules);
        else {
            const FcuChannelView& v = s.fcus[static_cast<std::size_t>(fcu)].channel[c];
            marks[c] = MarkOf(v.heard, v.lastHeard, t, rules);
        }
    }
    return marks;
}

void Line(std::string& out, std::string_view name, const std::string& value) {
    if (value.empty()) return;
    if (!out.empty()) out += '\n';
    out += name;
    out += ": ";
    out += value;
}

std::string HeardText(bool heard, std::uint32_t last, ChannelMark mark) {
    if (!heard) return "never";
    return FormatTimeValue(last) + (mark == ChannelMark::Silent ? " (silent)" : "");
}

std::string TypeText(const FcuListing& l) {
    if (!l.Listed()) return "not listed";
    std::string text(FCUTypeText(l.Type()));
    if (l.TypesDiffer()) text += std::string(" / B: ") + std::string(FCUTypeText(l.typeB));
    return text;
}

}  // namespace

std::string_view TileConditionText(TileCondition condition) {
    switch (condition) {
        case TileCondition::Unknown: return "unknown";
        case TileCondition::Stopped: return "stopped";
        case TileCondition::Alarm: return "alarm";
        case TileCondition::Silent: return "silent";
        case TileCondition::Moving: return "moving";
        case TileCondition::Normal: return "normal";
    }
    return {};
}

std::vector<int> TileFcus(const CFcuEvents& events, const LoopState& atEnd) {
    std::vector<int> fcus{kLoopFcu};
    for (int n = 1; n <= kMaxFcuNumber; ++n) {
        const auto i = static_cast<std::size_t>(n);
        if (events.Listings()[i].Listed() || atEnd.fcus[i].seen) fcus.push_back(n);
    }
    return fcus;
}

TileCondition ConditionOf(const LoopState& s, int fcu, std::uint32_t t, const TileRules& rules) {
    const std::array<ChannelMark, 2> marks = MarksOf(s, fcu, t, rules);
    if (marks[0] == ChannelMark::Never && marks[1] == ChannelMark::Never) return TileCondition::Unknown;
    const bool silent = marks[0] != ChannelMark::Heard && marks[1] != ChannelMark::Heard;
    if (fcu == kLoopFcu) {
        if (s.masters[0].statusMask | s.masters[1].statusMask) return TileCondition::Alarm;
        return silent ? TileCondition::Silent : TileCondition::Normal;
    }
    const FcuState& f = s.fcus[static_cast<std::size_t>(fcu)];
    const std::uint32_t alarms = f.AlarmMask();
    const std::uint32_t status = f.StatusMask();
    bool counted = false;
    for (int code = kFirstAlarmCode; code <= kLastAlarmCode; ++code) {
        if (!Has(alarms, code)) continue;
        if (IsMovementStoppingAlarmCode(code)) return TileCondition::Stopped;
        counted |= IsCountedAlarmCode(code);
    }
    if (Has(status, kStoppedInTravelStatus)) return TileCondition::Stopped;
    if (counted) return TileCondition::Alarm;
    if (silent) return TileCondition::Silent;
    for (int code = kFirstMovingStatus; code <= kLastMovingStatus; ++code) {
        if (Has(status, code)) return TileCondition::Moving;
    }
    return TileCondition::Normal;
}

LoopTile MakeTile(const CFcuEvents& events, const LoopState& state, int fcu, std::uint32_t t, const TileRules& rules,
                  const FcuDifference* d) {
    LoopTile tile;
    tile.fcu = fcu;
    tile.label = FcuNumberText(fcu);
    if (fcu != kLoopFcu) {
        const FcuListing& l = events.Listings()[static_cast<std::size_t>(fcu)];
        tile.type = l.Listed() ? std::string(FCUTypeText(l.Type())) : std::string("not listed");
        if (l.TypesDiffer()) tile.type += " / " + std::string(FCUTypeText(l.typeB));
    }
    tile.condition = ConditionOf(state, fcu, t, rules);
    tile.channels = MarksOf(state, fcu, t, rules);
    if (d && d->Any()) {
        auto mark = [&](bool on, const char* text) {
            if (!on) return;
            if (!tile.change.empty()) tile.change += ' ';
            tile.change += text;
        };
        mark(d->alarmsSet != 0, "+AL");
        mark(d->alarmsCleared != 0, "-AL");
        mark(d->statusSet != 0 || d->statusCleared != 0, "ST");
        mark(d->commandChanged, "CMD");
        mark(d->positionChanged, "POS");
        mark(d->loopFaultChanged, "FLT");
        mark(d->silent[0] || d->silent[1], "SIL");
        mark(d->firstHeard, "NEW");
    }
    return tile;
}

std::string TileStateText(const CFcuEvents& events, const LoopState& s, int fcu, std::uint32_t t,
                          const TileRules& rules) {
    std::string out = fcu == kLoopFcu ? std::string("Loop") : "FCU " + std::to_string(fcu);
    const std::array<ChannelMark, 2> marks = MarksOf(s, fcu, t, rules);
    out += " at " + FormatTimeValue(t) + ": " + std::string(TileConditionText(ConditionOf(s, fcu, t, rules)));
    if (fcu == kLoopFcu) {
        Line(out, "Last command", s.loopCommand.known ? CommandMarkText(s.loopCommand) + " at " +
                                                            FormatTimeValue(s.loopCommand.time)
                                                      : std::string());
        for (std::size_t c = 0; c < 2; ++c) {
            const MasterStationView& m = s.masters[c];
            const std::string channel(ChannelText(static_cast<int>(c)));
            Line(out, channel + " system status", SystemStatusText(m));
            if (m.loopFaultKnown) {
                FcuEvent fault;
                fault.kind = FcuEventKind::LoopFault;
                fault.code = m.loopFault;
                Line(out, channel + " loop fault", EventDetailText(fault) + " (last at " + FormatTimeValue(m.loopFaultTime) + ")");
            }
            Line(out, "Last heard " + channel, HeardText(m.heard, m.lastHeard, marks[c]));
        }
        return out;
    }
    const FcuState& f = s.fcus[static_cast<std::size_t>(fcu)];
    Line(out, "Type", TypeText(events.Listings()[static_cast<std::size_t>(fcu)]));
    if (!f.seen) return out;
    Line(out, "Alarms", f.alarmChannel < 2 ? AlarmsText(f.AlarmMask(), f.channel[f.alarmChannel]) : std::string());
    Line(out, "Status", StatusText(f.StatusMask()));
    Line(out, "Last command",
         f.command.known ? CommandMarkText(f.command) + " at " + FormatTimeValue(f.command.time) : std::string());
    Line(out, "Position", f.positionKnown ? FormatValvePosition(f.position) + "% (at " + FormatTimeValue(f.positionTime) + ")"
                                          : std::string());
    for (std::size_t c = 0; c < 2; ++c) {
        Line(out, "Last heard " + std::string(ChannelText(static_cast<int>(c))),
             HeardText(f.channel[c].heard, f.channel[c].lastHeard, marks[c]));
    }
    return out;
}

std::string DifferenceText(const LoopState& before, const LoopState& after, const FcuDifference& d) {
    const bool loop = d.fcu == kLoopFcu;
    const FcuEventKind statusKind = loop ? FcuEventKind::SystemStatus : FcuEventKind::Status;
    std::string out;
    Line(out, "Alarms set", CodeListText(FcuEventKind::Alarm, d.alarmsSet));
    Line(out, "Alarms cleared", CodeListText(FcuEventKind::Alarm, d.alarmsCleared));
    Line(out, "Status set", CodeListText(statusKind, d.statusSet));
    Line(out, "Status cleared", CodeListText(statusKind, d.statusCleared));
    if (d.commandChanged) {
        const CommandMark& mark = loop ? after.loopCommand : after.fcus[static_cast<std::size_t>(d.fcu)].command;
        Line(out, "Command", mark.known ? CommandMarkText(mark) + " at " + FormatTimeValue(mark.time) : std::string("none"));
    }
    if (!loop && d.positionChanged) {
        const FcuState& a = before.fcus[static_cast<std::size_t>(d.fcu)];
        const FcuState& b = after.fcus[static_cast<std::size_t>(d.fcu)];
        Line(out, "Position", (a.positionKnown ? FormatValvePosition(a.position) + "%" : std::string("unknown")) +
                                  " -> " + FormatValvePosition(b.position) + "%");
    }
    if (loop && d.loopFaultChanged) Line(out, "Loop fault", "reported");
    for (int c = 0; c < 2; ++c) {
        if (!d.silent[static_cast<std::size_t>(c)]) continue;
        const std::uint32_t last =
            loop ? before.masters[static_cast<std::size_t>(c)].lastHeard
                 : before.fcus[static_cast<std::size_t>(d.fcu)].channel[static_cast<std::size_t>(c)].lastHeard;
        Line(out, "Silent", std::string(ChannelText(c)) + " since " + FormatTimeValue(last));
    }
    if (d.firstHeard) Line(out, "First heard", "between the two moments");
    return out;
}

}  // namespace vyx
