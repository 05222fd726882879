#include "filter/RecordFilters.h"

#include "decode/RecordToModbusMultipleConverter.h"
#include "decode/RecordToParameterXferConverter.h"
#include "filter/PacketWalk.h"

namespace vyx {
namespace {

bool IsModbusMultiple(const CRecord& record) {
    return record.m_bMultipleFCU == 1 && record.m_nMessageMode == kModeModbus;
}

// Calls visit(mapping) for the items of a Modbus write-multiple record, expanded with the base address the
// load runs with, until it returns true.
template <typename Visit>
bool AnyModbusItem(const CRecord& record, std::uint8_t baseAddress, Visit visit) {
    return ForEachModbusMultipleItem(record.MessageBytes(), record.m_nDatabaseType, baseAddress,
                                     [&](int, const ModbusMapping& item) { return visit(item); });
}

// Walks the items of a write-multiple request: matches when one item passes the test and no item is a
// system-wide command (such an item rejects the whole request, wherever it stands).
template <typename ItemTest>
bool WalkModbusItems(const CRecord& record, std::uint8_t baseAddress, ItemTest test) {
    bool matched = false;
    const bool refused = AnyModbusItem(record, baseAddress, [&](const ModbusMapping& item) {
        if (IsSystemWideCommand(item.command)) return true;
        if (!matched && test(item)) matched = true;
        return false;
    });
    return matched && !refused;
}

}  // namespace

bool IsSystemWideCommand(std::int32_t command) {
    switch (command) {
        case kCmdGlobalESDTrigger:
        case kCmdChangeMaster:
        case kCmdSystemReconfiguration:
        case kCmdAlarmAccept:
        case kCmdStartFCUDataUpload: return true;
        default: return false;
    }
}

static CFilterCriteria::HeadAnswer KeepIf(bool kept) {
    return kept ? CFilterCriteria::HeadAnswer::Keep : CFilterCriteria::HeadAnswer::Drop;
}

CFilterCriteria::HeadAnswer CFilterChannel::TestHead(const CRecordHead& head) const {
    return KeepIf(head.m_nChannel == m_nChannel);
}

CFilterCriteria::HeadAnswer CFilterMessage::TestHead(const CRecordHead& head) const {
    return KeepIf(head.m_nMessageMode == m_nMessageMode);
}

CFilterCriteria::HeadAnswer CFilterDateTime::TestHead(const CRecordHead& head) const {
    return KeepIf(m_nStart <= head.m_nTime && head.m_nTime <= m_nEnd);
}

// Only the modes that carry a command can match a command.
CFilterCriteria::HeadAnswer CFilterCommand::TestHead(const CRecordHead& head) const {
    return CarriesCommand(head.m_nMessageMode) ? HeadAnswer::NeedRecord : HeadAnswer::Drop;
}

CFilterCriteria::HeadAnswer CFilterCommandnFCUAddress::TestHead(const CRecordHead& head) const {
    return CarriesCommand(head.m_nMessageMode) ? HeadAnswer::NeedRecord : HeadAnswer::Drop;
}

// Records of the other modes carry no FCU: theirs is 0.
CFilterCriteria::HeadAnswer CFilterFCUAddress::TestHead(const CRecordHead& head) const {
    if (CarriesCommand(head.m_nMessageMode) || head.m_nMessageMode == kModeParameterBlockTransfer) {
        return HeadAnswer::NeedRecord;
    }
    return KeepIf(m_nFCU == 0);
}

int CFilterChannel::Test(const CRecord& record) const {
    return record.m_nChannel == m_nChannel ? 1 : 0;
}

int CFilterMessage::Test(const CRecord& record) const {
    return record.m_nMessageMode == m_nMessageMode ? 1 : 0;
}

int CFilterDateTime::Test(const CRecord& record) const {
    return (m_nStart <= record.m_nTime && record.m_nTime <= m_nEnd) ? 1 : 0;
}

int CFilterCommand::Test(const CRecord& record) const {
    if (IsModbusMultiple(record)) {
        return AnyModbusItem(record, m_modbusBaseAddress,
                             [this](const ModbusMapping& item) { return item.command == m_nCommand; })
                   ? 1
                   : 0;
    }
    return (record.m_nCommand != kCmdNone && record.m_nCommand == m_nCommand) ? 1 : 0;
}

int CFilterCommandnFCUAddress::Test(const CRecord& record) const {
    if (IsModbusMultiple(record)) {
        return WalkModbusItems(record, m_modbusBaseAddress,
                               [this](const ModbusMapping& item) {
                                   return item.command == m_nCommand && static_cast<std::int16_t>(item.fcu) == m_nFCU;
                               })
                   ? 1
                   : 0;
    }
    return (record.m_nCommand != kCmdNone && record.m_nCommand == m_nCommand && record.m_bFCUValid != 0 &&
            record.m_nFCU == m_nFCU)
               ? 1
               : 0;
}

CFilterFCUAddress::CFilterFCUAddress(std::int32_t fcu, const FCUConfigurationList& configuration,
                                     std::uint8_t modbusBaseAddress)
    : m_nFCU(fcu),
      m_modbusBaseAddress(modbusBaseAddress),
      m_fcuInfo(configuration),
      m_pConverter(std::make_unique<CRecordToParameterXferConverter>(m_fcuInfo)) {}

CFilterFCUAddress::~CFilterFCUAddress() = default;

int CFilterFCUAddress::Test(const CRecord& record) const {
    if (record.m_nMessageMode == kModeParameterBlockTransfer) {
        return HasFCUPacketFor(*m_pConverter, record, m_nFCU) ? 1 : 0;
    }
    if (IsModbusMultiple(record)) {
        return WalkModbusItems(
                   record, m_modbusBaseAddress,
                   [this](const ModbusMapping& item) { return static_cast<std::int16_t>(item.fcu) == m_nFCU; })
                   ? 1
                   : 0;
    }
    return record.m_nFCU == m_nFCU ? 1 : 0;
}

}  // namespace vyx
