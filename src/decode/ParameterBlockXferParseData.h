#pragma once
// The status and alarm decoders a block-transfer converter owns: a status or alarm word of an FCU of a given
// type into its codes, in bit order.

#include <cstdint>

#include "decode/FCUCodeList.h"
#include "decode/FCUStatusCatalogue.h"

namespace vyx {

class CParameterBlockXferParseStatusData {
public:
    virtual ~CParameterBlockXferParseStatusData() = default;
    CFCUCodeList Parse(std::uint16_t statusWord, int fcuTypeIndex) const {
        return DecodeStatusWord(statusWord, fcuTypeIndex);
    }
};

class CParameterBlockXferParseAlarmData {
public:
    virtual ~CParameterBlockXferParseAlarmData() = default;
    CFCUCodeList Parse(std::uint16_t alarmWord, int fcuTypeIndex) const {
        return DecodeAlarmWord(alarmWord, fcuTypeIndex);
    }
};

}  // namespace vyx
