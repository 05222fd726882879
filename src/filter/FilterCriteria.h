#pragma once
// Record predicates. A load keeps a record when every filter of its list keeps it; an empty list keeps all.

#include <memory>
#include <vector>

#include "logdata/Record.h"

namespace vyx {

class CFilterCriteria {
public:
    virtual ~CFilterCriteria() = default;
    // 1 keeps the record, 0 drops it. Must not keep state between calls.
    virtual int Test(const CRecord& record) const = 0;
};

using FilterList = std::vector<std::unique_ptr<CFilterCriteria>>;

// True when every filter keeps the record, testing in list order and stopping at the first refusal.
inline bool PassesAll(const FilterList& filters, const CRecord& record) {
    for (const auto& filter : filters) {
        if (!filter->Test(record)) return false;
    }
    return true;
}

}  // namespace vyx
