#pragma once
// `vyx alarms` and `vyx responses` write their report (see report/AnalysisReportFile.h) where --type and --out
// say.

#include "cli/TableOutput.h"
#include "report/AnalysisReportFile.h"

namespace vyx::cli {

// Throws CommandFailure when it cannot be written or a signal came (nothing is left under the name then).
void WriteAnalysisReport(const TableOutputOptions& options, const AnalysisReport& report);

}  // namespace vyx::cli
