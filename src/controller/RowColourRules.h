#pragma once
// The tint of the record list's rows: rules "command entry -> colour", the entries being those of the filter
// bar's command box (tested with the same filters a load would use) or "Alarm that counts" (a block transfer
// reporting an FCU alarm code the alarm figures count). The first rule a record passes gives its colour.
// Only the rows of the page shown are tested, so the cost does not grow with the load.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "decode/FCU.h"
#include "decode/RecordToParameterXferConverter.h"
#include "filter/FilterCriteria.h"
#include "filter/TextToFilterCriteriaConverter.h"

namespace vyx {

// The entry of the rule that tints records with an alarm that counts (the default rule).
inline constexpr std::string_view kCountedAlarmEntry = "Alarm that counts";

struct ColourRule {
    std::string entry;       // kCountedAlarmEntry or a command box entry, e.g. "Close"
    std::uint32_t rgb = 0;   // 0xRRGGBB
    bool operator==(const ColourRule&) const = default;
};

// Without rules of the user's: records with an alarm that counts, in a light red.
std::vector<ColourRule> DefaultColourRules();
// Whether a rule can be made of the entry.
bool IsColourRuleEntry(std::string_view entry);
// One rule a line, "RRGGBB entry"; parsing skips lines that are no rule (a bad colour, an unknown entry).
std::string FormatColourRules(const std::vector<ColourRule>& rules);
std::vector<ColourRule> ParseColourRules(std::string_view text);

// True when the record is a block transfer with an FCU alarm code that counts.
bool HasCountedAlarm(const CRecordToParameterXferConverter& converter, const CRecord& record);

class CRowColourRules {
public:
    static constexpr std::uint32_t kTinted = 0xFF000000;  // set in every colour ColourOf gives

    CRowColourRules();
    ~CRowColourRules();

    void SetRules(std::vector<ColourRule> rules);
    const std::vector<ColourRule>& Rules() const { return m_rules; }
    // The FCU information and Modbus base address of the load the records come from.
    void StartLoad(const FCUConfigurationList& fcuInfo, std::uint8_t modbusBaseAddress);

    // kTinted | rgb of the first rule the record passes; 0 when none does.
    std::uint32_t ColourOf(const CRecord& record) const;

private:
    struct CompiledRule {
        bool countedAlarm = false;
        FilterList filters;
        std::uint32_t rgb = 0;
    };
    void Compile();

    std::vector<ColourRule> m_rules;
    FCUConfigurationList m_fcuInfo;
    std::uint8_t m_modbusBaseAddress = 0;
    // Before the compiled rules: their filters refer to the converters.
    std::unique_ptr<CTextToFilterCriteriaConverter> m_textConverter;
    std::unique_ptr<CRecordToParameterXferConverter> m_blockTransferConverter;
    std::vector<CompiledRule> m_compiled;
};

}  // namespace vyx
