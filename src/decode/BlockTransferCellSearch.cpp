#include "decode/BlockTransferCellSearch.h"

#include <charconv>

#include "decode/FormatRecord.h"
#include "decode/ParameterBlockXferFormatObjIterator.h"
#include "decode/ParameterBlockXferPacket.h"
#include "decode/ParameterXferItemSink.h"
#include "decode/RecordToParameterXferConverter.h"

namespace vyx {

// The rows come as the iterator makes them from the converter's tree: a row per item of each block, the
// packet's number (among the packets that have rows) and bytes in its first row, the block's name and
// information in the block's first row, the FCU in every row. Empty cells hold nothing and are left out.
class CBlockTransferCellSearch::CSink final : public IParameterXferItemSink {
public:
    CSink(const DetailCellWanted& wanted, std::string& text, const Test& test)
        : m_wanted(wanted), m_text(text), m_test(test) {}

    bool OnCodes(const ParameterXferPacketHead& head, int index, ParameterXferItemKind kind,
                 const CFCUCodeList& codes) override {
        if (Block(head, index)) return true;
        for (const int code : codes) {
            if (Item(head, index, kind, code)) return true;
        }
        return false;
    }
    bool OnValue(const ParameterXferPacketHead& head, int index, ParameterXferItemKind kind, int value) override {
        return Block(head, index) || Item(head, index, kind, value);
    }
    void OnPacketEnd(const ParameterXferPacketHead& /*head*/) override {
        if (m_blocksInPacket > 0) ++m_packets;
        m_blocksInPacket = 0;
    }

private:
    bool Wants(DetailCellFamily family) const { return m_wanted.families[family]; }

    bool Number(long long value) {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        return m_test(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
    }

    bool Block(const ParameterXferPacketHead& head, int index) {
        const int block = index / 8;
        const int parameter = index % 8;
        if (m_blocksInPacket++ == 0) {
            if (Wants(kCellNumber) && Number(m_packets + 1)) return true;
            if (Wants(kCellHex)) {
                m_text.clear();
                AppendHexBytes(m_text, head.bytes.data(), head.bytes.size());
                if (m_test(m_text)) return true;
            }
            // The same FCU text stands in every row of the packet.
            if (head.type == kPacketTypeMasterStation) {
                if (m_wanted.tables && m_test(kNoFCUText)) return true;
            } else if (Wants(kCellNumber) && Number(head.fcuAddress)) {
                return true;
            }
        }
        if (Wants(kCellBlockName)) {
            m_text.clear();
            AppendBlockParameterText(m_text, block, parameter);
            if (m_test(m_text)) return true;
        }
        return m_wanted.tables && m_test(InformationText(head.type, block, parameter));
    }

    bool Item(const ParameterXferPacketHead& head, int index, ParameterXferItemKind kind, int value) {
        // A position or a loop-back word shows as a number or as the "NA" of the tables; the others come
        // from the tables only.
        const bool formatted = (kind == ParameterXferItemKind::Position && Wants(kCellPosition)) ||
                               (kind == ParameterXferItemKind::LoopBack && Wants(kCellLoopBack));
        if (!formatted && !m_wanted.tables) return false;
        m_text.clear();
        AppendDetailText(m_text, head.type, index / 8, index % 8, kind, value);
        return m_test(m_text);
    }

    const DetailCellWanted& m_wanted;
    std::string& m_text;
    const Test& m_test;
    long long m_packets = 0;
    int m_blocksInPacket = 0;
};

bool CBlockTransferCellSearch::AnyCell(std::span<const std::uint8_t> message, const Test& test) {
    CSink sink(m_wanted, m_text, test);
    return m_converter.WalkMessageBytes(message, sink);
}

}  // namespace vyx
