#pragma once
// Walks a decoded block transfer item by item (packet, block, item) and gives each item's row texts.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "decode/ParameterBlockXferFormatObj.h"
#include "decode/ParameterXferItemSink.h"

namespace vyx {

class IParameterBlockXferMessage;

class IParameterBlockXferFormatObjIterator {
public:
    // The row texts of the current item, or null when the position is not valid (before the first Next, or
    // after Next returned false). The texts belong to the iterator and change with the next call.
    virtual const IParameterBlockXferFormatObj* Current() = 0;
    // Steps to the next item; true when there is one.
    virtual bool Next() = 0;
    // Number of items in all blocks of all packets.
    virtual int GetRowCount() const = 0;
    virtual ~IParameterBlockXferFormatObjIterator() = default;
};

class CParameterBlockXferFormatObjIterator : public IParameterBlockXferFormatObjIterator {
public:
    // The message is not owned and must outlive the iterator.
    explicit CParameterBlockXferFormatObjIterator(const IParameterBlockXferMessage* message);

    const IParameterBlockXferFormatObj* Current() override;
    bool Next() override;
    int GetRowCount() const override;

private:
    bool IsValid() const;
    void FillRow();

    const IParameterBlockXferMessage* m_pMessage;
    std::unique_ptr<CParameterBlockXferFormatObj> m_pRow;
    int m_nPacket = -1;
    int m_nBlock = -1;
    int m_nItem = -1;
};

// The texts a row takes from no table, apart from numbers and the packet's hex bytes.
inline constexpr std::string_view kNoDetail = "NA";    // "Detail Information" of an item without one
inline constexpr std::string_view kNoFCUText = "-NA-";  // "FCU" of a master station packet

// "Information" of a block's first row: the name of what the block holds, empty for most blocks.
std::string_view InformationText(int packetType, int block, int parameter);

// "Block and Parameter Info" of a block's first row.
void AppendBlockParameterText(std::string& out, int block, int parameter);

// "Detail Information" of an FCU loop-back word: "FCU Addr:- " and its two bytes in decimal.
void AppendLoopBackDetailText(std::string& out, unsigned word);

// "Detail Information" of an item of this kind and value in a block of a packet of this type.
void AppendDetailText(std::string& out, int packetType, int block, int parameter, ParameterXferItemKind kind,
                      int value);

// The "Detail Information" text of a valve position word: value * 100 / 255 as a percentage, "%.2f".
std::string FormatValvePosition(std::int32_t rawValue);

}  // namespace vyx
