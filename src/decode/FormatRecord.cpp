#include "decode/FormatRecord.h"

#include <array>

#include "logdata/TimeValue.h"
#include "res/StringTable.h"

namespace vyx {

std::string_view MessageModeText(int mode) {
    switch (mode) {
    case kModeStartupSequence: return res::LoadString(res::IDS_MODE_STARTUP_SEQUENCE);
    case kModeSetTime: return res::LoadString(res::IDS_MODE_SET_TIME);
    case kModeM7Idle: return res::LoadString(res::IDS_MODE_M7_IDLE);
    case kModeHalvikCommonProtocol: return res::LoadString(res::IDS_MODE_HALVIK_COMMON_PROTOCOL);
    case kModeModbus: return res::LoadString(res::IDS_MODE_MODBUS);
    case kModeParameterBlockTransfer: return res::LoadString(res::IDS_MODE_PARAMETER_BLOCK_TRANSFER);
    default: return res::LoadString(res::IDS_UNIDENTIFIED_MESSAGE);
    }
}

std::string_view CommandText(int command) {
    static constexpr std::array<std::string_view, 19> kNames = {
        "Open",          "Close",
        "Stop",          "ESD",
        "PStroke",       "Posena",
        "Position",      "Global ESD Trigger",
        "Change Master", "System reconfiguration",
        "System / Comms Alarm accept", "Analogue Output",
        "Start FCU Data Upload", "Cal 0%",
        "Cal 100%",      "MIT",
        "Deadband",      "Hysteresis",
        "Analogue Output 1",
    };
    if (command < 0 || command >= static_cast<int>(kNames.size())) return {};
    return kNames[static_cast<std::size_t>(command)];
}

std::string_view SourceText(int source) {
    static constexpr std::array<std::string_view, 10> kNames = {
        "Internal", "Ethernet", "RTU1", "RTU2", "Display", "WebPage", "Hardwired ESD",
        "M7_Statemachine", "M7_Datalogger", "M7_EEprom",
    };
    if (source < 0 || source >= static_cast<int>(kNames.size())) return "UNIDENTIFIED_SOURCE";
    return kNames[static_cast<std::size_t>(source)];
}

std::string_view DatabaseTypeText(int type) {
    switch (type) {
    case 0: return "Generic";
    case 1: return "Brennmark Kedra";
    case 2: return "Yokogawa";
    case 3: return "Brennmark Oxa";
    case kDatabaseNone: return {};
    default: return "UNIDENTIFIED DATABASE";
    }
}

std::string_view ChannelText(int channel) {
    switch (channel) {
    case kChannelA: return "MS_A(left)";
    case kChannelB: return "MS_B(right)";
    default: return "UNIDENTIFIED_CHANNEL";
    }
}

std::string FormatTimeValue(std::uint32_t time) {
    const CivilDateTime t = BreakDown(time);
    int hour12 = t.hour % 12;
    if (hour12 == 0) hour12 = 12;
    char buffer[40];
    const int n = std::snprintf(buffer, sizeof buffer, "%02d-%02d-%04d - %02d:%02d:%02d:%s", t.day, t.month, t.year,
                                hour12, t.minute, t.second, t.hour < 12 ? "AM" : "PM");
    if (n <= 0) return {};
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string FormatHexBytes(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(count * 3, ' ');
    for (std::size_t i = 0; i < count; ++i) {
        text[i * 3] = kDigits[bytes[i] >> 4];
        text[i * 3 + 1] = kDigits[bytes[i] & 0xF];
    }
    return text;
}

std::string CFormatRecord::FormatDateTime() const { return FormatTimeValue(m_pRecord->m_nTime); }

std::string CFormatRecord::FormatMessageContent() const {
    const auto length = m_pRecord->m_nDataLength;
    if (length <= 0) return {};
    return FormatHexBytes(m_pRecord->Data(), static_cast<std::size_t>(length));
}

std::string CFormatRecord::FormatMessageMode() const {
    std::string text(MessageModeText(m_pRecord->m_nMessageMode));
    if (m_pRecord->m_nCommand != kCmdNone) {
        text += " - ";
        text += CommandText(m_pRecord->m_nCommand);
    }
    return text;
}

std::string CFormatRecord::FormatSource() const {
    std::string text = m_pRecord->m_bSourceValid ? std::string(SourceText(m_pRecord->m_nSource))
                                                 : std::string("UNIDENTIFIED_SOURCE");
    if (m_pRecord->m_nMessageMode == kModeModbus && m_pRecord->m_nDatabaseType != kDatabaseNone) {
        text += " (";
        text += DatabaseTypeText(m_pRecord->m_nDatabaseType);
        text += ")";
    }
    return text;
}

std::string CFormatRecord::FormatFCU() const {
    const CRecord& r = *m_pRecord;
    if (r.m_bFCUValid) {
        if (r.m_bMultipleFCU) return std::string(res::LoadString(res::IDS_FCU_MULTIPLE));
        return std::to_string(r.m_nFCU);
    }
    if (r.m_nMessageMode == kModeModbus) {
        switch (r.m_nCommand) {
        case kCmdGlobalESDTrigger: case kCmdChangeMaster: case kCmdSystemReconfiguration: case kCmdAlarmAccept:
        case kCmdStartFCUDataUpload:
            return std::string(res::LoadString(res::IDS_FCU_NA));
        default:
            return std::string(res::LoadString(res::IDS_FCU_INVALID));
        }
    }
    return std::string(res::LoadString(res::IDS_FCU_NA));
}

std::string CFormatRecord::FormatChannel() const { return std::string(ChannelText(m_pRecord->m_nChannel)); }

std::string CFormatRecord::FormatCommandName() const { return std::string(CommandText(m_pRecord->m_nCommand)); }

std::string CFormatRecord::FormatDatabaseType() const {
    return std::string(DatabaseTypeText(m_pRecord->m_nDatabaseType));
}

}  // namespace vyx
