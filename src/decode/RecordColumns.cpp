#include "decode/RecordColumns.h"

#include <charconv>

#include "res/StringTable.h"

namespace vyx {
namespace {

constexpr std::array<RecordColumnInfo, kRecordColumnCount> kColumns = {{
    {RecordColumn::SrNo, res::IDS_SRNO, 50, 5, 16, true},
    {RecordColumn::DateTime, res::IDS_DATE_TIME, 150, 23, 23, false},
    {RecordColumn::MessageContent, res::IDS_MESSAGE_CONTENT, 350, 25, 60, false},
    {RecordColumn::MessageMode, res::IDS_MESSAGE_MODE, 150, 15, 22, false},
    {RecordColumn::Source, res::IDS_SOURCE, 120, 15, 22, false},
    {RecordColumn::FCU, res::IDS_FCU, 50, 7, 11, false},
    {RecordColumn::Channel, res::IDS_CHANNEL, 75, 10, 10, false},
}};

// The table is indexed by the enum: keep them in the same order.
constexpr bool InEnumOrder() {
    for (int i = 0; i < kRecordColumnCount; ++i) {
        if (static_cast<int>(kColumns[static_cast<std::size_t>(i)].column) != i) return false;
    }
    return true;
}
static_assert(InEnumOrder());

}  // namespace

const std::array<RecordColumnInfo, kRecordColumnCount>& RecordColumns() {
    return kColumns;
}

const RecordColumnInfo& RecordColumnOf(RecordColumn column) {
    return kColumns[static_cast<std::size_t>(column)];
}

std::string_view RecordColumnLabel(RecordColumn column) {
    return res::LoadString(RecordColumnOf(column).labelId);
}

void AppendRecordColumnText(const CFormatRecord& format, RecordColumn column, std::int64_t srNo, std::string& out) {
    switch (column) {
        case RecordColumn::SrNo: {
            char digits[24];
            const auto end = std::to_chars(digits, digits + sizeof digits, srNo).ptr;
            out.append(digits, end);
            break;
        }
        case RecordColumn::DateTime: format.AppendDateTime(out); break;
        case RecordColumn::MessageContent: format.AppendMessageContent(out); break;
        case RecordColumn::MessageMode: format.AppendMessageMode(out); break;
        case RecordColumn::Source: format.AppendSource(out); break;
        case RecordColumn::FCU: format.AppendFCU(out); break;
        case RecordColumn::Channel: format.AppendChannel(out); break;
    }
}

std::string RecordColumnText(const CFormatRecord& format, RecordColumn column, std::int64_t srNo) {
    std::string text;
    AppendRecordColumnText(format, column, srNo, text);
    return text;
}

RecordRowTexts RecordRow(const CFormatRecord& format, std::int64_t srNo) {
    RecordRowTexts row;
    for (RecordColumn column : kAllRecordColumns) {
        AppendRecordColumnText(format, column, srNo, row[static_cast<std::size_t>(column)]);
    }
    return row;
}

}  // namespace vyx
