#pragma once
// What the alarm analysis found over a span of the loop's events, the loop counted as one console: the
// activation rates, the floods with their first-out, the most frequent and the chattering alarms, the
// stale ones. Plain values; the tables beside them are bounded (see the k*Kept limits), and each says how
// many it left out.

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/FcuEvent.h"

namespace vyx {

constexpr std::uint32_t kPeriodSeconds = 600;           // the 10-minute period of the rates
constexpr std::uint32_t kFloodWindowSeconds = 600;      // the sliding window of floods and of the peak
constexpr std::uint32_t kFloodStartAbove = 10;          // a flood starts when the window holds more
constexpr std::uint32_t kFloodEndBelow = 5;             // and ends when it holds fewer
constexpr std::uint32_t kChatterWindowSeconds = 60;     // 3 activations of one alarm within this: chattering
constexpr std::uint32_t kChatterCount = 3;
constexpr std::uint32_t kDuplicateSeconds = 1;          // the other channel's view of the same activation
constexpr std::uint32_t kStaleSeconds = 24 * 3600;      // active longer than this: stale
constexpr std::uint32_t kIndicativeDays = 30;           // a shorter span gives indicative figures only

constexpr std::size_t kFloodsKept = 10000;
constexpr std::size_t kStaleKept = 65536;

// One activation: an alarm code that became set on an FCU, counted once for both channels.
struct AlarmActivation {
    std::uint32_t time = 0;
    std::uint16_t fcu = 0;
    std::uint8_t code = 0;
    std::uint8_t channel = 0;
    RecordPlace place;
};

struct AlarmFlood {
    std::uint32_t start = 0;  // the activation that took the window above 10
    std::uint32_t end = 0;    // when the window fell under 5 (or the span's end, endsInSpan false)
    bool endsInSpan = true;
    std::uint32_t size = 0;  // activations from the earliest in the window at the start to the end
    // The earliest activation and every other one of the same second: ties, in the order the log has them.
    std::vector<AlarmActivation> firstOut;
    std::vector<std::uint16_t> joinOrder;  // FCUs in the order of their first activation in the flood
};

struct AlarmPairCount {
    std::uint16_t fcu = 0;
    std::uint8_t code = 0;
    std::uint32_t count = 0;
    RecordPlace first;  // the pair's first activation in the span
};

struct ChatteringAlarm {
    std::uint16_t fcu = 0;
    std::uint8_t code = 0;
    std::uint32_t activations = 0;  // of the pair in the span
    std::uint32_t episodes = 0;     // runs of activations each with 2 more before it within 60 s
    std::uint32_t chattering = 0;   // activations that had 2 more of the pair within the 60 s before them
    std::uint32_t firstTime = 0;    // the first activation of the first episode
    RecordPlace first;
};

struct StaleAlarm {
    std::uint16_t fcu = 0;
    std::uint8_t code = 0;
    bool atLeast = false;     // standing at the FCU's first report: active since then at least
    bool stillActive = false; // at the end of the span
    std::uint32_t since = 0;
    std::uint32_t until = 0;  // cleared, or the span's end
    RecordPlace place;        // the record it was set (or first reported) in
    std::uint32_t Duration() const { return until - since; }
};

struct DayStanding {
    std::uint32_t day = 0;       // time / 86400 of the day
    std::uint32_t standing = 0;  // counted alarms active at its end
    std::uint32_t stale = 0;     // of them active longer than 24 h
};

enum class AlarmBand : std::uint8_t { None, Good, Fair, Poor, Bad };

struct AlarmFigures {
    std::uint32_t from = 0;  // the span (inclusive)
    std::uint32_t to = 0;
    bool indicative = false;  // the span is shorter than 30 days
    std::uint64_t activations = 0;
    std::uint64_t duplicates = 0;  // the other channel's sight of an activation, not counted again
    double perTenMinutes = 0;
    double perHour = 0;
    double perDay = 0;
    std::uint64_t periods = 0;           // clock-aligned 10-minute periods of the span
    std::uint64_t periodsOverTen = 0;
    std::uint64_t hours = 0;             // clock-aligned hours of the span
    std::uint64_t hoursOverThirty = 0;
    std::uint32_t peakWindow = 0;        // most activations in any sliding 600 s
    std::uint32_t peakWindowEnd = 0;     // the time of the activation that reached it
    std::uint64_t floodCount = 0;
    std::uint64_t floodSeconds = 0;
    std::vector<AlarmFlood> floods;      // the first kFloodsKept
    std::vector<AlarmPairCount> top;     // the 10 most frequent pairs, most first
    std::uint64_t topCount = 0;          // their activations together
    std::vector<ChatteringAlarm> chattering;  // most chattering first
    std::uint64_t staleCount = 0;
    std::vector<StaleAlarm> stale;            // the first kStaleKept, in the order they ended
    std::vector<DayStanding> days;            // each day of the span
    std::uint32_t mostStaleStanding = 0;      // on any day's end
    std::vector<std::uint32_t> perPeriod;     // activations per clock-aligned 10-minute period, from the
    std::uint32_t firstPeriod = 0;            // period firstPeriod (time / 600) on

    double SpanSeconds() const { return to > from ? static_cast<double>(to - from) + 1 : 1; }
    double PeriodsOverTenShare() const { return periods ? static_cast<double>(periodsOverTen) / periods : 0; }
    double HoursOverThirtyShare() const { return hours ? static_cast<double>(hoursOverThirty) / hours : 0; }
    double FloodShare() const { return static_cast<double>(floodSeconds) / SpanSeconds(); }
    double TopShare() const { return activations ? static_cast<double>(topCount) / activations : 0; }
};

// The published bands (ISA-18.2 / IEC 62682, EEMUA 191) each figure is judged by.
AlarmBand RateBand(double perTenMinutes);    // <= 1 Good, <= 2 Fair, <= 10 Poor (over-demanding), else Bad
AlarmBand ShareBand(double share, double limit);  // under the limit Good, else Bad
AlarmBand PeakBand(std::uint32_t peak);      // <= 10 Good, else Bad
AlarmBand ChatteringBand(std::size_t pairs); // none Good, else Bad
AlarmBand StaleBand(std::uint32_t mostStanding);  // none Good, under 5 Fair, else Bad

}  // namespace vyx
