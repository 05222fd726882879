#include "decode/FCUDisplay.h"

#include "decode/FCUType.h"
#include "res/StringTable.h"

namespace vyx {

std::string CFCUDisplay::FormatFCUNumber() const {
    return std::to_string(m_pFCU->m_nNumber);
}

std::string CFCUDisplay::FormatFCUType() const {
    return std::string(FCUTypeText(m_pFCU->m_nType));
}

std::string CFCUDisplay::FormatChannel() const {
    switch (m_pFCU->m_nChannel) {
        case 0: return std::string(res::LoadString(res::IDS_MS_A_LEFT));
        case 1: return std::string(res::LoadString(res::IDS_MS_B_RIGHT));
        default: return "UNIDENTIFIED_CHANNEL";
    }
}

}  // namespace vyx
