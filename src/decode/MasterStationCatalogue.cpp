#include "decode/MasterStationCatalogue.h"

#include <array>

#include "res/StringTable.h"

namespace vyx {
namespace {

constexpr std::array<std::string_view, 6> kSystemStatusDetail = {
    "LoopBack in Use",
    "Power On Reset",
    "Watchdog Fail",
    "Auto-Loopback Occured",
    "Master Station 'A' (Left) Unhealthy",
    "Master Station 'B' (Right) Unhealthy",
};

constexpr std::array<std::string_view, 2> kLoopFaultDetail = {"Loop open circuit", "Loop short circuit"};

bool Bit(std::uint8_t byte, int bit) {
    return ((byte >> bit) & 1) != 0;
}

}  // namespace

CFCUCodeList DecodeSystemStatus(std::uint8_t first, std::uint8_t second) {
    CFCUCodeList codes;
    if (Bit(second, 1)) codes.Add(kSystemStatusLoopBackInUse);
    if (Bit(first, 2)) codes.Add(kSystemStatusPowerOnReset);
    if (Bit(first, 3)) codes.Add(kSystemStatusWatchdogFail);
    if (Bit(first, 4)) codes.Add(kSystemStatusAutoLoopBack);
    if (!Bit(first, 6)) codes.Add(kSystemStatusMasterAUnhealthy);
    if (!Bit(first, 7)) codes.Add(kSystemStatusMasterBUnhealthy);
    return codes;
}

std::optional<int> DecodeLoopFault(std::uint8_t first) {
    switch (first & 0x0F) {
        case 5: return kLoopFaultOpenCircuit;
        case 6: return kLoopFaultShortCircuit;
        default: return std::nullopt;
    }
}

std::string_view SystemStatusDetailText(int code) {
    if (code < 0 || code >= static_cast<int>(kSystemStatusDetail.size())) return {};
    return kSystemStatusDetail[static_cast<std::size_t>(code)];
}

std::string_view LoopFaultDetailText(int code) {
    if (code < 0 || code >= static_cast<int>(kLoopFaultDetail.size())) return {};
    return kLoopFaultDetail[static_cast<std::size_t>(code)];
}

int SystemStatusFilterStringId(int code) {
    if (code < 0 || code > kSystemStatusMasterBUnhealthy) return 0;
    return res::IDS_MS_LOOPBACK_IN_USE + code;
}

int LoopFaultFilterStringId(int code) {
    switch (code) {
        case kLoopFaultOpenCircuit: return res::IDS_MS_LOOP_OPEN_CIRCUIT;
        case kLoopFaultShortCircuit: return res::IDS_MS_LOOP_SHORT_CIRCUIT;
        default: return 0;
    }
}

std::string_view SystemStatusFilterText(int code) {
    const int id = SystemStatusFilterStringId(code);
    return id ? res::LoadString(id) : std::string_view{};
}

std::string_view LoopFaultFilterText(int code) {
    const int id = LoopFaultFilterStringId(code);
    return id ? res::LoadString(id) : std::string_view{};
}

}  // namespace vyx
