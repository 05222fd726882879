#include "filter/FilterBar.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "filter/CommandList.h"
#include "filter/RecordFilters.h"
#include "res/StringTable.h"

namespace vyx {
namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// Command codes of entries 1..12.
constexpr std::int32_t kCommandOfEntry[] = {-1, kCmdOpen, kCmdClose, kCmdStop, kCmdESD, kCmdPStroke, kCmdPosena,
                                            kCmdPosition, kCmdAnalogueOutput, kCmdGlobalESDTrigger,
                                            kCmdChangeMaster, kCmdSystemReconfiguration, kCmdAlarmAccept};
// Message modes of entries 13..18.
constexpr std::int32_t kModeOfEntry[] = {kModeModbus, kModeHalvikCommonProtocol, kModeM7Idle,
                                         kModeParameterBlockTransfer, kModeSetTime, kModeStartupSequence};

}  // namespace

FCUTextCheck CheckFCUText(const std::string& text) {
    FCUTextCheck check;
    // At most 24 characters of the box are read.
    const std::string read = text.substr(0, 24);
    if (read.empty()) {
        check.message = "Please select valid FCU no.";
        return check;
    }
    const std::string trimmed = Trim(read);
    if (trimmed == res::LoadString(res::IDS_ALL)) {
        check.valid = true;
        return check;
    }
    if (!AllDigits(trimmed)) {
        check.message = "Please select valid FCU no.";
        return check;
    }
    // Long runs of digits are out of range, not an overflow.
    const long value = trimmed.size() > 6 ? 1000000 : std::strtol(trimmed.c_str(), nullptr, 10);
    if (value < 1 || value > 300) {
        check.message = "FCU should be between 1 and 300.";
        return check;
    }
    check.valid = true;
    check.fcu = static_cast<std::int32_t>(value);
    return check;
}

std::string CheckModbusAddressText(const std::string& text, std::uint8_t& address) {
    const std::string trimmed = Trim(text);
    std::string digits = trimmed;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.erase(0, 1);
    if (!AllDigits(digits)) return std::string(res::LoadString(res::IDS_PARSE_INT));
    const long value = digits.size() > 6 ? 1000000 : std::strtol(trimmed.c_str(), nullptr, 10);
    if (value < 0 || value > 252) {
        std::string message(res::LoadString(res::IDS_PARSE_INT_RANGE));
        message.replace(message.find("%1"), 2, "0");
        message.replace(message.find("%2"), 2, "252");
        return message;
    }
    address = static_cast<std::uint8_t>(value);
    return {};
}

FilterList BuildFilterList(const FilterBarSelection& selection, const FCUConfigurationList& configuration,
                           const CTextToFilterCriteriaConverter& converter, std::uint8_t modbusBaseAddress) {
    FilterList list;
    if (selection.channelIndex == 1) list.push_back(std::make_unique<CFilterChannel>(kChannelA));
    if (selection.channelIndex == 2) list.push_back(std::make_unique<CFilterChannel>(kChannelB));

    const FCUTextCheck fcuCheck = CheckFCUText(selection.fcuText);
    const bool oneFCU = fcuCheck.valid && fcuCheck.fcu != 0;
    const std::int32_t fcu = oneFCU ? fcuCheck.fcu : 0;
    const int k = selection.commandIndex;

    if (k == 0) {
        if (oneFCU) list.push_back(std::make_unique<CFilterFCUAddress>(fcu, configuration, modbusBaseAddress));
    } else if (k >= 1 && k <= 12) {
        if (oneFCU) list.push_back(std::make_unique<CFilterCommandnFCUAddress>(kCommandOfEntry[k], fcu, modbusBaseAddress));
        else list.push_back(std::make_unique<CFilterCommand>(kCommandOfEntry[k], modbusBaseAddress));
    } else if (k >= 13 && k <= 18) {
        list.push_back(std::make_unique<CFilterMessage>(kModeOfEntry[k - 13]));
        if (oneFCU) list.push_back(std::make_unique<CFilterFCUAddress>(fcu, configuration, modbusBaseAddress));
    } else if (k >= kFirstConvertedCommandIndex && k < kCommandListSize) {
        const auto& ids = CommandListStringIds();
        if (auto filter = converter.Convert(res::LoadString(ids[static_cast<std::size_t>(k)]), fcu)) {
            list.push_back(std::move(filter));
        }
    }

    if (selection.selectDateTime) {
        const auto clamp = [](std::int64_t seconds) {
            return static_cast<std::uint32_t>(std::clamp<std::int64_t>(seconds, 0, 0xFFFFFFFFLL));
        };
        list.push_back(std::make_unique<CFilterDateTime>(clamp(SecondsFromCivil(selection.to)),
                                                         clamp(SecondsFromCivil(selection.from))));
    }
    return list;
}

namespace {

std::string DateTimeWord(const CivilDateTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", t.day, t.month, t.year, t.hour, t.minute,
                  t.second);
    return text;
}

}  // namespace

std::string FilterBarWords(const FilterBarSelection& selection, std::uint8_t modbusBaseAddress) {
    static const char* const kChannels[] = {"all", "A", "B"};
    const int channel = selection.channelIndex >= 0 && selection.channelIndex <= 2 ? selection.channelIndex : 0;
    const auto commands = CommandListTexts();
    const std::string command =
        selection.commandIndex >= 0 && static_cast<std::size_t>(selection.commandIndex) < commands.size()
            ? std::string(commands[static_cast<std::size_t>(selection.commandIndex)])
            : std::string();
    const FCUTextCheck fcu = CheckFCUText(selection.fcuText);
    std::string words = std::string("channel=") + kChannels[channel] + " command=\"" + command + "\" fcu=" +
                        (fcu.valid && fcu.fcu != 0 ? std::to_string(fcu.fcu) : std::string("all")) +
                        " modbus-addr=" + std::to_string(modbusBaseAddress);
    if (selection.selectDateTime) {
        words += " from=\"" + DateTimeWord(selection.from) + "\" to=\"" + DateTimeWord(selection.to) + "\"";
    }
    return words;
}

}  // namespace vyx
