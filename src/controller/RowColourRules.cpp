#include "controller/RowColourRules.h"

#include <charconv>
#include <cstdio>

#include "analysis/AlarmCodeLists.h"
#include "decode/ParameterBlockXferPacket.h"
#include "filter/CommandList.h"
#include "filter/FilterBar.h"
#include "logdata/LoadSettings.h"

namespace vyx {
namespace {

class CCountedAlarmSink final : public IParameterXferItemSink {
public:
    bool WantsPacket(int type, int) const override {
        return type == kPacketTypeFCUParameterList || type == kPacketTypeFCURegisterRun;
    }
    bool OnCodes(const ParameterXferPacketHead&, int, ParameterXferItemKind kind, const CFCUCodeList& codes) override {
        if (kind != ParameterXferItemKind::Alarm) return false;
        for (const int code : codes)
            if (IsCountedAlarmCode(code)) return true;
        return false;
    }
    bool OnValue(const ParameterXferPacketHead&, int, ParameterXferItemKind, int) override { return false; }
};

}  // namespace

std::vector<ColourRule> DefaultColourRules() { return {{std::string(kCountedAlarmEntry), 0xFFD6D6}}; }

bool IsColourRuleEntry(std::string_view entry) {
    // Entry 0 ("--ALL--") would tint every row: no rule.
    return entry == kCountedAlarmEntry || CommandIndexOf(entry) > 0;
}

std::string FormatColourRules(const std::vector<ColourRule>& rules) {
    std::string text;
    for (const ColourRule& rule : rules) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "%06X", rule.rgb & 0xFFFFFF);
        text += colour;
        text += ' ';
        text += rule.entry;
        text += '\n';
    }
    return text;
}

std::vector<ColourRule> ParseColourRules(std::string_view text) {
    std::vector<ColourRule> rules;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() < 8 || line[6] != ' ') continue;
        std::uint32_t rgb = 0;
        const auto result = std::from_chars(line.data(), line.data() + 6, rgb, 16);
        if (result.ec != std::errc() || result.ptr != line.data() + 6) continue;
        const std::string_view entry = line.substr(7);
        if (IsColourRuleEntry(entry)) rules.push_back({std::string(entry), rgb});
    }
    return rules;
}

bool HasCountedAlarm(const CRecordToParameterXferConverter& converter, const CRecord& record) {
    if (record.m_nMessageMode != kModeParameterBlockTransfer) return false;
    CCountedAlarmSink sink;
    return converter.Walk(record, sink);
}

CRowColourRules::CRowColourRules() : m_modbusBaseAddress(kDefaultModbusBaseAddress) { Compile(); }
CRowColourRules::~CRowColourRules() = default;

void CRowColourRules::SetRules(std::vector<ColourRule> rules) {
    m_rules = std::move(rules);
    Compile();
}

void CRowColourRules::StartLoad(const FCUConfigurationList& fcuInfo, std::uint8_t modbusBaseAddress) {
    m_fcuInfo = fcuInfo;
    m_modbusBaseAddress = modbusBaseAddress;
    Compile();
}

void CRowColourRules::Compile() {
    m_compiled.clear();
    m_textConverter = std::make_unique<CTextToFilterCriteriaConverter>(m_fcuInfo);
    m_blockTransferConverter = std::make_unique<CRecordToParameterXferConverter>(m_fcuInfo);
    for (const ColourRule& rule : m_rules) {
        CompiledRule compiled;
        compiled.rgb = rule.rgb & 0xFFFFFF;
        if (rule.entry == kCountedAlarmEntry) {
            compiled.countedAlarm = true;
        } else {
            // The filter the bar would build for this entry with all FCUs and channels.
            FilterBarSelection selection;
            selection.commandIndex = CommandIndexOf(rule.entry);
            if (selection.commandIndex <= 0) continue;
            compiled.filters = BuildFilterList(selection, m_fcuInfo, *m_textConverter, m_modbusBaseAddress);
            if (compiled.filters.empty()) continue;
        }
        m_compiled.push_back(std::move(compiled));
    }
}

std::uint32_t CRowColourRules::ColourOf(const CRecord& record) const {
    for (const CompiledRule& rule : m_compiled) {
        const bool passes =
            rule.countedAlarm ? HasCountedAlarm(*m_blockTransferConverter, record) : PassesAll(rule.filters, record);
        if (passes) return kTinted | rule.rgb;
    }
    return 0;
}

}  // namespace vyx
