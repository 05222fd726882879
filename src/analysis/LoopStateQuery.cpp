#include "analysis/LoopStateQuery.h"

#include <algorithm>
#include <cerrno>

#include "platform/FileError.h"

namespace vyx {

CLoopStateQuery::CLoopStateQuery(const CFcuEvents& events)
    : m_events(events), m_reader(events), m_checkpoints(events.CheckpointsPath()),
      m_state(std::make_unique<LoopState>()) {}

void CLoopStateQuery::LoadCheckpoint(std::size_t count) {
    if (count == 0) {
        *m_state = LoopState{};
        return;
    }
    const std::uint64_t at = static_cast<std::uint64_t>(count - 1) * sizeof(LoopState);
    if (m_checkpoints.ReadAt(at, m_state.get(), sizeof(LoopState)) != sizeof(LoopState)) {
        throw CFileError(EIO, m_checkpoints.Path());
    }
}

const LoopState& CLoopStateQuery::StateAt(std::uint32_t t) {
    const auto& checkpoints = m_events.Checkpoints();
    // Checkpoints whose every event lies at or before t (events, and so checkpoints, are in time order).
    const std::size_t usable = static_cast<std::size_t>(
        std::upper_bound(checkpoints.begin(), checkpoints.end(), t,
                         [](std::uint32_t time, const FcuCheckpoint& c) { return time < c.lastTime; }) -
        checkpoints.begin());
    const std::uint64_t from = usable == 0 ? 0 : checkpoints[usable - 1].events;
    if (!(m_valid && m_time <= t && m_state->eventsApplied >= from)) LoadCheckpoint(usable);
    m_valid = false;  // until the replay has succeeded
    for (std::uint64_t i = m_state->eventsApplied; i < m_reader.Count(); ++i) {
        const FcuEvent& e = m_reader.At(i);
        if (e.time > t) break;
        m_state->Apply(e);
    }
    m_time = t;
    m_valid = true;
    return *m_state;
}

LoopState ReplayFromStart(const CFcuEvents& events, std::uint32_t t) {
    LoopState state;
    CFcuEventReader reader(events);
    for (std::uint64_t i = 0; i < reader.Count(); ++i) {
        const FcuEvent& e = reader.At(i);
        if (e.time > t) break;
        state.Apply(e);
    }
    return state;
}

namespace {

bool SameCommand(const CommandMark& a, const CommandMark& b) {
    return a.known == b.known && a.serial == b.serial && a.sequence == b.sequence && a.code == b.code;
}

}  // namespace

std::vector<FcuDifference> CompareLoopStates(const LoopState& before, const LoopState& after) {
    std::vector<FcuDifference> out;
    {
        FcuDifference d;
        d.fcu = kLoopFcu;
        for (std::size_t c = 0; c < 2; ++c) {
            const MasterStationView& a = before.masters[c];
            const MasterStationView& b = after.masters[c];
            d.statusSet |= b.statusMask & ~a.statusMask;
            d.statusCleared |= a.statusMask & ~b.statusMask;
            d.loopFaultChanged |= b.loopFaultKnown && (a.loopFaultTime != b.loopFaultTime || !a.loopFaultKnown);
            d.silent[c] = a.heard && b.lastHeard == a.lastHeard;
        }
        d.commandChanged = !SameCommand(before.loopCommand, after.loopCommand);
        if (d.Any()) out.push_back(d);
    }
    for (int n = 1; n <= kMaxFcuNumber; ++n) {
        const FcuState& a = before.fcus[static_cast<std::size_t>(n)];
        const FcuState& b = after.fcus[static_cast<std::size_t>(n)];
        FcuDifference d;
        d.fcu = n;
        d.alarmsSet = b.AlarmMask() & ~a.AlarmMask();
        d.alarmsCleared = a.AlarmMask() & ~b.AlarmMask();
        d.statusSet = b.StatusMask() & ~a.StatusMask();
        d.statusCleared = a.StatusMask() & ~b.StatusMask();
        d.commandChanged = !SameCommand(a.command, b.command);
        d.positionChanged = b.positionKnown && (!a.positionKnown || a.position != b.position);
        for (std::size_t c = 0; c < 2; ++c) {
            d.silent[c] = a.channel[c].heard && b.channel[c].lastHeard == a.channel[c].lastHeard;
        }
        d.firstHeard = !a.seen && b.seen;
        if (d.Any()) out.push_back(d);
    }
    return out;
}

}  // namespace vyx
