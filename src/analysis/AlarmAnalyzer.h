#pragma once
// Works out the alarm figures (AlarmFigures.h) from the loop's events as they stream past, in time order:
// per (FCU, alarm) pair only its last few activations and whether it stands, a sliding 10-minute window
// of activations for the floods and the peak, and a count per 10-minute period for the rates and the chart.
// Events before the span still move the state (an alarm set before it may turn stale inside it); only
// activations inside the span count.

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "analysis/AlarmFigures.h"
#include "analysis/LoopState.h"
#include "decode/FCUStatusCatalogue.h"

namespace vyx {

class CAlarmAnalyzer {
public:
    CAlarmAnalyzer(std::uint32_t from, std::uint32_t to);

    // One event; state is the loop's state with it applied.
    void Add(const FcuEvent& event, const LoopState& state);
    // The figures; call once, after the last event.
    AlarmFigures Finish();

private:
    static constexpr std::size_t kCodes = kLastAlarmCode + 1;

    struct PairState {
        std::uint32_t count = 0;
        std::uint32_t lastTime = 0;      // the last counted activation
        std::uint8_t lastChannel = 0;
        bool duplicateSeen = false;      // the other channel's sight of it came already
        bool inEpisode = false;
        std::uint32_t previous[2] = {0, 0};  // the two counted activations before the last... [0] the last
        RecordPlace previousPlace[2];
        std::uint32_t episodes = 0;
        std::uint32_t chattering = 0;
        std::uint32_t chatterFirstTime = 0;
        RecordPlace chatterFirst;
        RecordPlace first;
        // Standing in the FCU's state in force (the channel that reported last).
        std::uint32_t since = 0;
        bool atLeast = false;
        RecordPlace sincePlace;
    };

    PairState& Pair(int fcu, int code) { return m_pairs[static_cast<std::size_t>(fcu) * kCodes + static_cast<std::size_t>(code)]; }
    void Activation(const FcuEvent& event);
    void EndFloodIfDue(std::uint32_t now);
    void EndFlood(std::uint32_t end, bool inSpan);
    void TrackStanding(const FcuEvent& event, const LoopState& state);
    void CloseDaysUpTo(std::uint32_t now);
    void RecordStale(int fcu, int code, std::uint32_t until, bool stillActive);

    std::uint32_t m_from, m_to;
    AlarmFigures m_figures;
    std::vector<PairState> m_pairs;
    std::array<std::uint32_t, kMaxFcuNumber + 1> m_standing{};  // counted codes in force, per FCU
    std::deque<AlarmActivation> m_window;  // activations of the last 600 s
    bool m_inFlood = false;
    AlarmFlood m_flood;
    std::vector<bool> m_joined;
    std::uint64_t m_nextDayEnd;
};

}  // namespace vyx
