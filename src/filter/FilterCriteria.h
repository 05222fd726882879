#pragma once
// Record predicates. A load keeps a record when every filter of its list keeps it; an empty list keeps all.

#include <memory>
#include <vector>

#include "logdata/Parse.h"
#include "logdata/Record.h"

namespace vyx {

class CFilterCriteria {
public:
    virtual ~CFilterCriteria() = default;
    // 1 keeps the record, 0 drops it. Must not keep state between calls.
    virtual int Test(const CRecord& record) const = 0;

    // What Test would answer, told from the record's head alone where it can be: Keep or Drop must be exactly
    // Test's answer for every record with that head. Lets a load skip decoding the records it can judge early.
    enum class HeadAnswer { Keep, Drop, NeedRecord };
    virtual HeadAnswer TestHead(const CRecordHead& /*head*/) const { return HeadAnswer::NeedRecord; }
    // True when TestHead looks at the time stamp. Every other filter answers from channel and mode alone, so
    // a load can work its answers out once per class byte.
    virtual bool TestHeadNeedsTime() const { return false; }
};

// Modes whose records carry a command (and an FCU decoded from the message).
inline bool CarriesCommand(std::int32_t messageMode) {
    return messageMode == kModeHalvikCommonProtocol || messageMode == kModeM7Idle || messageMode == kModeModbus;
}

using FilterList = std::vector<std::unique_ptr<CFilterCriteria>>;

// True when every filter keeps the record, testing in list order and stopping at the first refusal.
inline bool PassesAll(const FilterList& filters, const CRecord& record) {
    for (const auto& filter : filters) {
        if (!filter->Test(record)) return false;
    }
    return true;
}

}  // namespace vyx
