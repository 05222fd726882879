#include "cli/EventsExportSource.h"

#include <filesystem>

#include "analysis/LoopText.h"
#include "decode/FormatRecord.h"

namespace vyx::cli {

CEventsExportSource::CEventsExportSource(const CFcuEvents& events) : m_reader(events) {
    for (const std::string& path : events.DayFiles()) {
        m_dayFileNames.push_back(std::filesystem::path(path).filename().string());
    }
}

bool CEventsExportSource::Next(ExportEventRow& row) {
    if (m_next >= m_reader.Count()) return false;
    const FcuEvent& e = m_reader.At(m_next++);
    row.srNo = e.Serial() + 1;
    row.dayFile = e.dayFile < m_dayFileNames.size() ? std::string_view(m_dayFileNames[e.dayFile]) : std::string_view();
    row.frameOffset = e.offset;
    row.time = e.time;
    row.kind = EventKindText(e.kind);
    row.fcu = e.fcu;
    row.channel = e.channel == 0 ? 'A' : 'B';
    // Positions and heard marks carry a value, not a code; a first report without codes has none either.
    row.hasCode = e.kind != FcuEventKind::Position && e.kind != FcuEventKind::Heard && e.code != kNoCode;
    row.code = e.code;
    row.codeText = EventCodeName(e);
    row.edge = EventEdgeText(e.edge);
    row.value = e.value;
    row.source = e.source;
    row.sourceText = SourceText(e.source);
    return true;
}

}  // namespace vyx::cli
