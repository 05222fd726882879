#include "analysis/LoopText.h"

#include "decode/FCUStatusCatalogue.h"
#include "decode/FormatRecord.h"
#include "decode/MasterStationCatalogue.h"
#include "decode/ParameterBlockXferFormatObjIterator.h"

namespace vyx {
namespace {

std::string_view CodeText(FcuEventKind kind, int code) {
    switch (kind) {
        case FcuEventKind::Status: return StatusDetailText(code);
        case FcuEventKind::Alarm: return AlarmDetailText(code);
        case FcuEventKind::SystemStatus: return SystemStatusDetailText(code);
        case FcuEventKind::LoopFault: return LoopFaultDetailText(code);
        default: return {};
    }
}

void Join(std::string& out, std::string_view piece) {
    if (!out.empty()) out += "; ";
    out += piece;
}

}  // namespace

std::string_view EventKindText(FcuEventKind kind) {
    switch (kind) {
        case FcuEventKind::Command: return "command";
        case FcuEventKind::Status: return "status";
        case FcuEventKind::Alarm: return "alarm";
        case FcuEventKind::Position: return "position";
        case FcuEventKind::Heard: return "heard";
        case FcuEventKind::SystemStatus: return "system status";
        case FcuEventKind::LoopFault: return "loop fault";
    }
    return {};
}

std::string_view EventEdgeText(FcuEventEdge edge) {
    switch (edge) {
        case FcuEventEdge::Set: return "set";
        case FcuEventEdge::Cleared: return "cleared";
        case FcuEventEdge::Initial: return "initial";
        case FcuEventEdge::None: break;
    }
    return {};
}

std::string FcuNumberText(int fcu) {
    return fcu == kLoopFcu ? std::string("Loop") : std::to_string(fcu);
}

std::string EventCodeText(const FcuEvent& e) {
    switch (e.kind) {
        case FcuEventKind::Command:
        case FcuEventKind::LoopFault: return std::to_string(e.code);
        case FcuEventKind::Status:
        case FcuEventKind::Alarm:
        case FcuEventKind::SystemStatus: return e.code == kNoCode ? std::string() : std::to_string(e.code);
        default: return {};
    }
}

std::string_view EventCodeName(const FcuEvent& e) {
    if (e.kind == FcuEventKind::Command) return CommandText(e.code);
    if (e.code == kNoCode) return {};
    return CodeText(e.kind, e.code);
}

std::string EventDetailText(const FcuEvent& e) {
    switch (e.kind) {
        case FcuEventKind::Command: {
            std::string text(CommandText(e.code));
            if (e.value != 0) text += " (item " + std::to_string(e.value) + " of a write-multiple request)";
            return text;
        }
        case FcuEventKind::Position: return FormatValvePosition(e.value) + "%";
        case FcuEventKind::Heard: {
            std::string text;
            if (e.value & kHeardStatus) Join(text, "status");
            if (e.value & kHeardAlarm) Join(text, "alarm");
            if (e.value & kHeardPosition) Join(text, "position");
            if (e.value & kHeardSystemStatus) Join(text, "system status");
            if (e.value & kHeardLoopFault) Join(text, "loop fault");
            return text;
        }
        default:
            if (e.code == kNoCode) return "none";
            return std::string(CodeText(e.kind, e.code));
    }
}

std::string CodeListText(FcuEventKind kind, std::uint32_t mask) {
    std::string out;
    for (int code = 0; code < 32; ++code) {
        if (mask & (std::uint32_t{1} << code)) Join(out, CodeText(kind, code));
    }
    return out;
}

std::string AlarmsText(std::uint32_t mask, const FcuChannelView& view) {
    std::string out;
    for (int code = 1; code < 24; ++code) {
        const std::uint32_t bit = std::uint32_t{1} << code;
        if (!(mask & bit)) continue;
        std::string piece(AlarmDetailText(code));
        piece += (view.alarmInitialMask & bit) ? " (known since " : " (since ";
        piece += FormatTimeValue(view.alarmSince[static_cast<std::size_t>(code)]);
        piece += ')';
        Join(out, piece);
    }
    return out;
}

std::string StatusText(std::uint32_t mask) {
    return CodeListText(FcuEventKind::Status, mask);
}

std::string SystemStatusText(const MasterStationView& view) {
    std::string out;
    for (int code = 0; code < 6; ++code) {
        if (!(view.statusMask & (std::uint32_t{1} << code))) continue;
        std::string piece(SystemStatusDetailText(code));
        piece += " (since " + FormatTimeValue(view.statusSince[static_cast<std::size_t>(code)]) + ")";
        Join(out, piece);
    }
    return out;
}

std::string CommandMarkText(const CommandMark& mark) {
    if (!mark.known) return {};
    std::string text(CommandText(mark.code));
    text += " from ";
    text += SourceText(mark.source);
    text += " on ";
    text += ChannelText(mark.channel);
    return text;
}

}  // namespace vyx
