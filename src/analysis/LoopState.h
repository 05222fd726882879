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
    bool operator==(const LoopState&) const = default;
};
static_assert(std::is_trivially_copyable_v<LoopState>, "checkpoints are the state's bytes");

}  // namespace vyx
