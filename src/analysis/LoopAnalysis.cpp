#include "analysis/LoopAnalysis.h"

#include <algorithm>

#include "analysis/AlarmAnalyzer.h"
#include "analysis/FcuEventStream.h"

namespace vyx {

std::unique_ptr<LoopAnalysis> AnalyseLoopEvents(const std::function<std::span<const FcuEvent>()>& next,
                                                std::uint64_t total,
                                                const std::array<FcuListing, kMaxFcuNumber + 1>& listings,
                                                const LoopAnalysisOptions& options) {
    auto result = std::make_unique<LoopAnalysis>();
    CAlarmAnalyzer alarms(options.from, options.to);
    result->responses = std::make_unique<CCommandResponses>(listings, options.from, options.to,
                                                            options.responseTimeout, options.tempFolder);
    // About 90 KB: on the heap, not on a worker's stack.
    auto state = std::make_unique<LoopState>();
    std::uint64_t done = 0;
    for (std::span<const FcuEvent> events = next(); !events.empty(); events = next()) {
        for (const FcuEvent& e : events) {
            state->Apply(e);
            alarms.Add(e, *state);
            result->responses->Add(e, *state);
            if ((++done & 0xFFFF) == 0) {
                if (options.cancel && options.cancel->load(std::memory_order_relaxed)) return nullptr;
                if (options.progress) options.progress(done, total);
            }
        }
    }
    if (options.cancel && options.cancel->load(std::memory_order_relaxed)) return nullptr;
    result->alarms = alarms.Finish();
    result->responses->Finish();
    if (options.progress) options.progress(done, total);
    return result;
}

std::unique_ptr<LoopAnalysis> AnalyseLoop(const CFcuEvents& events, const LoopAnalysisOptions& options) {
    LoopAnalysisOptions o = options;
    o.from = std::max(o.from, events.FirstTime());
    o.to = std::min(o.to, events.LastTime());
    if (o.to < o.from) o.to = o.from;
    CFcuEventStream stream(events);
    auto result = AnalyseLoopEvents([&] { return stream.Next(); }, events.EventCount(), events.Listings(), o);
    if (result) result->dayFiles = events.DayFiles();
    return result;
}

}  // namespace vyx
