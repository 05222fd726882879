#include "cli/LoopAnalysisRun.h"

#include <filesystem>

#include "analysis/AlarmCodeLists.h"
#include "analysis/AlarmFigures.h"
#include "analysis/AlarmTables.h"
#include "cli/Command.h"
#include "cli/Interruption.h"
#include "cli/TableOutput.h"
#include "decode/FormatRecord.h"
#include "platform/FileError.h"
#include "platform/TempFolder.h"
#include "report/AnalysisReportFile.h"

namespace vyx::cli {

void AddLoopAnalysisOptions(CLI::App& command, LoopAnalysisCommandOptions& options) {
    AddLoadOptions(command, options.load);
    // The analysis takes the whole loop: the filter bar's narrowing and the order of a load do not apply.
    for (const char* name : {"--command", "--fcu", "--channel", "--order"}) {
        if (CLI::Option* option = command.get_option_no_throw(name)) command.remove_option(option);
    }
    command.add_option("--timeout", options.timeout,
                       "Response timeout in seconds for every FCU (default: twice each FCU's median, at least 10)");
    AddTableOutputOptions(command, options.type, options.out);
}

CLoopAnalysisRun::CLoopAnalysisRun(const LoopAnalysisCommandOptions& options)
    : m_options(options), m_events(options.load) {}

const LoopAnalysis& CLoopAnalysisRun::Run() {
    if (!m_options.load.from.empty()) m_from = TimeOption("--from", m_options.load.from);
    if (!m_options.load.to.empty()) m_to = TimeOption("--to", m_options.load.to);
    if (m_from > m_to) throw CommandFailure{kExitUsage, "error: --from lies after --to"};
    const CFcuEvents& events = m_events.Build();
    LoopAnalysisOptions options;
    options.from = m_from;
    options.to = m_to;
    options.responseTimeout = m_options.timeout;
    options.tempFolder = PrivateTempFolder();
    options.progress = [](std::uint64_t, std::uint64_t) { ThrowIfInterrupted(); };
    try {
        m_analysis = AnalyseLoop(events, options);
    } catch (const CFileError& e) {
        throw CommandFailure{kExitNoData, std::string("error: ") + e.what()};
    }
    if (!m_analysis) throw CommandFailure{kExitNoData, "error: the analysis did not finish"};
    return *m_analysis;
}

std::vector<std::pair<std::string, std::string>> CLoopAnalysisRun::Facts() const {
    return AnalysisReportFacts(
        m_analysis->alarms, std::filesystem::absolute(m_options.load.folder).string(),
        "none: every record of the folder (the loop counted as one console)" +
            std::string(m_options.load.from.empty() && m_options.load.to.empty() ? "" : "; span chosen with --from/--to"),
        m_options.timeout);
}

}  // namespace vyx::cli
