#pragma once
// Turns the status, alarm and master-station entries of the command box into their filters, by text.

#include <cstdint>
#include <memory>
#include <string_view>

#include "decode/FCU.h"
#include "filter/FilterCriteria.h"

namespace vyx {

class CTextToFilterCriteriaConverter {
public:
    explicit CTextToFilterCriteriaConverter(FCUConfigurationList configuration)
        : m_fcuInfo(std::move(configuration)) {}
    virtual ~CTextToFilterCriteriaConverter() = default;

    // The filter for an entry text (compared exactly), or null when the text is none of these entries.
    // fcu is the chosen FCU number, 0 for all FCUs.
    std::unique_ptr<CFilterCriteria> Convert(std::string_view text, std::int32_t fcu) const;

    const FCUConfigurationList& Configuration() const { return m_fcuInfo; }

private:
    FCUConfigurationList m_fcuInfo;
};

}  // namespace vyx
