#pragma once
// What the cells of the detail rows are made of, for a search that rules a text out before it decodes a
// record: the texts the cells take from tables, and for each family of cells formatted from numbers or bytes
// the characters its texts use. A text that none of the table texts holds, and whose characters are not all
// in one family's characters, is in no cell of any record of that kind.

#include <algorithm>
#include <array>
#include <bitset>
#include <string>
#include <vector>

namespace vyx {

// The families of formatted cells, in the order of DetailCellVocabulary::alphabets: numbers in decimal, bytes
// in hex, block names, valve positions, loop-back words. The Modbus rows have numbers only.
enum DetailCellFamily : int { kCellNumber, kCellHex, kCellBlockName, kCellPosition, kCellLoopBack, kCellFamilies };

struct DetailCellVocabulary {
    std::vector<std::string> texts;
    std::vector<std::bitset<256>> alphabets;
};

// Per family, and for the table texts, whether a cell of it may hold what is sought.
struct DetailCellWanted {
    std::array<bool, kCellFamilies> families{};
    bool tables = false;
    bool Any() const { return tables || std::find(families.begin(), families.end(), true) != families.end(); }
};

// The rows of the block-transfer converter (CRecordToParameterXferConverter) and of the Modbus multiple
// converter (CRecordToModbusMultipleConverter), for every record. Made once, on first use.
const DetailCellVocabulary& BlockTransferCellVocabulary();
const DetailCellVocabulary& ModbusMultipleCellVocabulary();

}  // namespace vyx
