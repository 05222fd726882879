#pragma once
// The words the loop's events and states are shown with, shared by the command-line tables and the viewer.

#include <cstdint>
#include <string>
#include <string_view>

#include "analysis/FcuEvent.h"
#include "analysis/LoopState.h"

namespace vyx {

std::string_view EventKindText(FcuEventKind kind);  // "command", "status", ...
std::string_view EventEdgeText(FcuEventEdge edge);  // "set", "cleared", "initial", or empty
// "Loop" for the loop itself, else the number.
std::string FcuNumberText(int fcu);
// What the event says: the command, the condition, the position as a percentage, what was heard.
std::string EventDetailText(const FcuEvent& event);
// The event's code as a number; empty where it has none.
std::string EventCodeText(const FcuEvent& event);
// The name of the event's code: the command, or the status, alarm, system status or loop fault text; empty
// where it has none.
std::string_view EventCodeName(const FcuEvent& event);

// "text (since time)" for each code of an alarm mask of one channel view, "; " between them.
std::string AlarmsText(std::uint32_t mask, const FcuChannelView& view);
// Status texts of a mask, "; " between them.
std::string StatusText(std::uint32_t mask);
// System status texts of a mask with the time each was set.
std::string SystemStatusText(const MasterStationView& view);
// Just the texts of the codes of a mask of the given kind (Status, Alarm or SystemStatus).
std::string CodeListText(FcuEventKind kind, std::uint32_t mask);
// "Open from RTU1 on MS_A(left) at <time>", or empty when no command came.
std::string CommandMarkText(const CommandMark& mark);

}  // namespace vyx
