// vyx alarms: the alarm figures of a data folder judged by the published bands (ISA-18.2 / IEC 62682,
// EEMUA 191): rates, floods with their first-out, the most frequent, chattering and stale alarms. As CSV
// sections, an HTML page with the chart as inline SVG, or a workbook with one sheet per table.

#include <memory>

#include "analysis/AlarmChart.h"
#include "analysis/AlarmTables.h"
#include "cli/AnalysisOutput.h"
#include "cli/Command.h"
#include "cli/LoopAnalysisRun.h"

namespace vyx::cli {
namespace {

void Run(const LoopAnalysisCommandOptions& o) {
    const TableOutputOptions output{o.type, o.out, o.load.folder, "Alarm analysis"};
    CheckTableOutput(output);
    CLoopAnalysisRun run(o);
    const LoopAnalysis& analysis = run.Run();
    const AlarmFigures& f = analysis.alarms;
    AnalysisReport report;
    report.title = "Alarm analysis";
    report.facts = run.Facts();
    if (o.type == "html") report.chartSvg = AlarmChartSvg(f, 1000, 260);
    report.tables = {FiguresTable(f),     FloodsTable(f),         TopAlarmsTable(f), ChatteringTable(f),
                     StaleTable(f),       StandingPerDayTable(f), AlarmCodesTable()};
    // The chart's data: in the workbook and the CSV, where no chart is drawn.
    if (o.type != "html") report.tables.push_back(PerPeriodTable(f));
    WriteAnalysisReport(output, report);
}

const RegisterCommand registration(47, [](CLI::App& app) {
    auto options = std::make_shared<LoopAnalysisCommandOptions>();
    CLI::App* cmd = app.add_subcommand(
        "alarms", "Alarm figures of the loop against the published bands: rates, floods, chattering, stale");
    AddLoopAnalysisOptions(*cmd, *options);
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
