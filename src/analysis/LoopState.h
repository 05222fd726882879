#pragma once
// The state of the loop after some events: per FCU and channel the codes in force, the last command, the
// position and when each master station last heard it. A plain value (no pointers), so a checkpoint is a
// copy of its bytes and two states compare field by field.

#include <array>
#include <cstdint>
#include <type_traits>

#include "analysis/FcuEvent.h"

namespace vyx {

constexpr std::uint8_t kNoChannel = 2;

// One master station's view of one FCU.
struct FcuChannelView {
    std::uint32_t lastHeard = 0;
    std::uint32_t statusReport = 0;  // time of the last status word
    std::uint32_t alarmReport = 0;   // time of the last alarm word
    std::uint32_t statusMask = 0;    // bit c: status code c present
    std::uint32_t alarmMask = 0;     // bit c: alarm code c present
    std::uint32_t alarmInitialMask = 0;  // bit c: present since the first report (not seen to become so)
    std::array<std::uint32_t, 24> alarmSince{};  // by alarm code: when it was set (or first reported)
    std::uint8_t heard = 0;
    std::uint8_t statusKnown = 0;
    std::uint8_t alarmKnown = 0;
    std::uint8_t reserved = 0;
    bool operator==(const FcuChannelView&) const = default;
};

struct CommandMark {
    std::int64_t serial = 0;
    std::uint32_t time = 0;
    std::uint16_t sequence = 0;
    std::uint8_t known = 0;
    std::uint8_t code = 0;
    std::uint8_t source = 0;
    std::uint8_t channel = 0;
    std::uint8_t reserved[2] = {0, 0};
    bool operator==(const CommandMark&) const = default;
};

struct FcuState {
    std::array<FcuChannelView, 2> channel{};
    CommandMark command;
    std::uint32_t positionTime = 0;
    std::uint16_t position = 0;
    std::uint8_t positionKnown = 0;
    std::uint8_t positionChannel = kNoChannel;
    std::uint8_t statusChannel = kNoChannel;  // the channel whose status word came last: it wins
    std::uint8_t alarmChannel = kNoChannel;   // the same for alarm words
    std::uint8_t seen = 0;                    // any event at all: "unknown" until then
    std::uint8_t reserved = 0;

    // Codes in force: those of the channel that reported last (0 when no word came yet).
    std::uint32_t StatusMask() const { return statusChannel < 2 ? channel[statusChannel].statusMask : 0; }
    std::uint32_t AlarmMask() const { return alarmChannel < 2 ? channel[alarmChannel].alarmMask : 0; }
    bool operator==(const FcuState&) const = default;
};

// One master station's own conditions.
struct MasterStationView {
    std::uint32_t lastHeard = 0;
    std::uint32_t statusMask = 0;  // bit c: system status code c present
    std::array<std::uint32_t, 8> statusSince{};
    std::uint32_t loopFaultTime = 0;
    std::uint8_t heard = 0;
    std::uint8_t statusKnown = 0;
    std::uint8_t loopFaultKnown = 0;
    std::uint8_t loopFault = 0;  // the code of the last loop fault reported
    bool operator==(const MasterStationView&) const = default;
};

struct LoopState {
    std::array<FcuState, kMaxFcuNumber + 1> fcus{};  // index = FCU number; 0 unused
    std::array<MasterStationView, 2> masters{};
    CommandMark loopCommand;  // the last system-wide command
    std::uint64_t eventsApplied = 0;
    std::uint32_t lastEventTime = 0;
    std::uint32_t reserved = 0;

    // The state after one more event (events come in time order).
    void Apply(const FcuEvent& event);
    // The same for an event of a kind known where it is made: the events pass applies every event it finds.
    template <FcuEventKind Kind>
    void Apply(const FcuEvent& event);
    bool operator==(const LoopState&) const = default;

private:
    static void ApplyEdge(std::uint32_t& mask, FcuEventEdge edge, int code) {
        if (code >= 32) return;  // kNoCode: a first report without codes
        const std::uint32_t bit = std::uint32_t{1} << code;
        if (edge == FcuEventEdge::Cleared) mask &= ~bit;
        else mask |= bit;
    }
    static void ApplyCommand(CommandMark& mark, const FcuEvent& e) {
        mark.known = 1;
        mark.time = e.time;
        mark.serial = e.Serial();
        mark.code = e.code;
        mark.source = e.source;
        mark.channel = e.channel;
        mark.sequence = e.value;
    }
};

template <FcuEventKind Kind>
void LoopState::Apply(const FcuEvent& e) {
    ++eventsApplied;
    lastEventTime = e.time;
    const std::size_t ch = e.channel & 1u;
    if (e.fcu == kLoopFcu || e.fcu > kMaxFcuNumber) {
        MasterStationView& m = masters[ch];
        if constexpr (Kind == FcuEventKind::Command) {
            ApplyCommand(loopCommand, e);
        } else if constexpr (Kind == FcuEventKind::SystemStatus) {
            if (e.edge == FcuEventEdge::Initial) m.statusKnown = 1;
            ApplyEdge(m.statusMask, e.edge, e.code);
            if (e.edge != FcuEventEdge::Cleared && e.code < m.statusSince.size()) m.statusSince[e.code] = e.time;
        } else if constexpr (Kind == FcuEventKind::LoopFault) {
            m.loopFaultKnown = 1;
            m.loopFault = e.code;
            m.loopFaultTime = e.time;
        } else if constexpr (Kind == FcuEventKind::Heard) {
            m.heard = 1;
            m.lastHeard = e.time;
        }
        return;
    }
    FcuState& f = fcus[e.fcu];
    f.seen = 1;
    FcuChannelView& v = f.channel[ch];
    if constexpr (Kind == FcuEventKind::Command) {
        ApplyCommand(f.command, e);
    } else if constexpr (Kind == FcuEventKind::Status) {
        if (e.edge == FcuEventEdge::Initial) v.statusKnown = 1;
        ApplyEdge(v.statusMask, e.edge, e.code);
    } else if constexpr (Kind == FcuEventKind::Alarm) {
        if (e.edge == FcuEventEdge::Initial) v.alarmKnown = 1;
        ApplyEdge(v.alarmMask, e.edge, e.code);
        if (e.code < v.alarmSince.size()) {
            const std::uint32_t bit = std::uint32_t{1} << e.code;
            if (e.edge == FcuEventEdge::Initial) v.alarmInitialMask |= bit;
            else v.alarmInitialMask &= ~bit;
            v.alarmSince[e.code] = e.edge == FcuEventEdge::Cleared ? 0 : e.time;
        }
    } else if constexpr (Kind == FcuEventKind::Position) {
        f.positionKnown = 1;
        f.position = e.value;
        f.positionTime = e.time;
        f.positionChannel = static_cast<std::uint8_t>(ch);
    } else if constexpr (Kind == FcuEventKind::Heard) {
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
    }
}

static_assert(std::is_trivially_copyable_v<LoopState>, "checkpoints are the state's bytes");

}  // namespace vyx
