#pragma once
// FCU status and alarm conditions: which bit of a status or alarm word means what for which FCU type, and
// the two wordings of each code (the detail decoding's text and the command filter's string-table entry).

#include <cstdint>
#include <string_view>

#include "decode/FCUCodeList.h"

namespace vyx {

constexpr int kFirstStatusCode = 1;
constexpr int kLastStatusCode = 28;
constexpr int kFirstAlarmCode = 1;
constexpr int kLastAlarmCode = 23;

// FCU types that share one bit layout.
enum class FCUTypeGroup {
    Tarn,        // indices 0, 1, 12
    Vx,          // indices 4, 6, 7, 8
    Kolvane,     // index 3
    MUFCU_MU,    // index 2
    VxAnalogue,  // index 5
    None,        // every other index: no codes at all
};

FCUTypeGroup GroupOfFCUType(int typeIndex);

// Codes of a status or alarm word, in bit order (bit 0 first).
CFCUCodeList DecodeStatusWord(std::uint16_t word, int typeIndex);
CFCUCodeList DecodeAlarmWord(std::uint16_t word, int typeIndex);
// The same codes as a mask, bit c for code c, looked up a byte at a time: for readers that only compare a
// word's codes with the last word's.
std::uint32_t StatusCodeMask(std::uint16_t word, int typeIndex);
std::uint32_t AlarmCodeMask(std::uint16_t word, int typeIndex);

// Detail decoding texts; empty for a code outside the catalogue.
std::string_view StatusDetailText(int code);
std::string_view AlarmDetailText(int code);

// String-table ids of the command filter's wording; 0 for a code outside the catalogue.
int StatusFilterStringId(int code);
int AlarmFilterStringId(int code);

// The command filter's wording, loaded from the string table.
std::string_view StatusFilterText(int code);
std::string_view AlarmFilterText(int code);

}  // namespace vyx
