#include "decode/FormatModbusMultipleData.h"

#include "decode/FormatRecord.h"
#include "logdata/Record.h"
#include "res/StringTable.h"

namespace vyx {

void CFormatModbusMultipleData::Init(std::int32_t sequence, std::int16_t fcu, std::int32_t command) {
    m_nSequence = sequence;
    m_nFCU = fcu;
    m_nCommand = command;
}

std::string CFormatModbusMultipleData::GetCommandText() const {
    if (m_nCommand == kCmdNone) return "Unidentified Command";
    return std::string(CommandText(m_nCommand));
}

std::string CFormatModbusMultipleData::GetFCUText() const {
    switch (m_nCommand) {
        case kCmdGlobalESDTrigger:
        case kCmdChangeMaster:
        case kCmdSystemReconfiguration:
        case kCmdAlarmAccept:
        case kCmdStartFCUDataUpload: return std::string(res::LoadString(res::IDS_FCU_NA));
        default: break;
    }
    if (m_nFCU >= 1 && m_nFCU <= 240) return std::to_string(m_nFCU);
    return std::string(res::LoadString(res::IDS_FCU_INVALID));
}

}  // namespace vyx
