// vyx alarms: the alarm figures of a data folder judged by the published bands (ISA-18.2 / IEC 62682,
// EEMUA 191): rates, floods with their first-out, the most frequent, chattering and stale alarms. As CSV
// sections, an HTML page with the chart as inline SVG, or a workbook with one sheet per table.

#include <memory>

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
    const AnalysisReport report = AlarmAnalysisReport(analysis, run.Facts(), o.type == "html");
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
