#include "decode/FormatRecord.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>

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

void AppendTimeValue(std::string& out, std::uint32_t time) {
    // Reports format millions of stamps that mostly share their day: the date part is worked out once per
    // day and thread.
    thread_local std::uint32_t cachedDay = 0xFFFFFFFFu;
    thread_local std::array<char, 10> datePart{};
    const std::uint32_t day = time / 86400;
    if (day != cachedDay) {
        const CivilDateTime t = BreakDown(day * 86400);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%02d-%02d-%04d", t.day, t.month, t.year);
        std::memcpy(datePart.data(), buffer, datePart.size());
        cachedDay = day;
    }
    const std::uint32_t rest = time % 86400;
    const std::uint32_t hour = rest / 3600;
    const std::uint32_t minute = rest / 60 % 60;
    const std::uint32_t second = rest % 60;
    std::uint32_t hour12 = hour % 12;
    if (hour12 == 0) hour12 = 12;
    // "dd-mm-yyyy - hh:mm:ss:AM"
    char text[24];
    std::memcpy(text, datePart.data(), datePart.size());
    const auto two = [&text](std::size_t at, std::uint32_t value) {
        text[at] = static_cast<char>('0' + value / 10);
        text[at + 1] = static_cast<char>('0' + value % 10);
    };
    std::memcpy(text + 10, " - ", 3);
    two(13, hour12);
    text[15] = ':';
    two(16, minute);
    text[18] = ':';
    two(19, second);
    text[21] = ':';
    text[22] = hour < 12 ? 'A' : 'P';
    text[23] = 'M';
    out.append(text, sizeof text);
}

std::string FormatTimeValue(std::uint32_t time) {
    std::string text;
    AppendTimeValue(text, time);
    return text;
}

void AppendHexBytes(std::string& out, const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::size_t start = out.size();
    out.resize(start + count * 3);
    char* text = out.data() + start;
    for (std::size_t i = 0; i < count; ++i) {
        text[i * 3] = kDigits[bytes[i] >> 4];
        text[i * 3 + 1] = kDigits[bytes[i] & 0xF];
        text[i * 3 + 2] = ' ';
    }
}

std::string FormatHexBytes(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    AppendHexBytes(text, bytes, count);
    return text;
}

std::string CFormatRecord::FormatDateTime() const {
    std::string text;
    AppendDateTime(text);
    return text;
}

std::string CFormatRecord::FormatMessageContent() const {
    std::string text;
    AppendMessageContent(text);
    return text;
}

std::string CFormatRecord::FormatMessageMode() const {
    std::string text;
    AppendMessageMode(text);
    return text;
}

std::string CFormatRecord::FormatSource() const {
    std::string text;
    AppendSource(text);
    return text;
}

std::string CFormatRecord::FormatFCU() const {
    std::string text;
    AppendFCU(text);
    return text;
}

std::string CFormatRecord::FormatChannel() const { return std::string(ChannelText(m_pRecord->m_nChannel)); }

void CFormatRecord::AppendDateTime(std::string& out) const { AppendTimeValue(out, m_pRecord->m_nTime); }

void CFormatRecord::AppendMessageContent(std::string& out) const {
    const auto length = m_pRecord->m_nDataLength;
    if (length <= 0) return;
    // Never past the bytes the record holds, whatever its count says.
    const std::size_t count = std::min(static_cast<std::size_t>(length), m_pRecord->m_pData.size());
    AppendHexBytes(out, m_pRecord->Data(), count);
}

void CFormatRecord::AppendMessageMode(std::string& out) const {
    out += MessageModeText(m_pRecord->m_nMessageMode);
    if (m_pRecord->m_nCommand != kCmdNone) {
        out += " - ";
        out += CommandText(m_pRecord->m_nCommand);
    }
}

void CFormatRecord::AppendSource(std::string& out) const {
    out += m_pRecord->m_bSourceValid ? SourceText(m_pRecord->m_nSource) : std::string_view("UNIDENTIFIED_SOURCE");
    if (m_pRecord->m_nMessageMode == kModeModbus && m_pRecord->m_nDatabaseType != kDatabaseNone) {
        out += " (";
        out += DatabaseTypeText(m_pRecord->m_nDatabaseType);
        out += ")";
    }
}

void CFormatRecord::AppendFCU(std::string& out) const {
    const CRecord& r = *m_pRecord;
    if (r.m_bFCUValid) {
        if (r.m_bMultipleFCU) {
            out += res::LoadString(res::IDS_FCU_MULTIPLE);
        } else {
            char digits[16];
            const auto end = std::to_chars(digits, digits + sizeof digits, r.m_nFCU).ptr;
            out.append(digits, end);
        }
        return;
    }
    if (r.m_nMessageMode == kModeModbus) {
        switch (r.m_nCommand) {
        case kCmdGlobalESDTrigger: case kCmdChangeMaster: case kCmdSystemReconfiguration: case kCmdAlarmAccept:
        case kCmdStartFCUDataUpload:
            out += res::LoadString(res::IDS_FCU_NA);
            return;
        default:
            out += res::LoadString(res::IDS_FCU_INVALID);
            return;
        }
    }
    out += res::LoadString(res::IDS_FCU_NA);
}

void CFormatRecord::AppendChannel(std::string& out) const { out += ChannelText(m_pRecord->m_nChannel); }

std::string CFormatRecord::FormatCommandName() const { return std::string(CommandText(m_pRecord->m_nCommand)); }

std::string CFormatRecord::FormatDatabaseType() const {
    return std::string(DatabaseTypeText(m_pRecord->m_nDatabaseType));
}

}  // namespace vyx
