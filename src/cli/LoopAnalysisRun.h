#pragma once
// What `vyx alarms` and `vyx responses` share: their options, the events of the whole folder, the analysis
// over the chosen span, and the facts a report states (span, folder, filters, thresholds, code lists).

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/LoopAnalysis.h"
#include "cli/LoadRunner.h"
#include "cli/LoopEventsRun.h"

namespace vyx::cli {

struct LoopAnalysisCommandOptions {
    LoadOptions load;
    std::string type = "csv";
    std::string out;
    unsigned timeout = 0;  // seconds; 0: each FCU's own
};

// DIR, --from, --to (the span), the Modbus address, --recover, --timeout, --type and --out.
void AddLoopAnalysisOptions(CLI::App& command, LoopAnalysisCommandOptions& options);

class CLoopAnalysisRun {
public:
    explicit CLoopAnalysisRun(const LoopAnalysisCommandOptions& options);
    // Loads, finds the events, analyses. Throws CommandFailure.
    const LoopAnalysis& Run();
    std::vector<std::pair<std::string, std::string>> Facts() const;

private:
    LoopAnalysisCommandOptions m_options;
    CLoopEventsRun m_events;
    std::uint32_t m_from = 0;
    std::uint32_t m_to = UINT32_MAX;
    std::unique_ptr<LoopAnalysis> m_analysis;
};

}  // namespace vyx::cli
