#pragma once
// The three texts that show an FCU in the FCU view: number, type and channel.

#include <string>

#include "decode/FCU.h"

namespace vyx {

class CFCUDisplay {
public:
    explicit CFCUDisplay(const CFCU* fcu = nullptr) : m_pFCU(fcu) {}
    virtual ~CFCUDisplay() = default;

    void SetFCU(const CFCU* fcu) { m_pFCU = fcu; }

    std::string FormatFCUNumber() const;  // decimal
    std::string FormatFCUType() const;    // type text, "UNIDENTIFIED_FCU" for 14
    std::string FormatChannel() const;    // "MS_A(left)", "MS_B(right)", else "UNIDENTIFIED_CHANNEL"

private:
    const CFCU* m_pFCU;
};

}  // namespace vyx
