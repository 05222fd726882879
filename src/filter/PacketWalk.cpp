#include "filter/PacketWalk.h"

#include "decode/ParameterBlockXferCustomData.h"

namespace vyx {
namespace {

bool IsFCUPacketType(int type) { return type == kPacketTypeFCUParameterList || type == kPacketTypeFCURegisterRun; }

// Visits every item of every block of a packet; stops early when visit returns true.
template <typename Visit>
bool AnyItem(const IParameterBlockXferPacket& packet, Visit visit) {
    for (int b = 0; b < packet.GetBlockCount(); ++b) {
        const IParameterBlockXferBlock* block = packet.GetBlock(b);
        for (int i = 0; i < block->GetCustomDataCount(); ++i) {
            if (visit(*block->GetCustomData(i))) return true;
        }
    }
    return false;
}

template <typename Item>
bool IsItemWith(const IParameterBlockXferCustomData& data, std::optional<std::int32_t> code) {
    const auto* item = dynamic_cast<const Item*>(&data);
    return item != nullptr && (!code || static_cast<std::int32_t>(item->GetValue()) == *code);
}

}  // namespace

bool HasFCUPacketFor(const CRecordToParameterXferConverter& converter, const CRecord& record, std::int32_t fcu) {
    if (record.m_nMessageMode != kModeParameterBlockTransfer) return false;
    const auto message = converter.Convert(record);
    if (!message) return false;
    for (int p = 0; p < message->GetPacketCount(); ++p) {
        const IParameterBlockXferPacket* packet = message->GetPacket(p);
        if (!IsFCUPacketType(packet->GetType())) continue;
        const auto* withFCU = AsPacketWithFCU(packet);
        if (withFCU && static_cast<std::int16_t>(withFCU->m_nFCUAddress) == fcu) return true;
    }
    return false;
}

bool HasFCUItem(const CRecordToParameterXferConverter& converter, const CRecord& record, std::optional<std::int32_t> fcu,
                FCUItemKind kind, std::optional<std::int32_t> code) {
    if (record.m_nMessageMode != kModeParameterBlockTransfer) return false;
    const auto message = converter.Convert(record);
    if (!message) return false;
    for (int p = 0; p < message->GetPacketCount(); ++p) {
        const IParameterBlockXferPacket* packet = message->GetPacket(p);
        if (!IsFCUPacketType(packet->GetType())) continue;
        if (fcu) {
            const auto* withFCU = AsPacketWithFCU(packet);
            if (!withFCU || static_cast<std::int16_t>(withFCU->m_nFCUAddress) != *fcu) continue;
        }
        const bool found = AnyItem(*packet, [&](const IParameterBlockXferCustomData& data) {
            switch (kind) {
            case FCUItemKind::Status: return IsItemWith<CParameterBlockXferStatusData>(data, code);
            case FCUItemKind::Alarm: return IsItemWith<CParameterBlockXferAlarmData>(data, code);
            case FCUItemKind::StatusOrAlarm:
                return IsItemWith<CParameterBlockXferStatusData>(data, code) ||
                       IsItemWith<CParameterBlockXferAlarmData>(data, code);
            }
            return false;
        });
        if (found) return true;
    }
    return false;
}

bool HasMasterStationItem(const CRecordToParameterXferConverter& converter, const CRecord& record,
                          MasterStationItemKind kind, std::int32_t code) {
    if (record.m_nMessageMode != kModeParameterBlockTransfer) return false;
    const auto message = converter.Convert(record);
    if (!message) return false;
    for (int p = 0; p < message->GetPacketCount(); ++p) {
        const IParameterBlockXferPacket* packet = message->GetPacket(p);
        if (packet->GetType() != kPacketTypeMasterStation) continue;
        const bool found = AnyItem(*packet, [&](const IParameterBlockXferCustomData& data) {
            return kind == MasterStationItemKind::SystemStatus
                       ? IsItemWith<CParameterBlockXferSysemStatusAlarmData>(data, code)
                       : IsItemWith<CParameterBlockXferLoopFaultData>(data, code);
        });
        if (found) return true;
    }
    return false;
}

}  // namespace vyx
