#include "analysis/EventRecordReader.h"

#include "analysis/LoopText.h"
#include "decode/FormatRecord.h"
#include "platform/FileError.h"

namespace vyx {

CEventRecordReader::CEventRecordReader(const CFcuEvents& events, std::uint8_t modbusBaseAddress)
    : m_events(events), m_parse(modbusBaseAddress), m_window(4096) {}

RecordLocation CEventRecordReader::LocationOf(const FcuEvent& e) const {
    const auto& files = m_events.DayFiles();
    return {e.dayFile < files.size() ? files[e.dayFile] : std::string(), e.offset};
}

std::optional<CRecord> CEventRecordReader::Read(const FcuEvent& e) {
    if (e.dayFile >= m_events.DayFiles().size()) return std::nullopt;
    try {
        if (m_attached != e.dayFile) {
            m_window.Detach();
            m_attached = -1;
            m_window.Attach(std::make_shared<const CInputFile>(m_events.DayFiles()[e.dayFile]));
            m_attached = e.dayFile;
        }
        CRecord record;
        if (ReadRecordAt(m_window, e.offset, m_parse, record) != RecordReadStatus::Ok) return std::nullopt;
        return record;
    } catch (const CVyxError&) {
        return std::nullopt;
    }
}

std::string EventRecordText(const FcuEvent& e, const std::optional<CRecord>& record) {
    std::string text(EventKindText(e.kind));
    if (const std::string_view edge = EventEdgeText(e.edge); !edge.empty()) text += " " + std::string(edge);
    text += ": " + EventDetailText(e) + " (" + std::string(ChannelText(e.channel)) + ")";
    text += "\nSr.No. " + std::to_string(e.Serial() + 1) + "  " + FormatTimeValue(e.time);
    if (!record) return text + "\n(the record cannot be read again)";
    const CFormatRecord format(&*record);
    text += "\n" + format.FormatMessageContent();
    text += "\n" + format.FormatMessageMode() + ", " + format.FormatSource() + ", FCU " + format.FormatFCU() + ", " +
            format.FormatChannel();
    return text;
}

}  // namespace vyx
