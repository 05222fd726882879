#pragma once
// The alarm analysis and the command-response check as tables of texts: the command line writes them as
// CSV, HTML or a workbook, the viewer shows them. Each row may name the record it goes back to (a flood:
// its first-out).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/AlarmFigures.h"
#include "analysis/LoopAnalysis.h"

namespace vyx {

struct AnalysisColumn {
    std::string label;
    double width;  // in characters
};

struct AnalysisTable {
    std::string title;  // also the workbook's sheet name: short, no "/"
    std::vector<AnalysisColumn> columns;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::optional<RecordPlace>> places;  // by row
    std::vector<AlarmBand> bands;                    // by row, where the table judges its rows
    std::string note;                                // how many rows were left out, if any
};

// "very likely acceptable", ...; for the figures that have a band of their own, the published band.
std::string_view BandText(AlarmBand band);

// The figures beside the published bands.
AnalysisTable FiguresTable(const AlarmFigures& figures);
AnalysisTable FloodsTable(const AlarmFigures& figures);
AnalysisTable TopAlarmsTable(const AlarmFigures& figures);
AnalysisTable ChatteringTable(const AlarmFigures& figures);
AnalysisTable StaleTable(const AlarmFigures& figures);
AnalysisTable StandingPerDayTable(const AlarmFigures& figures);
AnalysisTable PerPeriodTable(const AlarmFigures& figures);
// The alarm codes: which count, which stop movement.
AnalysisTable AlarmCodesTable();

// Per FCU; slowOnly: only the FCUs with late or unanswered commands, the worst first.
AnalysisTable ResponderTable(const CCommandResponses& responses, bool slowOnly);
AnalysisTable RollCallTable(const CCommandResponses& responses);
// Every checked command, row by row from the check file (there may be millions).
std::vector<AnalysisColumn> CommandCheckColumns();
// Fills the row (and the place) and returns true, or false after the last.
std::function<bool(std::vector<std::string>&, RecordPlace&)> CommandCheckRows(const CCommandResponses& responses);

std::string_view OutcomeText(ResponseOutcome outcome);  // "answered", "late", "no response", ...
// "Valve jammed": the command filter's wording
std::string AlarmCodeText(int code);
// "FCU 12 Valve jammed"
std::string PairText(int fcu, int code);
// "2.4 %"
std::string PercentText(double share);

}  // namespace vyx
