#include "filter/ParameterBlockXferFilters.h"

#include "filter/PacketWalk.h"

namespace vyx {
namespace {

bool NamesAnFCU(std::int16_t fcu) {
    return fcu >= 1 && fcu <= 300;
}

}  // namespace

CFilterParameterBlockXfer::CFilterParameterBlockXfer(const FCUConfigurationList& configuration)
    : m_fcuInfo(configuration), m_pConverter(std::make_unique<CRecordToParameterXferConverter>(m_fcuInfo)) {}

CFilterParameterBlockXfer::~CFilterParameterBlockXfer() = default;

CFilterCriteria::HeadAnswer CFilterParameterBlockXfer::TestHead(const CRecordHead& head) const {
    return head.m_nMessageMode == kModeParameterBlockTransfer ? HeadAnswer::NeedRecord : HeadAnswer::Drop;
}

int CFilterParameterBlockXferWithFCU::Test(const CRecord& record) const {
    if (record.m_nMessageMode != kModeParameterBlockTransfer) return 0;
    if (!NamesOneFCU()) return 1;  // every block transfer
    return HasFCUPacketFor(Converter(), record, m_nFCU) ? 1 : 0;
}

int CFilterStatusData::Test(const CRecord& record) const {
    const std::optional<std::int32_t> fcu = NamesOneFCU() ? std::optional<std::int32_t>(FCU()) : std::nullopt;
    return HasFCUItem(Converter(), record, fcu, FCUItemKind::Status, m_nStatus) ? 1 : 0;
}

int CFilterAlarmData::Test(const CRecord& record) const {
    const std::optional<std::int32_t> fcu = NamesOneFCU() ? std::optional<std::int32_t>(FCU()) : std::nullopt;
    return HasFCUItem(Converter(), record, fcu, FCUItemKind::Alarm, m_nAlarm) ? 1 : 0;
}

int CFilterAllStatusAndAlarmData::Test(const CRecord& record) const {
    if (NamesOneFCU()) return CFilterParameterBlockXferWithFCU::Test(record);
    return HasFCUItem(Converter(), record, std::nullopt, FCUItemKind::StatusOrAlarm, std::nullopt) ? 1 : 0;
}

CFilterCriteria::HeadAnswer CFilterSystemStatusAndAlarm::TestHead(const CRecordHead& head) const {
    return NamesAnFCU(m_nFCU) ? HeadAnswer::Drop : CFilterParameterBlockXfer::TestHead(head);
}

int CFilterSystemStatusAndAlarm::Test(const CRecord& record) const {
    if (NamesAnFCU(m_nFCU)) return 0;
    return HasMasterStationItem(Converter(), record, MasterStationItemKind::SystemStatus, m_nSystemStatus) ? 1 : 0;
}

int CFilterLoopFaultData::Test(const CRecord& record) const {
    return HasMasterStationItem(Converter(), record, MasterStationItemKind::LoopFault, m_nLoopFault) ? 1 : 0;
}

}  // namespace vyx
