#include "filter/RecordFilters.h"

#include "decode/ModbusMultipleMessage.h"
#include "decode/RecordToParameterXferConverter.h"
#include "decode/VyxViewerClassFactory.h"
#include "filter/PacketWalk.h"

namespace vyx {
namespace {

bool IsModbusMultiple(const CRecord& record) {
    return record.m_bMultipleFCU == 1 && record.m_nMessageMode == kModeModbus;
}

// The items of a Modbus write-multiple record, expanded with the base address the load runs with.
std::unique_ptr<IModbusMultipleMessage> ExpandModbus(const CRecord& record) {
    const CRecordToModbusMultipleConverter converter(CVyxViewerClassFactory::Instance().GetModbusAddress());
    return converter.Convert(record);
}

// Walks the items of a write-multiple request: matches when one item passes the test and no item is a
// system-wide command (such an item rejects the whole request, wherever it stands).
template <typename ItemTest>
bool WalkModbusItems(const CRecord& record, ItemTest test) {
    const auto message = ExpandModbus(record);
    if (!message) return false;
    bool matched = false;
    for (int i = 0; i < message->GetItemCount(); ++i) {
        const CModbusMultipleItem& item = *message->GetItem(i);
        if (IsSystemWideCommand(item.m_nCommand)) return false;
        if (test(item)) matched = true;
    }
    return matched;
}

}  // namespace

bool IsSystemWideCommand(std::int32_t command) {
    switch (command) {
    case kCmdGlobalESDTrigger:
    case kCmdChangeMaster:
    case kCmdSystemReconfiguration:
    case kCmdAlarmAccept:
    case kCmdStartFCUDataUpload:
        return true;
    default:
        return false;
    }
}

int CFilterChannel::Test(const CRecord& record) const { return record.m_nChannel == m_nChannel ? 1 : 0; }

int CFilterMessage::Test(const CRecord& record) const { return record.m_nMessageMode == m_nMessageMode ? 1 : 0; }

int CFilterDateTime::Test(const CRecord& record) const {
    return (m_nStart <= record.m_nTime && record.m_nTime <= m_nEnd) ? 1 : 0;
}

int CFilterCommand::Test(const CRecord& record) const {
    if (IsModbusMultiple(record)) {
        const auto message = ExpandModbus(record);
        if (!message) return 0;
        for (int i = 0; i < message->GetItemCount(); ++i) {
            if (message->GetItem(i)->m_nCommand == m_nCommand) return 1;
        }
        return 0;
    }
    return (record.m_nCommand != kCmdNone && record.m_nCommand == m_nCommand) ? 1 : 0;
}

int CFilterCommandnFCUAddress::Test(const CRecord& record) const {
    if (IsModbusMultiple(record)) {
        return WalkModbusItems(record, [this](const CModbusMultipleItem& item) {
                   return item.m_nCommand == m_nCommand && static_cast<std::int16_t>(item.m_nFCU) == m_nFCU;
               })
                   ? 1
                   : 0;
    }
    return (record.m_nCommand != kCmdNone && record.m_nCommand == m_nCommand && record.m_bFCUValid != 0 &&
            record.m_nFCU == m_nFCU)
               ? 1
               : 0;
}

CFilterFCUAddress::CFilterFCUAddress(std::int32_t fcu, const FCUConfigurationList& configuration)
    : m_nFCU(fcu), m_fcuInfo(configuration),
      m_pConverter(std::make_unique<CRecordToParameterXferConverter>(m_fcuInfo)) {}

CFilterFCUAddress::~CFilterFCUAddress() = default;

int CFilterFCUAddress::Test(const CRecord& record) const {
    if (record.m_nMessageMode == kModeParameterBlockTransfer) {
        return HasFCUPacketFor(*m_pConverter, record, m_nFCU) ? 1 : 0;
    }
    if (IsModbusMultiple(record)) {
        return WalkModbusItems(record,
                               [this](const CModbusMultipleItem& item) {
                                   return static_cast<std::int16_t>(item.m_nFCU) == m_nFCU;
                               })
                   ? 1
                   : 0;
    }
    return record.m_nFCU == m_nFCU ? 1 : 0;
}

}  // namespace vyx
