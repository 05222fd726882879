#pragma once
// A decoded block transfer: its packets in message order.

#include <memory>
#include <vector>

#include "decode/ParameterBlockXferPacket.h"

namespace vyx {

class IParameterBlockXferFormatObjIterator;

class IParameterBlockXferMessage {
public:
    virtual void AddPacket(std::unique_ptr<IParameterBlockXferPacket> packet) = 0;
    // Packet at index, or null outside 0..count-1.
    virtual const IParameterBlockXferPacket* GetPacket(int index) const = 0;
    virtual int GetPacketCount() const = 0;
    // An iterator over the detail rows, positioned before the first row. It must not outlive the message.
    virtual std::unique_ptr<IParameterBlockXferFormatObjIterator> CreateIterator() const = 0;
    virtual ~IParameterBlockXferMessage() = default;
};

class CParameterBlockXferMessage : public IParameterBlockXferMessage {
public:
    void AddPacket(std::unique_ptr<IParameterBlockXferPacket> packet) override;
    const IParameterBlockXferPacket* GetPacket(int index) const override;
    int GetPacketCount() const override { return static_cast<int>(m_packets.size()); }
    std::unique_ptr<IParameterBlockXferFormatObjIterator> CreateIterator() const override;

    void Reserve(int packets) { m_packets.reserve(static_cast<std::size_t>(packets)); }

private:
    std::vector<std::unique_ptr<IParameterBlockXferPacket>> m_packets;
};

}  // namespace vyx
