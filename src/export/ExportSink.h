#pragma once
// Where exported rows go: one implementation per form. The export calls BeginDayFile before the first row
// of each day file that has rows, the rows in serial order, then Finish once; a sink that is destroyed
// without Finish leaves no output under the chosen name.

#include <cstdint>
#include <string>
#include <vector>

#include "export/ExportColumns.h"

namespace vyx {

// A day file the load read, with what the export took from it.
struct ExportedDayFile {
    std::string path;
    std::string name;
    std::uint32_t dayStart = 0;
    std::int64_t records = 0;
};

struct ExportSummary {
    std::int64_t records = 0;
    std::vector<ExportedDayFile> dayFiles;  // in the load's file order
};

class IExportSink {
public:
    virtual ~IExportSink() = default;
    virtual void BeginDayFile(const ExportedDayFile& /*file*/) {}
    virtual void WriteRow(const ExportRow& row) = 0;
    // Completes the output and gives it its name. Throws CVyxError (CFileError, ...).
    virtual void Finish(const ExportSummary& summary) = 0;
};

}  // namespace vyx
