#pragma once
// What a tile of the viewer's loop grid shows for one FCU (or, as FCU 0, the loop itself) at a moment: its
// condition, which master stations hear it, and in words its state or how it changed between two moments.
// The colours are the viewer's; the rules that pick a condition are here, so they are tested without it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/FcuEvents.h"
#include "analysis/LoopState.h"
#include "analysis/LoopStateQuery.h"

namespace vyx {

// In the order of precedence: a tile shows the first that holds.
enum class TileCondition : std::uint8_t {
    Unknown,  // nothing heard from it yet
    Stopped,  // an alarm that keeps the valve from moving, or stopped in mid travel
    Alarm,    // any other alarm that counts
    Silent,   // heard before, but by neither master station for longer than the silence limit
    Moving,   // a status that says the valve or its motor moves
    Normal,
};
std::string_view TileConditionText(TileCondition condition);  // "unknown", "stopped", ...

enum class ChannelMark : std::uint8_t { Never, Heard, Silent };

struct TileRules {
    std::uint32_t silentAfter = 60 * 60;  // seconds without a report before a channel counts as silent
};

struct LoopTile {
    int fcu = 0;
    std::string label;  // "12", or "Loop"
    std::string type;   // the FCU type (both where the channels' entries differ), empty for the loop
    TileCondition condition = TileCondition::Unknown;
    std::array<ChannelMark, 2> channels{ChannelMark::Never, ChannelMark::Never};
    // Compare mode: how it changed from the first moment to the second, as short marks ("+AL -AL CMD POS
    // SIL NEW"); empty when nothing changed.
    std::string change;
};

// The tiles' FCUs: the loop, every FCU of the FCU information file, and every other FCU seen by `atEnd`
// (the state after the last event).
std::vector<int> TileFcus(const CFcuEvents& events, const LoopState& atEnd);

TileCondition ConditionOf(const LoopState& state, int fcu, std::uint32_t t, const TileRules& rules);

// The tile of one FCU at t; with a difference (compare mode), its change marks too.
LoopTile MakeTile(const CFcuEvents& events, const LoopState& state, int fcu, std::uint32_t t, const TileRules& rules,
                  const FcuDifference* difference = nullptr);

// The tile's tooltip: the FCU's state at t, one "name: value" line per item it has.
std::string TileStateText(const CFcuEvents& events, const LoopState& state, int fcu, std::uint32_t t,
                          const TileRules& rules);
// How it changed from `before` to `after`, one line per change.
std::string DifferenceText(const LoopState& before, const LoopState& after, const FcuDifference& difference);

}  // namespace vyx
