#pragma once
// The alarm figures and the command-response check in one pass over the loop's events file (never over the
// records again): the events are streamed through the loop state, the alarm analyzer and the check. For a
// worker thread: progress through a callback, a cancel flag set from another thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "analysis/AlarmFigures.h"
#include "analysis/CommandResponses.h"
#include "analysis/FcuEvents.h"

namespace vyx {

struct LoopAnalysisOptions {
    std::uint32_t from = 0;           // the span; the events' own span where these are left as they are
    std::uint32_t to = UINT32_MAX;
    std::uint32_t responseTimeout = 0;  // seconds; 0: each FCU's own
    std::string tempFolder;             // the command checks' file
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;  // every 65536 events and at the end
    const std::atomic<bool>* cancel = nullptr;
};

struct LoopAnalysis {
    AlarmFigures alarms;
    std::unique_ptr<CCommandResponses> responses;
    std::vector<std::string> dayFiles;  // by the index a place names
};

// Null when cancelled. Throws CFileError.
std::unique_ptr<LoopAnalysis> AnalyseLoop(const CFcuEvents& events, const LoopAnalysisOptions& options);

// The same over any stream of events in time order, handed a stretch at a time (next gives the next events,
// none after the last); from and to must be given. total is only for the progress.
std::unique_ptr<LoopAnalysis> AnalyseLoopEvents(const std::function<std::span<const FcuEvent>()>& next,
                                                std::uint64_t total,
                                                const std::array<FcuListing, kMaxFcuNumber + 1>& listings,
                                                const LoopAnalysisOptions& options);

}  // namespace vyx
