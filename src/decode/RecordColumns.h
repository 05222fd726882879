#pragma once
// The seven columns of a record row, written once: their order, header label, widths in the list, the HTML
// page and the workbook, and the text of each. The list, the record text line, the reports, copy and find
// all go through this table, so a column is added or changed here alone.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "decode/FormatRecord.h"

namespace vyx {

enum class RecordColumn : int {
    SrNo = 0,
    DateTime,
    MessageContent,
    MessageMode,
    Source,
    FCU,
    Channel,
};

inline constexpr int kRecordColumnCount = 7;

struct RecordColumnInfo {
    RecordColumn column;
    int labelId;           // the header text in the string table
    int listWidth;         // pixels at the list's reference font
    int pageWidthPercent;  // the HTML page's header cell width
    double workbookWidth;  // characters
    bool alignRight;       // the number column is right-aligned in the lists and the HTML page
};

const std::array<RecordColumnInfo, kRecordColumnCount>& RecordColumns();
const RecordColumnInfo& RecordColumnOf(RecordColumn column);
std::string_view RecordColumnLabel(RecordColumn column);

// The column's text of the record that format shows, appended to out. srNo is the number the SrNo column
// shows (the record's position in the list, from 1).
void AppendRecordColumnText(const CFormatRecord& format, RecordColumn column, std::int64_t srNo, std::string& out);
std::string RecordColumnText(const CFormatRecord& format, RecordColumn column, std::int64_t srNo);

// All seven texts of a row.
using RecordRowTexts = std::array<std::string, kRecordColumnCount>;
RecordRowTexts RecordRow(const CFormatRecord& format, std::int64_t srNo);

// The columns in order, for range-for over RecordColumn values.
constexpr std::array<RecordColumn, kRecordColumnCount> kAllRecordColumns = {
    RecordColumn::SrNo,   RecordColumn::DateTime, RecordColumn::MessageContent, RecordColumn::MessageMode,
    RecordColumn::Source, RecordColumn::FCU,      RecordColumn::Channel,
};

}  // namespace vyx
