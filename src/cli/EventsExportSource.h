#pragma once
// The loop's events of a folder as rows of the export's `events` table, with the texts the event tables of
// `vyx events` show.

#include <string>
#include <vector>

#include "analysis/FcuEvents.h"
#include "export/ExportEvents.h"

namespace vyx::cli {

class CEventsExportSource final : public IExportEventSource {
public:
    explicit CEventsExportSource(const CFcuEvents& events);

    bool Next(ExportEventRow& row) override;
    std::uint64_t Total() const override { return m_reader.Count(); }

private:
    CFcuEventReader m_reader;
    std::uint64_t m_next = 0;
    std::vector<std::string> m_dayFileNames;
};

}  // namespace vyx::cli
