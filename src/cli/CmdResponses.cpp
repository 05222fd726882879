// vyx responses: for every Open, Close, Stop and ESD command to an FCU, whether a status change answered it
// in time, late, not at all, or whether a movement-stopping alarm blocked it; per FCU the counts, median and
// 95th percentile; for each Global ESD Trigger the roll call of the loop's FCUs.

#include <memory>

#include "analysis/AlarmTables.h"
#include "cli/AnalysisOutput.h"
#include "cli/Command.h"
#include "cli/LoopAnalysisRun.h"

namespace vyx::cli {
namespace {

void Run(const LoopAnalysisCommandOptions& o) {
    const TableOutputOptions output{o.type, o.out, o.load.folder, "Command responses"};
    CheckTableOutput(output);
    CLoopAnalysisRun run(o);
    const LoopAnalysis& analysis = run.Run();
    AnalysisReport report;
    report.title = "Command responses";
    report.facts = run.Facts();
    report.tables = {ResponderTable(*analysis.responses, false), RollCallTable(*analysis.responses)};
    report.streamedTitle = "Commands";
    report.streamedColumns = CommandCheckColumns();
    report.streamedRows = CommandCheckRows(*analysis.responses);
    WriteAnalysisReport(output, report);
}

const RegisterCommand registration(48, [](CLI::App& app) {
    auto options = std::make_shared<LoopAnalysisCommandOptions>();
    CLI::App* cmd = app.add_subcommand(
        "responses", "Whether each command to an FCU was answered by a status change, late, not at all, or blocked");
    AddLoopAnalysisOptions(*cmd, *options);
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
