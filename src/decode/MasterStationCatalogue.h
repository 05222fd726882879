#pragma once
// The master station's own conditions carried by block transfers: system status codes 0..5 and loop fault
// codes 0..1, how they are read from an item's two bytes, and their two wordings.

#include <cstdint>
#include <optional>
#include <string_view>

#include "decode/FCUCodeList.h"

namespace vyx {

constexpr int kSystemStatusLoopBackInUse = 0;
constexpr int kSystemStatusPowerOnReset = 1;
constexpr int kSystemStatusWatchdogFail = 2;
constexpr int kSystemStatusAutoLoopBack = 3;
constexpr int kSystemStatusMasterAUnhealthy = 4;
constexpr int kSystemStatusMasterBUnhealthy = 5;
constexpr int kLoopFaultOpenCircuit = 0;
constexpr int kLoopFaultShortCircuit = 1;

// Codes 0..5 in code order, each when its condition holds (4 and 5 when the health bits are CLEAR).
CFCUCodeList DecodeSystemStatus(std::uint8_t firstByte, std::uint8_t secondByte);

// Only the low four bits count: 5 is an open loop, 6 a short circuit, anything else no fault.
std::optional<int> DecodeLoopFault(std::uint8_t firstByte);

// Detail texts; empty outside the codes.
std::string_view SystemStatusDetailText(int code);
std::string_view LoopFaultDetailText(int code);

// String-table ids of the filter wording (0 outside the codes) and the texts themselves.
int SystemStatusFilterStringId(int code);
int LoopFaultFilterStringId(int code);
std::string_view SystemStatusFilterText(int code);
std::string_view LoopFaultFilterText(int code);

}  // namespace vyx
