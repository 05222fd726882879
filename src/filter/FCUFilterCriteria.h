#pragma once
// FCU predicates: narrow the FCU table of the FCU view. Same shape as the record filters, over one FCU.

#include <cstdint>
#include <memory>
#include <vector>

#include "decode/FCU.h"

namespace vyx {

class CFCUFilterCriteria {
public:
    virtual ~CFCUFilterCriteria() = default;
    // 1 keeps the FCU, 0 drops it. Must not keep state between calls.
    virtual int Test(const CFCU& fcu) const = 0;
};

using FCUFilterList = std::vector<std::unique_ptr<CFCUFilterCriteria>>;

// True when every predicate keeps the FCU, in list order, stopping at the first refusal.
inline bool PassesAll(const FCUFilterList& filters, const CFCU& fcu) {
    for (const auto& filter : filters) {
        if (!filter->Test(fcu)) return false;
    }
    return true;
}

// Keeps the FCUs of one master station. Channel 2 (the unset channel) keeps nothing.
class CFCUFilterChannel : public CFCUFilterCriteria {
public:
    explicit CFCUFilterChannel(std::int32_t channel) : m_nChannel(channel) {}
    int Test(const CFCU& fcu) const override { return (m_nChannel != 2 && m_nChannel == fcu.m_nChannel) ? 1 : 0; }
    std::int32_t Channel() const { return m_nChannel; }

private:
    std::int32_t m_nChannel;
};

}  // namespace vyx
