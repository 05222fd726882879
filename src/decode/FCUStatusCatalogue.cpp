#include "decode/FCUStatusCatalogue.h"

#include <array>
#include <bit>

#include "res/StringTable.h"

namespace vyx {
namespace {

using BitCodes = std::array<std::uint8_t, 16>;  // code per bit, 0 = bit ignored

// Rows in FCUTypeGroup order (Tarn, Vx, Kolvane, MUFCU_MU, VxAnalogue).
constexpr std::array<BitCodes, 5> kStatusWhenSet = {{
    {0, 0, 5, 6, 7, 9, 10, 11, 23, 0, 24, 25, 26, 0, 0, 0},
    {1, 2, 5, 6, 7, 8, 10, 11, 3, 4, 24, 25, 26, 27, 0, 0},
    {0, 0, 5, 6, 7, 12, 13, 14, 0, 0, 24, 25, 26, 0, 28, 0},
    {15, 16, 17, 18, 19, 20, 21, 22, 0, 0, 24, 25, 26, 0, 0, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 24, 25, 26, 0, 0, 0},
}};

constexpr std::array<BitCodes, 5> kAlarmWhenSet = {{
    {1, 2, 5, 6, 7, 8, 9, 11, 13, 14, 15, 17, 18, 19, 20, 21},
    {1, 2, 3, 6, 7, 8, 9, 11, 13, 14, 15, 22, 23, 0, 16, 21},
    {1, 2, 3, 6, 7, 8, 10, 12, 13, 14, 15, 17, 18, 0, 16, 0},
    {1, 2, 0, 6, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {1, 2, 3, 6, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
}};

// Bit 2 ("not in remote") of Vx, Kolvane and Vx Analogue alarm words reports "REMOTE" when it is clear.
constexpr std::array<BitCodes, 5> kAlarmWhenClear = {{
    {},
    {0, 0, 4},
    {0, 0, 4},
    {},
    {0, 0, 4},
}};

constexpr BitCodes kNoCodes{};

// The bits of a layout that give a code.
constexpr std::uint16_t MaskOf(const BitCodes& codes) {
    std::uint16_t mask = 0;
    for (int bit = 0; bit < 16; ++bit) {
        if (codes[static_cast<std::size_t>(bit)] != 0) mask = static_cast<std::uint16_t>(mask | (1U << bit));
    }
    return mask;
}

template <std::size_t N>
constexpr std::array<std::uint16_t, N> MasksOf(const std::array<BitCodes, N>& layouts) {
    std::array<std::uint16_t, N> masks{};
    for (std::size_t g = 0; g < N; ++g) masks[g] = MaskOf(layouts[g]);
    return masks;
}

// The codes each value of a word's low and high byte gives, as masks: a word's codes are the two ORed.
struct ByteCodeMasks {
    std::array<std::uint32_t, 256> low{}, high{};
};

constexpr ByteCodeMasks ByteMasksOf(const BitCodes& whenSet, const BitCodes& whenClear) {
    ByteCodeMasks masks;
    for (unsigned value = 0; value < 256; ++value) {
        for (unsigned bit = 0; bit < 8; ++bit) {
            const bool on = ((value >> bit) & 1U) != 0;
            const std::uint8_t low = on ? whenSet[bit] : whenClear[bit];
            const std::uint8_t high = on ? whenSet[bit + 8] : whenClear[bit + 8];
            if (low != 0) masks.low[value] |= std::uint32_t{1} << low;
            if (high != 0) masks.high[value] |= std::uint32_t{1} << high;
        }
    }
    return masks;
}

template <std::size_t N>
constexpr std::array<ByteCodeMasks, N> ByteMasksOf(const std::array<BitCodes, N>& whenSet,
                                                   const std::array<BitCodes, N>& whenClear) {
    std::array<ByteCodeMasks, N> masks{};
    for (std::size_t g = 0; g < N; ++g) masks[g] = ByteMasksOf(whenSet[g], whenClear[g]);
    return masks;
}

constexpr std::array<BitCodes, 5> kNoCodesWhenClear{};
constexpr auto kStatusByteMasks = ByteMasksOf(kStatusWhenSet, kNoCodesWhenClear);
constexpr auto kAlarmByteMasks = ByteMasksOf(kAlarmWhenSet, kAlarmWhenClear);

std::uint32_t CodeMask(std::uint16_t word, int typeIndex, const std::array<ByteCodeMasks, 5>& layouts) {
    const FCUTypeGroup group = GroupOfFCUType(typeIndex);
    if (group == FCUTypeGroup::None) return 0;
    const ByteCodeMasks& masks = layouts[static_cast<std::size_t>(group)];
    return masks.low[word & 0xFFU] | masks.high[word >> 8];
}

constexpr auto kStatusSetMask = MasksOf(kStatusWhenSet);
constexpr auto kAlarmSetMask = MasksOf(kAlarmWhenSet);
constexpr auto kAlarmClearMask = MasksOf(kAlarmWhenClear);

// Visits only the bits that give a code (most words give few), still in bit order.
CFCUCodeList Decode(std::uint16_t word, const BitCodes& whenSet, std::uint16_t setMask, const BitCodes& whenClear,
                    std::uint16_t clearMask) {
    CFCUCodeList codes;
    unsigned bits = (word & setMask) | (~word & clearMask & 0xFFFFU);
    while (bits != 0) {
        const auto bit = static_cast<std::size_t>(std::countr_zero(bits));
        codes.Add(((word >> bit) & 1U) != 0 ? whenSet[bit] : whenClear[bit]);
        bits &= bits - 1;
    }
    return codes;
}

constexpr std::array<std::string_view, 29> kStatusDetail = {
    "",
    "Aux Input 1",
    "Aux Input 2",
    "Aux Input 3",
    "Aux Input 4",
    "Open limit switch",
    "Close limit switch",
    "Actuator stopped in mid travel",
    "Vx valve moving",
    "Motor running",
    "Motor running open direction",
    "Motor running close direction",
    "Actuator moving",
    "Travelling open direction",
    "Travelling close direction",
    "DIN 1",
    "DIN 2",
    "DIN 3",
    "DIN 4",
    "DIN 5",
    "DIN 6",
    "DIN 7",
    "DIN 8",
    "External contact input",
    "Loopback on",
    "New alarm flag",
    "Any alarm present on this FCU",
    "Battery Low Indication",
    "Kolvane control, remote selected",
};

// Codes 22 and 23 have no literal: their text is the string-table entry.
constexpr std::array<std::string_view, 22> kAlarmDetail = {
    "",
    "RAM/ROM failure",
    "Comms fail",
    "Actuator not in remote control",
    "REMOTE",
    "Control not available",
    "Power on reset",
    "Watchdog fail",
    "Monitor relay",
    "Thermostat trip",
    "Low pressure",
    "Local stop operated",
    "Kolvane selected to Off",
    "Start/stop fail",
    "Valve obstructed",
    "Valve jammed",
    "Manual valve movement",
    "Manual open",
    "Manual close",
    "Manual opening",
    "Manual closing",
    "Motor running end of travel",
};

}  // namespace

FCUTypeGroup GroupOfFCUType(int typeIndex) {
    switch (typeIndex) {
        case 0:
        case 1:
        case 12: return FCUTypeGroup::Tarn;
        case 4:
        case 6:
        case 7:
        case 8: return FCUTypeGroup::Vx;
        case 3: return FCUTypeGroup::Kolvane;
        case 2: return FCUTypeGroup::MUFCU_MU;
        case 5: return FCUTypeGroup::VxAnalogue;
        default: return FCUTypeGroup::None;
    }
}

CFCUCodeList DecodeStatusWord(std::uint16_t word, int typeIndex) {
    const FCUTypeGroup group = GroupOfFCUType(typeIndex);
    if (group == FCUTypeGroup::None) return {};
    const auto g = static_cast<std::size_t>(group);
    return Decode(word, kStatusWhenSet[g], kStatusSetMask[g], kNoCodes, 0);
}

CFCUCodeList DecodeAlarmWord(std::uint16_t word, int typeIndex) {
    const FCUTypeGroup group = GroupOfFCUType(typeIndex);
    if (group == FCUTypeGroup::None) return {};
    const auto g = static_cast<std::size_t>(group);
    return Decode(word, kAlarmWhenSet[g], kAlarmSetMask[g], kAlarmWhenClear[g], kAlarmClearMask[g]);
}

std::uint32_t StatusCodeMask(std::uint16_t word, int typeIndex) {
    return CodeMask(word, typeIndex, kStatusByteMasks);
}

std::uint32_t AlarmCodeMask(std::uint16_t word, int typeIndex) {
    return CodeMask(word, typeIndex, kAlarmByteMasks);
}

std::string_view StatusDetailText(int code) {
    if (code < kFirstStatusCode || code > kLastStatusCode) return {};
    return kStatusDetail[static_cast<std::size_t>(code)];
}

std::string_view AlarmDetailText(int code) {
    if (code < kFirstAlarmCode || code > kLastAlarmCode) return {};
    if (code == 22) return res::LoadString(res::IDS_ALARM_AUXOR);
    if (code == 23) return res::LoadString(res::IDS_ALARM_VTT);
    return kAlarmDetail[static_cast<std::size_t>(code)];
}

int StatusFilterStringId(int code) {
    switch (code) {
        case 1: return res::IDS_STATUS_AUX_INPUT_1;
        case 2: return res::IDS_STATUS_AUX_INPUT_2;
        case 3: return res::IDS_STATUS_AUX_INPUT_3;
        default: break;
    }
    // 4 "Aux Input 4" (162) to 28 "Kolvane control, remote selected" (186) run in one block.
    if (code >= 4 && code <= kLastStatusCode) return res::IDS_STATUS_AUX_INPUT_4 + (code - 4);
    return 0;
}

int AlarmFilterStringId(int code) {
    switch (code) {
        case 1: return res::IDS_ALARM_RAM_ROM_FAILURE;
        case 2: return res::IDS_ALARM_COMMS_FAIL;
        case 3: return res::IDS_ALARM_NOT_IN_REMOTE;
        case 4: return res::IDS_ALARM_IN_REMOTE;
        case 22: return res::IDS_ALARM_AUXOR;
        case 23: return res::IDS_ALARM_VTT;
        default: break;
    }
    // 5 "Control not available" (192) to 21 "Motor running end of travel" (208) run in one block.
    if (code >= 5 && code <= 21) return res::IDS_ALARM_CONTROL_NOT_AVAILABLE + (code - 5);
    return 0;
}

std::string_view StatusFilterText(int code) {
    const int id = StatusFilterStringId(code);
    return id ? res::LoadString(id) : std::string_view{};
}

std::string_view AlarmFilterText(int code) {
    const int id = AlarmFilterStringId(code);
    return id ? res::LoadString(id) : std::string_view{};
}

}  // namespace vyx
