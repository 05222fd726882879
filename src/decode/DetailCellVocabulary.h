#pragma once
// What the cells of the detail rows are made of, for a search that rules a text out before it decodes a
// record: the texts the cells take from tables, and for each family of cells formatted from numbers or bytes
// the characters its texts use. A text that none of the table texts holds, and whose characters are not all
// in one family's characters, is in no cell of any record of that kind.

#include <bitset>
#include <string>
#include <vector>

namespace vyx {

struct DetailCellVocabulary {
    std::vector<std::string> texts;
    std::vector<std::bitset<256>> alphabets;
};

// The rows of the block-transfer converter (CRecordToParameterXferConverter) and of the Modbus multiple
// converter (CRecordToModbusMultipleConverter), for every record. Made once, on first use.
const DetailCellVocabulary& BlockTransferCellVocabulary();
const DetailCellVocabulary& ModbusMultipleCellVocabulary();

}  // namespace vyx
