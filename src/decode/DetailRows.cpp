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

// The bytes of each item the tree builder makes a row of, in the order the rows come: one range per code of a
// block of codes, one per value.
class CRowBytesSink final : public IParameterXferItemSink {
public:
    CRowBytesSink(std::span<const std::uint8_t> message, std::vector<DetailRows::ByteRange>& out)
        : m_message(message), m_out(out) {}
    bool OnCodes(const ParameterXferPacketHead& head, int, ParameterXferItemKind, const CFCUCodeList& codes) override {
        for (int i = 0; i < codes.Count(); ++i) m_out.push_back(RangeOf(head));
        return false;
    }
    bool OnValue(const ParameterXferPacketHead& head, int, ParameterXferItemKind, int) override {
        m_out.push_back(RangeOf(head));
        return false;
    }

private:
    DetailRows::ByteRange RangeOf(const ParameterXferPacketHead& head) const {
        const auto packet = static_cast<std::size_t>(head.bytes.data() - m_message.data());
        return {packet + static_cast<std::size_t>(head.entryOffset), static_cast<std::size_t>(head.entryWidth)};
    }
    std::span<const std::uint8_t> m_message;
    std::vector<DetailRows::ByteRange>& m_out;
};

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

// The data bytes of a write-multiple item: the coil's byte, or the register's two bytes, after the 7-byte head.
DetailRows::ByteRange ModbusItemBytes(std::span<const std::uint8_t> request, int sequence) {
    constexpr std::size_t kHead = 7;
    if (request.size() < 2 || sequence < 1) return {};
    const auto index = static_cast<std::size_t>(sequence - 1);
    const bool coils = request[1] == kFunctionWriteCoils;
    const std::size_t offset = kHead + (coils ? index / 8 : 2 * index);
    const std::size_t length = coils ? 1 : 2;
    if (offset + length > request.size()) return {};
    return {offset, length};
}

// The bytes behind each detail row, for the pane that highlights them.
void AddRowBytes(const CRecord& record, const IRecordToParameterXferConverter& blockTransferConverter,
                 const IModbusMultipleMessageConverter& modbusConverter, DetailRows& out) {
    if (out.kind == DetailRows::Kind::ParameterBlockTransfer) {
        if (const auto* walker = dynamic_cast<const CRecordToParameterXferConverter*>(&blockTransferConverter)) {
            CRowBytesSink sink(record.MessageBytes(), out.rowBytes);
            walker->Walk(record, sink);
        }
    } else if (out.kind == DetailRows::Kind::ModbusMultiple) {
        if (const auto message = modbusConverter.Convert(record)) {
            for (int i = 0; i < message->GetItemCount(); ++i) {
                out.rowBytes.push_back(ModbusItemBytes(record.MessageBytes(), message->GetItem(i)->m_nSequence));
            }
        }
    }
    out.rowBytes.resize(out.rows.size());
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
    AddRowBytes(record, blockTransferConverter, modbusConverter, out);
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
