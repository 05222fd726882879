#include "decode/RecordToParameterXferConverter.h"

#include <algorithm>

#include "decode/FCUType.h"
#include "decode/ParameterXferWalk.h"

namespace vyx {

namespace {

// Builds the object tree. The packet object and each block are made only once something goes into them, so
// packets and blocks that would be dropped as empty cost no allocation.
class CTreeBuilder final : public IParameterXferItemSink {
public:
    explicit CTreeBuilder(CParameterBlockXferMessage& message) : m_message(message) {}

    bool OnCodes(const ParameterXferPacketHead& head, int index, ParameterXferItemKind kind,
                 const CFCUCodeList& codes) override {
        CParameterBlockXferBlock& block = AddBlock(head, index, codes.Count());
        for (const int code : codes) {
            if (kind == ParameterXferItemKind::Status) {
                block.AddCustomData(std::make_unique<CParameterBlockXferStatusData>(code));
            } else if (kind == ParameterXferItemKind::Alarm) {
                block.AddCustomData(std::make_unique<CParameterBlockXferAlarmData>(code));
            } else {
                block.AddCustomData(std::make_unique<CParameterBlockXferSysemStatusAlarmData>(code));
            }
        }
        return false;
    }

    bool OnValue(const ParameterXferPacketHead& head, int index, ParameterXferItemKind kind, int value) override {
        CParameterBlockXferBlock& block = AddBlock(head, index, 1);
        switch (kind) {
            case ParameterXferItemKind::FCUType:
                block.AddCustomData(std::make_unique<CParameterBlockXferFCUTypeData>(value));
                break;
            case ParameterXferItemKind::Position:
                block.AddCustomData(std::make_unique<CParameterBlockXferPositionData>(value));
                break;
            case ParameterXferItemKind::LoopFault:
                block.AddCustomData(std::make_unique<CParameterBlockXferLoopFaultData>(value));
                break;
            default:
                block.AddCustomData(
                    std::make_unique<CParameterBlockXferFCULoopBackData>(static_cast<std::uint16_t>(value)));
                break;
        }
        return false;
    }

    void OnPacketEnd(const ParameterXferPacketHead& /*head*/) override {
        if (!m_packet) return;
        // One list allocation for the usual handful of packets.
        if (m_message.GetPacketCount() == 0) m_message.Reserve(4);
        m_message.AddPacket(std::move(m_packet));
    }

private:
    CParameterBlockXferBlock& AddBlock(const ParameterXferPacketHead& head, int index, int items) {
        if (!m_packet) {
            if (head.type == kPacketTypeMasterStation) {
                m_packet = std::make_unique<CParameterBlockXferPacket>(head.type, head.bytes);
            } else {
                m_packet = std::make_unique<CParameterBlockXferPacketWithFCU>(head.type, head.bytes, head.fcuAddress);
            }
            m_packet->ReserveBlocks(head.blockHint);
        }
        auto block = std::make_unique<CParameterBlockXferBlock>(index / 8, index % 8);
        block->Reserve(items);
        CParameterBlockXferBlock& added = *block;
        m_packet->AddBlock(std::move(block));
        return added;
    }

    CParameterBlockXferMessage& m_message;
    std::unique_ptr<CParameterBlockXferPacket> m_packet;
};

}  // namespace

CRecordToParameterXferConverter::CRecordToParameterXferConverter(FCUConfigurationList configuration)
    : m_configuration(std::move(configuration)) {
    m_statusType.fill(static_cast<std::uint8_t>(kFCUTypeUnidentified));
    m_alarmType.fill(static_cast<std::uint8_t>(kFCUTypeUnidentified));
    std::array<bool, 256> seen{};
    for (const CFCUExtended& fcu : m_configuration) {
        if (fcu.m_nNumber < 0 || fcu.m_nNumber > 255) continue;  // no packet can carry this address
        const auto address = static_cast<std::size_t>(fcu.m_nNumber);
        const auto type = static_cast<std::uint8_t>(
            (fcu.m_nType >= 0 && fcu.m_nType <= kFCUTypeUnidentified) ? fcu.m_nType : kFCUTypeUnidentified);
        m_statusType[address] = type;  // the last entry wins
        if (!seen[address]) {
            m_alarmType[address] = type;  // the first entry wins
            seen[address] = true;
        }
    }
}

int CRecordToParameterXferConverter::StatusTypeOf(int fcuAddress) const {
    if (fcuAddress < 0 || fcuAddress > 255) return kFCUTypeUnidentified;
    return m_statusType[static_cast<std::size_t>(fcuAddress)];
}

int CRecordToParameterXferConverter::AlarmTypeOf(int fcuAddress) const {
    if (fcuAddress < 0 || fcuAddress > 255) return kFCUTypeUnidentified;
    return m_alarmType[static_cast<std::size_t>(fcuAddress)];
}

std::unique_ptr<IParameterBlockXferMessage> CRecordToParameterXferConverter::Convert(const CRecord& record) const {
    if (record.m_nMessageMode != kModeParameterBlockTransfer) return nullptr;
    return ConvertMessageBytes(record.MessageBytes());
}

std::unique_ptr<IParameterBlockXferMessage> CRecordToParameterXferConverter::ConvertMessageBytes(
    std::span<const std::uint8_t> bytes) const {
    auto message = std::make_unique<CParameterBlockXferMessage>();
    CTreeBuilder builder(*message);
    WalkMessageBytes(bytes, builder);
    return message;
}

bool CRecordToParameterXferConverter::Walk(const CRecord& record, IParameterXferItemSink& sink) const {
    if (record.m_nMessageMode != kModeParameterBlockTransfer) return false;
    return WalkMessageBytes(record.MessageBytes(), sink);
}

bool CRecordToParameterXferConverter::WalkMessageBytes(std::span<const std::uint8_t> bytes,
                                                       IParameterXferItemSink& sink) const {
    return WalkParameterXferBytes(*this, bytes, sink);
}

}  // namespace vyx
