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

bool BlockTransferCells(const CRecord& record, const IRecordToParameterXferConverter& converter,
                        const std::function<bool(std::size_t, const std::string&)>& visit) {
    const auto message = converter.Convert(record);
    if (!message) return true;
    const auto iterator = message->CreateIterator();
    std::size_t rowNumber = 0;
    while (iterator->Next()) {
        const IParameterBlockXferFormatObj* row = iterator->Current();
        if (row == nullptr) break;
        for (int column = 0; column < row->GetCount(); ++column) {
            if (!visit(rowNumber, row->GetText(column))) return false;
        }
        ++rowNumber;
    }
    return true;
}

bool ModbusMultipleCells(const CRecord& record, const IModbusMultipleMessageConverter& converter,
                         const std::function<bool(std::size_t, const std::string&)>& visit) {
    const auto message = converter.Convert(record);
    if (!message) return true;
    CFormatModbusMultipleData format;
    for (int i = 0; i < message->GetItemCount(); ++i) {
        const CModbusMultipleItem& item = *message->GetItem(i);
        format.Init(item.m_nSequence, static_cast<std::int16_t>(item.m_nFCU), item.m_nCommand);
        const auto row = static_cast<std::size_t>(i);
        if (!visit(row, std::to_string(format.GetSequence())) || !visit(row, format.GetCommandText()) ||
            !visit(row, format.GetFCUText())) {
            return false;
        }
    }
    return true;
}

void AppendLine(std::string& out, const std::vector<std::string>& columns) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) out += '\t';
        out += columns[i];
    }
    out += '\n';
}

}  // namespace

DetailRows::Kind VisitDetailCells(const CRecord& record, const IRecordToParameterXferConverter& blockTransferConverter,
                                  const IModbusMultipleMessageConverter& modbusConverter,
                                  const std::function<bool(std::size_t row, const std::string& cell)>& visit) {
    if (record.m_nMessageMode == kModeParameterBlockTransfer) {
        BlockTransferCells(record, blockTransferConverter, visit);
        return DetailRows::Kind::ParameterBlockTransfer;
    }
    if (record.m_nMessageMode == kModeModbus && record.m_bMultipleFCU) {
        ModbusMultipleCells(record, modbusConverter, visit);
        return DetailRows::Kind::ModbusMultiple;
    }
    return DetailRows::Kind::None;
}

DetailRows BuildDetailRows(const CRecord& record, const IRecordToParameterXferConverter& blockTransferConverter,
                           const IModbusMultipleMessageConverter& modbusConverter) {
    DetailRows out;
    out.kind = VisitDetailCells(record, blockTransferConverter, modbusConverter,
                                [&out](std::size_t row, const std::string& cell) {
                                    if (row >= out.rows.size()) out.rows.resize(row + 1);
                                    out.rows[row].push_back(cell);
                                    return true;
                                });
    if (out.kind == DetailRows::Kind::ParameterBlockTransfer) {
        for (int id = res::IDS_COL_NO; id <= res::IDS_COL_FCU; ++id) out.header.push_back(Text(id));
    } else if (out.kind == DetailRows::Kind::ModbusMultiple) {
        out.header = {Text(res::IDS_COL_NO), Text(res::IDS_COL_COMMAND_TYPE), Text(res::IDS_COL_FCU_NO)};
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
