#pragma once
// The loop's events as the SQLite export stores them (table `events`): one row per event, with its texts.
// The export does not find events itself; the caller hands them over through a source, so the export stays
// below the analysis that finds them.

#include <cstdint>
#include <string_view>

namespace vyx {

struct ExportEventRow {
    std::int64_t srNo = 0;  // Sr.No. of the record in the time-ordered load of the whole folder
    std::string_view dayFile;
    std::uint64_t frameOffset = 0;
    std::uint32_t time = 0;
    std::string_view kind;  // "command", "status", ...
    int fcu = 0;            // 0: the loop itself
    char channel = 'A';
    bool hasCode = false;
    int code = 0;
    std::string_view codeText;  // the command or the condition; empty when none
    std::string_view edge;      // "set", "cleared", "initial"; empty when none
    int value = 0;
    int source = 0;
    std::string_view sourceText;
};

class IExportEventSource {
public:
    // The next event, false after the last. The texts of a row must stay valid as long as the source.
    virtual bool Next(ExportEventRow& row) = 0;
    // Events handed out so far and in all, for progress.
    virtual std::uint64_t Total() const = 0;

protected:
    ~IExportEventSource() = default;
};

}  // namespace vyx
