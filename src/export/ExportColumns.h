#pragma once
// The columns of the export, one table for every form (CSV, JSON Lines, SQLite, workbook), and the values of
// one record in them. The texts of MessageMode, Source and FCU come from the record formatter, so they are
// exactly what the list shows.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "logdata/Record.h"
#include "logdata/SerialNumber.h"

namespace vyx {

enum class ExportColumnId {
    SrNo,             // Sr.No. of the list: serial + 1
    DayFile,          // day file name, "LG050109.txt"
    FrameOffset,      // byte offset of the frame in its day file
    TimeEpoch,        // the logger's wall clock as seconds since 1970, read as UTC
    TimeLocal,        // the same as ISO-8601 without offset: the logger's local clock
    TimeUtc,          // true UTC, only with a known UTC offset of the site
    Channel,          // "A" or "B"
    MessageMode,      // message-mode code 0..5
    MessageModeText,  // MessageMode column text
    Command,          // command code 0..19 (19: no command)
    CommandText,      // the command's text alone (empty for 19)
    DatabaseType,     // database-type code 0..4 (4: none)
    Source,           // source code 0..10
    SourceText,       // Source column text
    Fcu,              // FCU number; null when the record names none or several
    FcuText,          // FCU column text
    MessageLength,    // number of message bytes
    MessageHex,       // message bytes as upper-case hex pairs without separators
};

enum class ExportValueKind { Integer, Text, Timestamp };

struct ExportColumn {
    ExportColumnId id;
    std::string_view name;
    ExportValueKind kind;
    std::string_view sqlType;  // as the SQLite table declares it
    bool nullable;
};

// The columns in order; the true-UTC column only when withUtc.
std::vector<ExportColumn> ExportColumns(bool withUtc);

// One exported record: where it lies and what it holds.
struct ExportRow {
    SerialNumber serial = 0;
    std::string_view dayFile;  // name without folder
    std::uint64_t frameOffset = 0;
    const CRecord* record = nullptr;
};

// "+HH:MM" or "-HH:MM" (hours 0..14, minutes 0..59) as seconds east of UTC; nullopt when malformed.
std::optional<std::int32_t> ParseUtcOffset(std::string_view text);

// The values of one row, column by column. Cheap to bind: nothing is formatted until asked for.
class CExportValues {
public:
    explicit CExportValues(std::optional<std::int32_t> utcOffsetSeconds) : m_utcOffset(utcOffsetSeconds) {}

    void Bind(const ExportRow& row) { m_row = &row; }

    // True only for a column that holds no value in this row (the FCU of a record without one FCU).
    bool IsNull(ExportColumnId id) const;
    // Integer columns, and the seconds of the time columns (the UTC one may lie before 1970).
    std::int64_t Integer(ExportColumnId id) const;
    // Text columns, and the time columns as ISO-8601 text; appended to out.
    void AppendText(ExportColumnId id, std::string& out) const;

private:
    const ExportRow* m_row = nullptr;
    std::optional<std::int32_t> m_utcOffset;
};

// Seconds since 1970 as "YYYY-MM-DDTHH:MM:SS" (no zone), appended to out.
void AppendIsoDateTime(std::string& out, std::int64_t seconds);
// The same written at p (room for 32 characters); returns the end.
char* PutIsoDateTime(char* p, std::int64_t seconds);
// Bytes as upper-case hex pairs without separators at p (room for two characters a byte); returns the end.
char* PutCompactHex(char* p, std::span<const std::uint8_t> bytes);
// The channel column's text: "A", "B", or "?" for a code that is neither.
std::string_view ChannelLetter(int channel);
// A day start as "YYYY-MM-DD".
std::string IsoDate(std::int64_t seconds);

}  // namespace vyx
