#include "analysis/LoopState.h"

namespace vyx {

void LoopState::Apply(const FcuEvent& e) {
    switch (e.kind) {
        case FcuEventKind::Command: Apply<FcuEventKind::Command>(e); break;
        case FcuEventKind::Status: Apply<FcuEventKind::Status>(e); break;
        case FcuEventKind::Alarm: Apply<FcuEventKind::Alarm>(e); break;
        case FcuEventKind::Position: Apply<FcuEventKind::Position>(e); break;
        case FcuEventKind::Heard: Apply<FcuEventKind::Heard>(e); break;
        case FcuEventKind::SystemStatus: Apply<FcuEventKind::SystemStatus>(e); break;
        case FcuEventKind::LoopFault: Apply<FcuEventKind::LoopFault>(e); break;
        default:
            // A kind of no meaning to the state still counts, as every event does.
            ++eventsApplied;
            lastEventTime = e.time;
            if (e.fcu != kLoopFcu && e.fcu <= kMaxFcuNumber) fcus[e.fcu].seen = 1;
            break;
    }
}

}  // namespace vyx
