#pragma once
// The column texts of one record: Date-Time, MessageContent, MessageMode, Source, FCU and Channel.

#include <string>
#include <string_view>

#include "logdata/Record.h"

namespace vyx {

class CFormatRecord {
public:
    explicit CFormatRecord(const CRecord* record = nullptr) : m_pRecord(record) {}
    virtual ~CFormatRecord() = default;

    void SetRecord(const CRecord* record) { m_pRecord = record; }

    std::string FormatDateTime() const;
    std::string FormatMessageContent() const;
    std::string FormatMessageMode() const;
    std::string FormatSource() const;
    std::string FormatFCU() const;
    std::string FormatChannel() const;
    std::string FormatCommandName() const;
    std::string FormatDatabaseType() const;

    // The same column texts appended to out, for writers that format millions of rows into one reused
    // buffer.
    void AppendDateTime(std::string& out) const;
    void AppendMessageContent(std::string& out) const;
    void AppendMessageMode(std::string& out) const;
    void AppendSource(std::string& out) const;
    void AppendFCU(std::string& out) const;
    void AppendChannel(std::string& out) const;

private:
    const CRecord* m_pRecord;
};

// Name tables, shared with the detail decoders and the filters.
std::string_view MessageModeText(int mode);
std::string_view CommandText(int command);   // empty for 19 and unknown codes
std::string_view SourceText(int source);      // "UNIDENTIFIED_SOURCE" outside 0..9
std::string_view DatabaseTypeText(int type);  // empty for 4
std::string_view ChannelText(int channel);

// "%d-%m-%Y - %I:%M:%S:%p" of a time value, without time-zone shift.
std::string FormatTimeValue(std::uint32_t time);
void AppendTimeValue(std::string& out, std::uint32_t time);

// Bytes as "%02X " each: upper-case hex pairs, each followed by a space.
std::string FormatHexBytes(const std::uint8_t* bytes, std::size_t count);
void AppendHexBytes(std::string& out, const std::uint8_t* bytes, std::size_t count);

}  // namespace vyx
