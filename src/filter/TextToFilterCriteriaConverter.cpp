#include "filter/TextToFilterCriteriaConverter.h"

#include "filter/ParameterBlockXferFilters.h"
#include "res/StringTable.h"

namespace vyx {
namespace {

// The first id in [first, last] whose text equals text, or 0.
int FindId(std::string_view text, int first, int last) {
    for (int id = first; id <= last; ++id) {
        if (res::LoadString(id) == text) return id;
    }
    return 0;
}

}  // namespace

std::unique_ptr<CFilterCriteria> CTextToFilterCriteriaConverter::Convert(std::string_view text,
                                                                         std::int32_t fcu) const {
    const auto fcu16 = static_cast<std::int16_t>(fcu);
    if (text == res::LoadString(res::IDS_ALL_STATUS_AND_ALARMS)) {
        return std::make_unique<CFilterAllStatusAndAlarmData>(fcu16, m_fcuInfo);
    }
    // Status entries: 153, 154, 161 are codes 1..3; 162..186 are codes 4..28.
    if (text == res::LoadString(153)) return std::make_unique<CFilterStatusData>(fcu16, 1, m_fcuInfo);
    if (text == res::LoadString(154)) return std::make_unique<CFilterStatusData>(fcu16, 2, m_fcuInfo);
    if (text == res::LoadString(161)) return std::make_unique<CFilterStatusData>(fcu16, 3, m_fcuInfo);
    if (const int id = FindId(text, 162, 186)) return std::make_unique<CFilterStatusData>(fcu16, id - 158, m_fcuInfo);
    // Alarm entries.
    if (text == res::LoadString(187)) return std::make_unique<CFilterAlarmData>(fcu16, 23, m_fcuInfo);
    if (text == res::LoadString(188)) return std::make_unique<CFilterAlarmData>(fcu16, 22, m_fcuInfo);
    if (const int id = FindId(text, 189, 191)) return std::make_unique<CFilterAlarmData>(fcu16, id - 188, m_fcuInfo);
    if (text == res::LoadString(217)) return std::make_unique<CFilterAlarmData>(fcu16, 4, m_fcuInfo);
    if (const int id = FindId(text, 192, 208)) return std::make_unique<CFilterAlarmData>(fcu16, id - 187, m_fcuInfo);
    // Master station entries.
    if (const int id = FindId(text, 209, 214)) {
        return std::make_unique<CFilterSystemStatusAndAlarm>(id - 209, fcu16, m_fcuInfo);
    }
    if (const int id = FindId(text, 215, 216)) return std::make_unique<CFilterLoopFaultData>(id - 215, m_fcuInfo);
    return nullptr;
}

}  // namespace vyx
