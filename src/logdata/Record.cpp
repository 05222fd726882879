#include "logdata/Record.h"

namespace vyx {

void CRecord::Reset() {
    m_nDataLength = 0;
    m_pData.clear();
    m_nTime = 0;
    m_nChannel = kChannelUnidentified;
    m_nMessageMode = kModeUnidentified;
    m_nDatabaseType = kDatabaseNone;
    m_bFCUValid = 0;
    m_nFCU = 0;
    m_bCommandValid = 0;
    m_nCommand = kCmdNone;
    m_bSourceValid = 0;
    m_nSource = kSourceUnidentified;
    m_bMultipleFCU = 0;
}

}  // namespace vyx
