#pragma once
// One packet of a block transfer: its bytes as received (length byte included), its type and its blocks.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "decode/ParameterBlockXferBlock.h"

namespace vyx {

constexpr int kPacketTypeFCUParameterList = 1;  // wire kind 1, addressed to one FCU
constexpr int kPacketTypeMasterStation = 2;     // wire kind 3, the master station's system data
constexpr int kPacketTypeFCURegisterRun = 3;    // wire kind 4, addressed to one FCU

class IParameterBlockXferPacket {
public:
    virtual int GetType() const = 0;
    virtual void SetType(int type) = 0;
    virtual const std::uint8_t* GetData() const = 0;
    virtual int GetLength() const = 0;
    // Copies type, length and bytes (not the blocks); no effect when other is this packet.
    virtual void Assign(const IParameterBlockXferPacket& other) = 0;
    virtual void AddBlock(std::unique_ptr<IParameterBlockXferBlock> block) = 0;
    // Block at index, or null outside 0..count-1.
    virtual const IParameterBlockXferBlock* GetBlock(int index) const = 0;
    virtual int GetBlockCount() const = 0;
    virtual ~IParameterBlockXferPacket() = default;
};

class CParameterBlockXferPacket : public IParameterBlockXferPacket {
public:
    CParameterBlockXferPacket() = default;
    CParameterBlockXferPacket(int type, std::span<const std::uint8_t> bytes) : m_nType(type) { SetBytes(bytes); }

    int GetType() const override { return m_nType; }
    void SetType(int type) override { m_nType = type; }
    const std::uint8_t* GetData() const override {
        return static_cast<std::size_t>(m_nLength) <= m_inline.size() ? m_inline.data() : m_heap.data();
    }
    int GetLength() const override { return m_nLength; }
    void Assign(const IParameterBlockXferPacket& other) override;
    void AddBlock(std::unique_ptr<IParameterBlockXferBlock> block) override;
    const IParameterBlockXferBlock* GetBlock(int index) const override;
    int GetBlockCount() const override { return static_cast<int>(m_blocks.size()); }

    void ReserveBlocks(int blocks) { m_blocks.reserve(static_cast<std::size_t>(blocks)); }

private:
    void SetBytes(std::span<const std::uint8_t> bytes);

    // Packets are short (a length byte limits them to 255 bytes, most hold a few entries): the usual ones
    // keep their bytes inside the packet, longer ones on the heap.
    std::array<std::uint8_t, 40> m_inline{};
    std::vector<std::uint8_t> m_heap;
    int m_nLength = 0;
    int m_nType = 0;
    std::vector<std::unique_ptr<IParameterBlockXferBlock>> m_blocks;
};

// Packets of types 1 and 3: addressed to one FCU.
class CParameterBlockXferPacketWithFCU : public CParameterBlockXferPacket {
public:
    CParameterBlockXferPacketWithFCU() = default;
    CParameterBlockXferPacketWithFCU(int type, std::span<const std::uint8_t> bytes, std::int32_t fcuAddress)
        : CParameterBlockXferPacket(type, bytes), m_nFCUAddress(fcuAddress) {}

    std::int32_t m_nFCUAddress = 0;  // 0..255
};

// The packet as a packet with FCU, or null when it carries none.
inline const CParameterBlockXferPacketWithFCU* AsPacketWithFCU(const IParameterBlockXferPacket* packet) {
    return dynamic_cast<const CParameterBlockXferPacketWithFCU*>(packet);
}

}  // namespace vyx
