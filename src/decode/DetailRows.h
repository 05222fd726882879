#pragma once
// The detail decoding of one record as the detail dialogs show it, free of any toolkit: a header and rows of
// column texts for a Parameter Block Transfer or a Modbus write-multiple record.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "logdata/Record.h"

namespace vyx {

class IRecordToParameterXferConverter;
class IModbusMultipleMessageConverter;

struct DetailRows {
    enum class Kind {
        None,                    // no detail decoding for this record
        ParameterBlockTransfer,  // message mode 5: "No.", "Packet", ..., "FCU"
        ModbusMultiple,          // message mode 4 with the multiple-FCU flag: "No.", "Command Type", "FCU No"
    };
    Kind kind = Kind::None;
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    // Per row, the bytes of the message (MessageBytes) it was decoded from; length 0 where none lie in it.
    struct ByteRange {
        std::size_t offset = 0;
        std::size_t length = 0;
        bool operator==(const ByteRange&) const = default;
    };
    std::vector<ByteRange> rowBytes;
};

// The cells of the rows BuildDetailRows would give, handed one by one to visit (row by row, column by column)
// until it returns false, without keeping them: for a search through millions of records. Returns the kind.
DetailRows::Kind VisitDetailCells(const CRecord& record, const IRecordToParameterXferConverter& blockTransferConverter,
                                  const IModbusMultipleMessageConverter& modbusConverter,
                                  const std::function<bool(std::size_t row, const std::string& cell)>& visit);

// Decodes the record with the converter of its kind.
DetailRows BuildDetailRows(const CRecord& record, const IRecordToParameterXferConverter& blockTransferConverter,
                           const IModbusMultipleMessageConverter& modbusConverter);

// Text lines: the header, then one line per row, columns separated by tabs; each line ends with "\n".
// A record without detail decoding gives the single line "no detail decoding".
std::string FormatDetailRows(const DetailRows& rows);

}  // namespace vyx
