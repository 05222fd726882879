#pragma once
// A report of several tables for `vyx alarms` and `vyx responses`: the facts it was made from (span,
// folder, filters, thresholds), an optional chart, then the tables. CSV: each table under a line with its
// title, a blank line between them; HTML: one page with the chart as inline SVG; a workbook: one sheet per
// table. The last table may be streamed (the command checks, possibly millions of rows).

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/AlarmTables.h"
#include "cli/TableOutput.h"

namespace vyx::cli {

struct AnalysisReport {
    std::string title;
    std::vector<std::pair<std::string, std::string>> facts;
    std::string chartSvg;  // HTML only
    std::vector<AnalysisTable> tables;
    std::string streamedTitle;
    std::vector<AnalysisColumn> streamedColumns;
    std::function<bool(std::vector<std::string>&, RecordPlace&)> streamedRows;  // none: no streamed table
};

// Throws CommandFailure when it cannot be written or a signal came (nothing is left under the name then).
void WriteAnalysisReport(const TableOutputOptions& options, const AnalysisReport& report);

}  // namespace vyx::cli
