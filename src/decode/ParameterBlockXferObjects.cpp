// Bodies of the block-transfer object tree: block, packet and message.

#include <algorithm>

#include "decode/ParameterBlockXferBlock.h"
#include "decode/ParameterBlockXferFormatObjIterator.h"
#include "decode/ParameterBlockXferMessage.h"
#include "decode/ParameterBlockXferPacket.h"

namespace vyx {
namespace {

template <typename Pointer>
auto* At(const std::vector<Pointer>& items, int index) {
    return (index >= 0 && index < static_cast<int>(items.size())) ? items[static_cast<std::size_t>(index)].get()
                                                                  : nullptr;
}

}  // namespace

void CParameterBlockXferBlock::AddCustomData(std::unique_ptr<IParameterBlockXferCustomData> item) {
    if (!item) return;
    if (!m_first) {
        m_first = std::move(item);
    } else {
        m_more.push_back(std::move(item));
    }
}

const IParameterBlockXferCustomData* CParameterBlockXferBlock::GetCustomData(int index) const {
    if (index == 0) return m_first.get();
    return At(m_more, index - 1);
}

void CParameterBlockXferBlock::Assign(const IParameterBlockXferBlock& other) {
    if (&other == this) return;
    m_nBlockNumber = other.GetBlockNumber();
    m_nParameterNumber = other.GetParameterNumber();
}

void CParameterBlockXferPacket::SetBytes(std::span<const std::uint8_t> bytes) {
    m_nLength = static_cast<int>(bytes.size());
    if (bytes.size() <= m_inline.size()) {
        std::copy(bytes.begin(), bytes.end(), m_inline.begin());
        m_heap.clear();
    } else {
        m_heap.assign(bytes.begin(), bytes.end());
    }
}

void CParameterBlockXferPacket::Assign(const IParameterBlockXferPacket& other) {
    if (&other == this) return;
    m_nType = other.GetType();
    const int length = other.GetLength();
    if (length > 0 && other.GetData() != nullptr) {
        SetBytes(std::span<const std::uint8_t>(other.GetData(), static_cast<std::size_t>(length)));
    } else {
        SetBytes({});
    }
}

void CParameterBlockXferPacket::AddBlock(std::unique_ptr<IParameterBlockXferBlock> block) {
    if (block) m_blocks.push_back(std::move(block));
}

const IParameterBlockXferBlock* CParameterBlockXferPacket::GetBlock(int index) const {
    return At(m_blocks, index);
}

void CParameterBlockXferMessage::AddPacket(std::unique_ptr<IParameterBlockXferPacket> packet) {
    if (packet) m_packets.push_back(std::move(packet));
}

const IParameterBlockXferPacket* CParameterBlockXferMessage::GetPacket(int index) const {
    return At(m_packets, index);
}

std::unique_ptr<IParameterBlockXferFormatObjIterator> CParameterBlockXferMessage::CreateIterator() const {
    return std::make_unique<CParameterBlockXferFormatObjIterator>(this);
}

}  // namespace vyx
