#pragma once
// A report of several tables, from the alarm analysis and the command responses: the facts it was made from
// (span, folder, filters, thresholds), an optional chart, then the tables. CSV: each table under a line with
// its title, a blank line between them; HTML: one page with the chart as inline SVG; a workbook: one sheet
// per table. The last table may be streamed (possibly millions of rows).

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/AlarmTables.h"
#include "analysis/LoopAnalysis.h"

namespace vyx {

struct AnalysisReport {
    std::string title;
    std::vector<std::pair<std::string, std::string>> facts;
    std::string chartSvg;  // HTML only
    std::vector<AnalysisTable> tables;
    std::string streamedTitle;
    std::vector<AnalysisColumn> streamedColumns;
    std::function<bool(std::vector<std::string>&, RecordPlace&)> streamedRows;  // none: no streamed table
};

// Writes the report as `type` ("csv", "html" or "xlsx") to `out`, or to standard output when it is empty (not
// a workbook). checkStop is called between pieces and may throw to stop; the file takes its name only when it
// is complete. Throws CFileError, CWorkbookError, CVyxError.
void WriteAnalysisReportFile(const std::string& type, const std::string& out, const AnalysisReport& report,
                             const std::function<void()>& checkStop);

// The facts an analysis report states. filters: what the records were chosen by; timeout: the response
// timeout in seconds, 0 for each FCU's own.
std::vector<std::pair<std::string, std::string>> AnalysisReportFacts(const AlarmFigures& figures,
                                                                     const std::string& folder,
                                                                     const std::string& filters, unsigned timeout);

// The alarm analysis: the figures and their tables; with the chart for HTML, else with the chart's data.
AnalysisReport AlarmAnalysisReport(const LoopAnalysis& analysis, std::vector<std::pair<std::string, std::string>> facts,
                                   bool html);

}  // namespace vyx
