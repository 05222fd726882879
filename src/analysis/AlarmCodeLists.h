#pragma once
// Which FCU alarm codes an operator is alarmed by, and which of them keep a valve from moving. The alarm
// figures, the command-response check and the list's default tint all ask here, and the reports print
// these lists, so that the one place to change them is this one.

#include <array>

#include "decode/FCUStatusCatalogue.h"

namespace vyx {

// Code 4 "REMOTE" is the actuator in remote control: its normal state, not an alarm.
constexpr int kRemoteAlarmCode = 4;

// Thermostat trip, Local stop operated, Valve obstructed, Valve jammed.
constexpr std::array<int, 4> kMovementStoppingAlarmCodes = {9, 11, 14, 15};

constexpr bool IsCountedAlarmCode(int code) {
    return code >= kFirstAlarmCode && code <= kLastAlarmCode && code != kRemoteAlarmCode;
}

constexpr bool IsMovementStoppingAlarmCode(int code) {
    for (int stopping : kMovementStoppingAlarmCodes)
        if (stopping == code) return true;
    return false;
}

}  // namespace vyx
