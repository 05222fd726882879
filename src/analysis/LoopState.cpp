#include "analysis/LoopState.h"

namespace vyx {
namespace {

void ApplyEdge(std::uint32_t& mask, FcuEventEdge edge, int code) {
    if (code >= 32) return;  // kNoCode: a first report without codes
    const std::uint32_t bit = std::uint32_t{1} << code;
    if (edge == FcuEventEdge::Cleared) mask &= ~bit;
    else mask |= bit;
}

void ApplyCommand(CommandMark& mark, const FcuEvent& e) {
    mark.known = 1;
    mark.time = e.time;
    mark.serial = e.Serial();
    mark.code = e.code;
    mark.source = e.source;
    mark.channel = e.channel;
    mark.sequence = e.value;
}

}  // namespace

void LoopState::Apply(const FcuEvent& e) {
    ++eventsApplied;
    lastEventTime = e.time;
    const std::size_t ch = e.channel & 1u;
    if (e.fcu == kLoopFcu || e.fcu > kMaxFcuNumber) {
        MasterStationView& m = masters[ch];
        switch (e.kind) {
            case FcuEventKind::Command: ApplyCommand(loopCommand, e); break;
            case FcuEventKind::SystemStatus:
                if (e.edge == FcuEventEdge::Initial) m.statusKnown = 1;
                ApplyEdge(m.statusMask, e.edge, e.code);
                if (e.edge != FcuEventEdge::Cleared && e.code < m.statusSince.size()) m.statusSince[e.code] = e.time;
                break;
            case FcuEventKind::LoopFault:
                m.loopFaultKnown = 1;
                m.loopFault = e.code;
                m.loopFaultTime = e.time;
                break;
            case FcuEventKind::Heard:
                m.heard = 1;
                m.lastHeard = e.time;
                break;
            default: break;
        }
        return;
    }
    FcuState& f = fcus[e.fcu];
    f.seen = 1;
    FcuChannelView& v = f.channel[ch];
    switch (e.kind) {
        case FcuEventKind::Command: ApplyCommand(f.command, e); break;
        case FcuEventKind::Status:
            if (e.edge == FcuEventEdge::Initial) v.statusKnown = 1;
            ApplyEdge(v.statusMask, e.edge, e.code);
            break;
        case FcuEventKind::Alarm:
            if (e.edge == FcuEventEdge::Initial) v.alarmKnown = 1;
            ApplyEdge(v.alarmMask, e.edge, e.code);
            if (e.code < v.alarmSince.size()) {
                const std::uint32_t bit = std::uint32_t{1} << e.code;
                if (e.edge == FcuEventEdge::Initial) v.alarmInitialMask |= bit;
                else v.alarmInitialMask &= ~bit;
                v.alarmSince[e.code] = e.edge == FcuEventEdge::Cleared ? 0 : e.time;
            }
            break;
        case FcuEventKind::Position:
            f.positionKnown = 1;
            f.position = e.value;
            f.positionTime = e.time;
            f.positionChannel = static_cast<std::uint8_t>(ch);
            break;
        case FcuEventKind::Heard:
            v.heard = 1;
            v.lastHeard = e.time;
            if (e.value & kHeardStatus) {
                v.statusReport = e.time;
                f.statusChannel = static_cast<std::uint8_t>(ch);
            }
            if (e.value & kHeardAlarm) {
                v.alarmReport = e.time;
                f.alarmChannel = static_cast<std::uint8_t>(ch);
            }
            break;
        default: break;
    }
}

}  // namespace vyx
