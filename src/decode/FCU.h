#pragma once
// One FCU of the FCU information file, and the configured-flag variant of the configuration list.

#include <cstdint>
#include <vector>

namespace vyx {

constexpr std::int32_t kFCUTypeUnidentified = 14;

class CFCU {
public:
    CFCU() = default;
    CFCU(std::int32_t channel, std::int32_t type, std::int16_t number)
        : m_nChannel(channel), m_nType(type), m_nNumber(number) {}
    CFCU(const CFCU&) = default;
    CFCU& operator=(const CFCU&) = default;
    virtual ~CFCU() = default;

    std::int32_t m_nChannel = 2;                  // 0 = MS_A(left), 1 = MS_B(right), 2 = not set
    std::int32_t m_nType = kFCUTypeUnidentified;  // type index 0..13, 14 = unidentified
    std::int16_t m_nNumber = 0;                   // 1..300 on its channel
};

class CFCUExtended : public CFCU {
public:
    CFCUExtended() = default;
    CFCUExtended(std::int32_t channel, std::int32_t type, std::int16_t number, std::int32_t configured)
        : CFCU(channel, type, number), m_configured(configured) {}

    std::int32_t m_configured = 0;  // 1 for tag 1 (present), 0 for tag 2 (configured only)
};

// Present FCUs, in display order.
using FCUList = std::vector<CFCU>;
// Every configured entry in file order; what the block-transfer converter and the filters look types up in.
using FCUConfigurationList = std::vector<CFCUExtended>;

}  // namespace vyx
