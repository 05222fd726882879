#include "export/ExportColumns.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstring>
#include <limits>

#include "decode/FormatRecord.h"

namespace vyx {

std::vector<ExportColumn> ExportColumns(bool withUtc) {
    using enum ExportColumnId;
    using K = ExportValueKind;
    std::vector<ExportColumn> columns = {
        {SrNo, "sr_no", K::Integer, "INTEGER", false},
        {DayFile, "day_file", K::Text, "TEXT", false},
        {FrameOffset, "frame_offset", K::Integer, "INTEGER", false},
        {TimeEpoch, "time_epoch", K::Integer, "INTEGER", false},
        {TimeLocal, "time_local", K::Timestamp, "TEXT", false},
        {TimeUtc, "time_utc", K::Timestamp, "TEXT", false},
        {Channel, "channel", K::Text, "TEXT", false},
        {MessageMode, "message_mode", K::Integer, "INTEGER", false},
        {MessageModeText, "message_mode_text", K::Text, "TEXT", false},
        {Command, "command", K::Integer, "INTEGER", false},
        {CommandText, "command_text", K::Text, "TEXT", false},
        {DatabaseType, "database_type", K::Integer, "INTEGER", false},
        {Source, "source", K::Integer, "INTEGER", false},
        {SourceText, "source_text", K::Text, "TEXT", false},
        {Fcu, "fcu", K::Integer, "INTEGER", true},
        {FcuText, "fcu_text", K::Text, "TEXT", false},
        {MessageLength, "message_length", K::Integer, "INTEGER", false},
        {MessageHex, "message_hex", K::Text, "TEXT", false},
    };
    if (!withUtc) std::erase_if(columns, [](const ExportColumn& c) { return c.id == TimeUtc; });
    return columns;
}

std::optional<std::int32_t> ParseUtcOffset(std::string_view text) {
    if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':') return std::nullopt;
    auto two = [&](std::size_t at) -> int {
        const char a = text[at], b = text[at + 1];
        if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
        return (a - '0') * 10 + (b - '0');
    };
    const int hours = two(1), minutes = two(4);
    if (hours < 0 || hours > 14 || minutes < 0 || minutes > 59 || (hours == 14 && minutes > 0)) return std::nullopt;
    const std::int32_t seconds = hours * 3600 + minutes * 60;
    return text[0] == '-' ? -seconds : seconds;
}

namespace {

// Two digits at p.
void PutTwo(char* p, unsigned value) {
    p[0] = static_cast<char>('0' + value / 10);
    p[1] = static_cast<char>('0' + value % 10);
}

// "YYYY-MM-DD" of a day number at p; returns the end. Years outside 0..9999 are written as they are.
char* PutDate(char* p, std::int64_t days) {
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{days}}};
    const int year = static_cast<int>(date.year());
    if (year >= 0 && year <= 9999) {
        PutTwo(p, static_cast<unsigned>(year / 100));
        PutTwo(p + 2, static_cast<unsigned>(year % 100));
        p += 4;
    } else {
        p = std::to_chars(p, p + 8, year).ptr;
    }
    *p++ = '-';
    PutTwo(p, static_cast<unsigned>(date.month()));
    p[2] = '-';
    PutTwo(p + 3, static_cast<unsigned>(date.day()));
    return p + 5;
}

constexpr std::int64_t kDay = 86400;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

}  // namespace

char* PutCompactHex(char* p, std::span<const std::uint8_t> bytes) {
    // Two characters a byte, from a table of the 256 pairs.
    static constexpr auto kPairs = [] {
        constexpr char kDigits[] = "0123456789ABCDEF";
        std::array<char, 512> pairs{};
        for (int b = 0; b < 256; ++b) {
            pairs[static_cast<std::size_t>(2 * b)] = kDigits[b >> 4];
            pairs[static_cast<std::size_t>(2 * b + 1)] = kDigits[b & 15];
        }
        return pairs;
    }();
    for (const std::uint8_t b : bytes) {
        std::memcpy(p, &kPairs[2 * std::size_t{b}], 2);
        p += 2;
    }
    return p;
}

namespace {

// Message bytes as compact hex: the list's MessageContent pairs without their spaces.
void AppendCompactHex(std::string& out, std::span<const std::uint8_t> bytes) {
    char text[2 * 512];
    for (std::size_t from = 0; from < bytes.size(); from += 512) {
        const std::size_t n = std::min<std::size_t>(512, bytes.size() - from);
        out.append(text, PutCompactHex(text, bytes.subspan(from, n)));
    }
}

void AppendInteger(std::string& out, std::int64_t value) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

}  // namespace

char* PutIsoDateTime(char* p, std::int64_t seconds) {
    const std::int64_t days = FloorDiv(seconds, kDay);
    const auto rest = static_cast<unsigned>(seconds - days * kDay);
    // Rows come in runs of the same day: its date is worked out once per run and thread.
    thread_local std::int64_t cachedDay = std::numeric_limits<std::int64_t>::min();
    thread_local char cachedDate[16];
    thread_local std::size_t cachedLength = 0;
    if (days != cachedDay) {
        cachedLength = static_cast<std::size_t>(PutDate(cachedDate, days) - cachedDate);
        cachedDay = days;
    }
    std::memcpy(p, cachedDate, cachedLength);
    p += cachedLength;
    p[0] = 'T';
    PutTwo(p + 1, rest / 3600);
    p[3] = ':';
    PutTwo(p + 4, rest / 60 % 60);
    p[6] = ':';
    PutTwo(p + 7, rest % 60);
    return p + 9;
}

void AppendIsoDateTime(std::string& out, std::int64_t seconds) {
    char text[40];
    out.append(text, PutIsoDateTime(text, seconds));
}

std::string IsoDate(std::int64_t seconds) {
    char text[24];
    return std::string(text, PutDate(text, FloorDiv(seconds, kDay)));
}

std::string_view ChannelLetter(int channel) {
    return channel == kChannelA ? "A" : channel == kChannelB ? "B" : "?";
}

bool CExportValues::IsNull(ExportColumnId id) const {
    if (id != ExportColumnId::Fcu) return false;
    const CRecord& r = *m_row->record;
    return !r.m_bFCUValid || r.m_bMultipleFCU;
}

std::int64_t CExportValues::Integer(ExportColumnId id) const {
    const CRecord& r = *m_row->record;
    switch (id) {
        case ExportColumnId::SrNo: return m_row->serial + 1;
        case ExportColumnId::FrameOffset: return static_cast<std::int64_t>(m_row->frameOffset);
        case ExportColumnId::TimeEpoch:
        case ExportColumnId::TimeLocal: return r.m_nTime;
        case ExportColumnId::TimeUtc: return static_cast<std::int64_t>(r.m_nTime) - m_utcOffset.value_or(0);
        case ExportColumnId::MessageMode: return r.m_nMessageMode;
        case ExportColumnId::Command: return r.m_nCommand;
        case ExportColumnId::DatabaseType: return r.m_nDatabaseType;
        case ExportColumnId::Source: return r.m_nSource;
        case ExportColumnId::Fcu: return r.m_nFCU;
        case ExportColumnId::MessageLength: return static_cast<std::int64_t>(r.MessageBytes().size());
        default: return 0;
    }
}

void CExportValues::AppendText(ExportColumnId id, std::string& out) const {
    const CRecord& r = *m_row->record;
    const CFormatRecord format(&r);
    switch (id) {
        case ExportColumnId::DayFile: out += m_row->dayFile; break;
        case ExportColumnId::TimeLocal: AppendIsoDateTime(out, r.m_nTime); break;
        case ExportColumnId::TimeUtc:
            AppendIsoDateTime(out, Integer(id));
            out += 'Z';
            break;
        case ExportColumnId::Channel: out += ChannelLetter(r.m_nChannel); break;
        case ExportColumnId::MessageModeText: format.AppendMessageMode(out); break;
        case ExportColumnId::CommandText: out += CommandText(r.m_nCommand); break;
        case ExportColumnId::SourceText: format.AppendSource(out); break;
        case ExportColumnId::FcuText: format.AppendFCU(out); break;
        case ExportColumnId::MessageHex: AppendCompactHex(out, r.MessageBytes()); break;
        default: AppendInteger(out, Integer(id)); break;
    }
}

}  // namespace vyx
