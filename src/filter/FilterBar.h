#pragma once
// The message filter bar as data: what the user chose, the checks run on it before a load, and the filter
// list it stands for. Shared by the viewer's main window and the command-line tool.

#include <cstdint>
#include <optional>
#include <string>

#include "decode/FCU.h"
#include "filter/FilterCriteria.h"
#include "filter/TextToFilterCriteriaConverter.h"
#include "logdata/TimeValue.h"

namespace vyx {

struct FilterBarSelection {
    int channelIndex = 0;        // 0 "--ALL--", 1 "MS_A(left)", 2 "MS_B(right)"
    int commandIndex = 0;        // index in the command list, 0..78
    std::string fcuText = "--ALL--";  // as typed in the FCU box
    bool selectDateTime = false;
    CivilDateTime from;          // from date with from time
    CivilDateTime to;            // to date with to time
};

// The FCU a valid FCU text names: 0 for "--ALL--" (blanks around it allowed), else 1..300.
struct FCUTextCheck {
    bool valid = false;
    std::int32_t fcu = 0;
    std::string message;  // why it was refused
};

// Checks the FCU box text: "--ALL--" or digits only (blanks around either are ignored), a number in 1..300.
FCUTextCheck CheckFCUText(const std::string& text);

// Checks the "Modbus Addr:" text: an integer in 0..252. Returns the message to show, or empty when valid.
std::string CheckModbusAddressText(const std::string& text, std::uint8_t& address);

// Builds the filter list of a selection, in its fixed order: channel, command (or message or converted
// status/alarm), FCU address, date/time. The FCU text must have passed CheckFCUText. The filters expand
// Modbus write-multiple requests with the base address of the load they are for.
FilterList BuildFilterList(const FilterBarSelection& selection, const FCUConfigurationList& configuration,
                           const CTextToFilterCriteriaConverter& converter, std::uint8_t modbusBaseAddress);

// The selection as "name=value" words (channel, command, fcu, modbus-addr, and from/to when the date window is
// on), in the words of the command line's load options: an export records how its records were chosen.
std::string FilterBarWords(const FilterBarSelection& selection, std::uint8_t modbusBaseAddress);


}  // namespace vyx
