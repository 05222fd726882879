#pragma once
// The loop's events for `vyx events` and `vyx state`: a time-ordered load of every record of the folder
// (no filters: a filter narrows a list, never the state of the loop), then the events pass over it.

#include <cstdint>
#include <memory>
#include <string>

#include "analysis/FcuEvents.h"
#include "cli/LoadRunner.h"
#include "platform/TempFolder.h"

namespace vyx::cli {

class CLoopEventsRun {
public:
    // Only the folder, the Modbus base address and --recover of the options count.
    explicit CLoopEventsRun(const LoadOptions& options);
    ~CLoopEventsRun();

    // Loads and builds; progress on stderr when it is a terminal; a signal stops both. Throws CommandFailure.
    const CFcuEvents& Build();
    const CFcuEvents& Events() const { return *m_events; }

private:
    CScopedTempFolder m_temp;  // the events files; removed at exit
    CLoadRunner m_runner;
    std::string m_folder;
    std::unique_ptr<CFcuEvents> m_events;
};

// "dd/MM/yyyy HH:MM:SS" (or "dd/MM/yyyy") as a time value; throws CommandFailure naming the option.
std::uint32_t TimeOption(const std::string& name, const std::string& text);

// "--ALL--" (0: every FCU), "loop" (-1) or an FCU number 1..300; throws CommandFailure.
int FcuOption(const std::string& text);

}  // namespace vyx::cli
