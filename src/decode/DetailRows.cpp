#include "decode/DetailRows.h"

#include "decode/FormatModbusMultipleData.h"
#include "decode/ParameterBlockXferFormatObjIterator.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "decode/RecordToParameterXferConverter.h"
#include "res/StringTable.h"

namespace vyx {
namespace {

std::string Text(int id) {
    return std::string(res::LoadString(id));
}

void BlockTransferRows(const CRecord& record, const IRecordToParameterXferConverter& converter, DetailRows& out) {
    out.kind = DetailRows::Kind::ParameterBlockTransfer;
    for (int id = res::IDS_COL_NO; id <= res::IDS_COL_FCU; ++id) out.header.push_back(Text(id));
    const auto message = converter.Convert(record);
    if (!message) return;
    const auto iterator = message->CreateIterator();
    out.rows.reserve(static_cast<std::size_t>(iterator->GetRowCount()));
    while (iterator->Next()) {
        const IParameterBlockXferFormatObj* row = iterator->Current();
        if (row == nullptr) break;
        std::vector<std::string>& texts = out.rows.emplace_back();
        for (int column = 0; column < row->GetCount(); ++column) texts.push_back(row->GetText(column));
    }
}

void ModbusMultipleRows(const CRecord& record, const IModbusMultipleMessageConverter& converter, DetailRows& out) {
    out.kind = DetailRows::Kind::ModbusMultiple;
    out.header = {Text(res::IDS_COL_NO), Text(res::IDS_COL_COMMAND_TYPE), Text(res::IDS_COL_FCU_NO)};
    const auto message = converter.Convert(record);
    if (!message) return;
    out.rows.reserve(static_cast<std::size_t>(message->GetItemCount()));
    CFormatModbusMultipleData format;
    for (int i = 0; i < message->GetItemCount(); ++i) {
        const CModbusMultipleItem& item = *message->GetItem(i);
        format.Init(item.m_nSequence, static_cast<std::int16_t>(item.m_nFCU), item.m_nCommand);
        out.rows.push_back({std::to_string(format.GetSequence()), format.GetCommandText(), format.GetFCUText()});
    }
}

void AppendLine(std::string& out, const std::vector<std::string>& columns) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) out += '\t';
        out += columns[i];
    }
    out += '\n';
}

}  // namespace

DetailRows BuildDetailRows(const CRecord& record, const IRecordToParameterXferConverter& blockTransferConverter,
                           const IModbusMultipleMessageConverter& modbusConverter) {
    DetailRows out;
    if (record.m_nMessageMode == kModeParameterBlockTransfer) {
        BlockTransferRows(record, blockTransferConverter, out);
    } else if (record.m_nMessageMode == kModeModbus && record.m_bMultipleFCU) {
        ModbusMultipleRows(record, modbusConverter, out);
    }
    return out;
}

std::string FormatDetailRows(const DetailRows& rows) {
    if (rows.kind == DetailRows::Kind::None) return "no detail decoding\n";
    std::string out;
    AppendLine(out, rows.header);
    for (const auto& row : rows.rows) AppendLine(out, row);
    return out;
}

}  // namespace vyx
