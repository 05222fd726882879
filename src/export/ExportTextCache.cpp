#include "export/ExportTextCache.h"

#include "decode/FormatRecord.h"

namespace vyx {
namespace {

bool In(int value, int count) { return value >= 0 && value < count; }

void FormatMode(const CRecord& r, std::string& out) { CFormatRecord(&r).AppendMessageMode(out); }
void FormatSource(const CRecord& r, std::string& out) { CFormatRecord(&r).AppendSource(out); }
void FormatFcu(const CRecord& r, std::string& out) { CFormatRecord(&r).AppendFCU(out); }

}  // namespace

bool CExportTextCache::IsPlain(std::string_view text) {
    for (const char c : text) {
        if (c == ',' || c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
    }
    return true;
}

ExportText CExportTextCache::Fill(Slot& slot, const CRecord& record, void (*format)(const CRecord&, std::string&)) {
    if (!slot.filled) {
        format(record, slot.text);
        slot.plain = IsPlain(slot.text);
        slot.filled = true;
    }
    return {slot.text, slot.plain};
}

ExportText CExportTextCache::Once(const CRecord& record, void (*format)(const CRecord&, std::string&),
                                  std::string& scratch) {
    scratch.clear();
    format(record, scratch);
    return {scratch, IsPlain(scratch)};
}

ExportText CExportTextCache::MessageMode(const CRecord& r) {
    if (!In(r.m_nMessageMode, 8) || !In(r.m_nCommand, 20)) return Once(r, FormatMode, m_scratch[0]);
    return Fill(m_modes[static_cast<std::size_t>(r.m_nMessageMode * 20 + r.m_nCommand)], r, FormatMode);
}

ExportText CExportTextCache::Source(const CRecord& r) {
    if (!In(r.m_nSource, 11) || !In(r.m_nDatabaseType, 5)) return Once(r, FormatSource, m_scratch[1]);
    const int key = (((r.m_bSourceValid ? 1 : 0) * 11 + r.m_nSource) * 2 + (r.m_nMessageMode == kModeModbus ? 1 : 0)) *
                        5 + r.m_nDatabaseType;
    return Fill(m_sources[static_cast<std::size_t>(key)], r, FormatSource);
}

ExportText CExportTextCache::FcuWord(const CRecord& r) {
    if (!In(r.m_nCommand, 20)) return Once(r, FormatFcu, m_scratch[2]);
    const int key = (((r.m_bFCUValid ? 1 : 0) * 2 + (r.m_bMultipleFCU ? 1 : 0)) * 2 +
                     (r.m_nMessageMode == kModeModbus ? 1 : 0)) * 20 + r.m_nCommand;
    return Fill(m_fcuWords[static_cast<std::size_t>(key)], r, FormatFcu);
}

}  // namespace vyx
