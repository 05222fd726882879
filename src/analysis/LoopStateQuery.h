#pragma once
// The loop's state at a time T: the nearest checkpoint at or before T, then the events up to T replayed.
// Made for a slider: a query object keeps its handles and its last answer, and a later T goes on from
// there when no checkpoint lies between.

#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/FcuEvents.h"
#include "analysis/LoopState.h"

namespace vyx {

class CLoopStateQuery {
public:
    // The events must outlive the query. One query per thread.
    explicit CLoopStateQuery(const CFcuEvents& events);

    // The state after every event at or before t. The reference stays valid until the next call.
    // Throws CFileError.
    const LoopState& StateAt(std::uint32_t t);

private:
    void LoadCheckpoint(std::size_t count);

    const CFcuEvents& m_events;
    CFcuEventReader m_reader;
    CInputFile m_checkpoints;
    std::unique_ptr<LoopState> m_state;
    std::uint32_t m_time = 0;
    bool m_valid = false;
};

// The state at t by replaying every event from the first: slow, the measure the checkpoints are held to.
LoopState ReplayFromStart(const CFcuEvents& events, std::uint32_t t);

// How one FCU (or, as FCU 0, the loop) differs between two states.
struct FcuDifference {
    int fcu = 0;
    std::uint32_t alarmsSet = 0;  // codes in force at the second time and not at the first (bit = code)
    std::uint32_t alarmsCleared = 0;
    std::uint32_t statusSet = 0;  // for the loop: system status codes
    std::uint32_t statusCleared = 0;
    bool commandChanged = false;  // a command came in between (the second state's is the latest)
    bool positionChanged = false;
    bool loopFaultChanged = false;            // the loop only
    std::array<bool, 2> silent{false, false};  // heard on that channel before the first time, not since
    bool firstHeard = false;                   // unknown at the first time, known at the second

    bool Any() const {
        return alarmsSet || alarmsCleared || statusSet || statusCleared || commandChanged || positionChanged ||
               loopFaultChanged || silent[0] || silent[1] || firstHeard;
    }
};

// The FCUs (and the loop) whose state differs from `before` to `after`, by number.
std::vector<FcuDifference> CompareLoopStates(const LoopState& before, const LoopState& after);

}  // namespace vyx
