// Hand-made event sequences and their hand-computed alarm figures and command-response outcomes.

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/LoopAnalysis.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

constexpr std::uint32_t kT0 = 1231113600u;  // 05-01-2009 00:00:00: a day, an hour and a period start
constexpr std::uint32_t kDaySeconds = 86400;

struct Sequence {
    std::vector<FcuEvent> events;
    std::uint32_t serial = 0;

    FcuEvent& Push(std::uint32_t at, FcuEventKind kind, int fcu, int channel, int code, FcuEventEdge edge) {
        FcuEvent e;
        e.time = kT0 + at;
        e.kind = kind;
        e.fcu = static_cast<std::uint16_t>(fcu);
        e.channel = static_cast<std::uint8_t>(channel);
        e.code = static_cast<std::uint8_t>(code);
        e.edge = edge;
        e.offset = serial * 100;
        e.SetSerial(serial++);
        events.push_back(e);
        return events.back();
    }
    // An alarm word's edge, then the FCU heard with it, as the extractor gives them.
    Sequence& Alarm(std::uint32_t at, int fcu, int code, FcuEventEdge edge = FcuEventEdge::Set, int channel = 0) {
        Push(at, FcuEventKind::Alarm, fcu, channel, code, edge);
        Push(at, FcuEventKind::Heard, fcu, channel, 0, FcuEventEdge::None).value = kHeardAlarm;
        return *this;
    }
    Sequence& Status(std::uint32_t at, int fcu, int code) {
        Push(at, FcuEventKind::Status, fcu, 0, code, FcuEventEdge::Set);
        Push(at, FcuEventKind::Heard, fcu, 0, 0, FcuEventEdge::None).value = kHeardStatus;
        return *this;
    }
    Sequence& Command(std::uint32_t at, int fcu, int code) {
        Push(at, FcuEventKind::Command, fcu, 0, code, FcuEventEdge::None);
        return *this;
    }
};

std::array<FcuListing, kMaxFcuNumber + 1> Listings(const std::vector<std::pair<int, int>>& fcuTypes) {
    std::array<FcuListing, kMaxFcuNumber + 1> listings{};
    for (const auto& [fcu, type] : fcuTypes) {
        listings[static_cast<std::size_t>(fcu)].listedA = true;
        listings[static_cast<std::size_t>(fcu)].typeA = type;
    }
    return listings;
}

std::unique_ptr<LoopAnalysis> Analyse(Sequence s, std::uint32_t spanSeconds, const TempDir& temp,
                                      const std::array<FcuListing, kMaxFcuNumber + 1>& listings = {}) {
    std::stable_sort(s.events.begin(), s.events.end(),
                     [](const FcuEvent& a, const FcuEvent& b) { return a.time < b.time; });
    LoopAnalysisOptions options;
    options.from = kT0;
    options.to = kT0 + spanSeconds - 1;
    options.tempFolder = temp.Path();
    return AnalyseLoopEvents(
        [&, given = false]() mutable {
            if (given) return std::span<const FcuEvent>();
            given = true;
            return std::span<const FcuEvent>(s.events);
        },
        s.events.size(), listings, options);
}

struct FloodExpected {
    std::uint32_t start, end, size;
    std::size_t ties;
};

struct AlarmCase {
    std::string name;
    Sequence events;
    std::uint32_t span;
    std::uint64_t activations;
    std::uint64_t duplicates;
    std::vector<FloodExpected> floods;
    std::uint32_t chatteringEpisodes;  // of all pairs together
    std::uint64_t stale;
    bool staleAtLeast;
};

std::ostream& operator<<(std::ostream& os, const AlarmCase& c) {
    return os << c.name;
}

// count activations of alarm 1 on FCUs first.., one every step seconds from at on.
Sequence Burst(std::uint32_t at, int count, std::uint32_t step, int firstFcu = 1) {
    Sequence s;
    for (int i = 0; i < count; ++i) s.Alarm(at + step * static_cast<std::uint32_t>(i), firstFcu + i, 1);
    return s;
}

Sequence TiedBurst() {
    Sequence s;
    s.Alarm(0, 7, 2).Alarm(0, 3, 1);  // the same second: a tie, neither first
    for (int i = 2; i < 11; ++i) s.Alarm(10 * static_cast<std::uint32_t>(i), 10 + i, 1);
    return s;
}

Sequence Chatter(std::uint32_t third) {
    Sequence s;
    s.Alarm(0, 5, 9).Alarm(10, 5, 9, FcuEventEdge::Cleared).Alarm(30, 5, 9).Alarm(40, 5, 9, FcuEventEdge::Cleared);
    s.Alarm(third, 5, 9).Alarm(third + 5, 5, 9, FcuEventEdge::Cleared);
    return s;
}

Sequence Duplicate(std::uint32_t gap) {
    Sequence s;
    s.Alarm(100, 4, 6, FcuEventEdge::Set, 0).Alarm(100 + gap, 4, 6, FcuEventEdge::Set, 1);
    return s;
}

Sequence Stale(std::uint32_t standing) {
    Sequence s;
    s.Alarm(50, 8, 13).Alarm(50 + standing, 8, 13, FcuEventEdge::Cleared);
    return s;
}

Sequence StandingAtFirstReport() {
    Sequence s;
    s.Alarm(50, 9, 15, FcuEventEdge::Initial);  // already standing when first heard: not an activation
    return s;
}

class AlarmFiguresTest : public ::testing::TestWithParam<AlarmCase> {};

TEST_P(AlarmFiguresTest, GivesTheHandComputedFigures) {
    const AlarmCase& c = GetParam();
    const TempDir temp;
    const auto result = Analyse(c.events, c.span, temp);
    ASSERT_TRUE(result);
    const AlarmFigures& f = result->alarms;
    EXPECT_EQ(f.activations, c.activations);
    EXPECT_EQ(f.duplicates, c.duplicates);
    ASSERT_EQ(f.floods.size(), c.floods.size());
    for (std::size_t i = 0; i < c.floods.size(); ++i) {
        EXPECT_EQ(f.floods[i].start, kT0 + c.floods[i].start);
        EXPECT_EQ(f.floods[i].end, kT0 + c.floods[i].end);
        EXPECT_EQ(f.floods[i].size, c.floods[i].size);
        EXPECT_EQ(f.floods[i].firstOut.size(), c.floods[i].ties);
    }
    std::uint32_t episodes = 0;
    for (const ChatteringAlarm& a : f.chattering) episodes += a.episodes;
    EXPECT_EQ(episodes, c.chatteringEpisodes);
    EXPECT_EQ(f.staleCount, c.stale);
    if (!f.stale.empty()) {
        EXPECT_EQ(f.stale.front().atLeast, c.staleAtLeast);
    }
    EXPECT_EQ(f.indicative, c.span < 30 * kDaySeconds);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, AlarmFiguresTest,
    ::testing::Values(
        // 10 in the window is no flood; the 11th (at 100) starts it; the window falls under 5 when its fifth
        // newest (at 60) leaves it, at 660.
        AlarmCase{"TenIsNoFlood", Burst(0, 10, 10), kDaySeconds, 10, 0, {}, 0, 0, false},
        AlarmCase{"FloodFromTheEleventh", Burst(0, 11, 10), kDaySeconds, 11, 0, {{100, 660, 11, 1}}, 0, 0, false},
        // 5 more at 650..690 join before it ends and keep 6 in the window: it ends when 650 leaves, at 1250.
        AlarmCase{"FloodKeptGoing",
                  [] {
                      Sequence s = Burst(0, 11, 10);
                      for (const FcuEvent& e : Burst(650, 5, 10, 40).events) s.events.push_back(e);
                      return s;
                  }(),
                  kDaySeconds, 16, 0, {{100, 1250, 16, 1}}, 0, 0, false},
        AlarmCase{"FirstOutTies", TiedBurst(), kDaySeconds, 11, 0, {{100, 660, 11, 2}}, 0, 0, false},
        AlarmCase{"ChatteringIn60s", Chatter(60), kDaySeconds, 3, 0, {}, 1, 0, false},
        AlarmCase{"NoChatteringIn61s", Chatter(61), kDaySeconds, 3, 0, {}, 0, 0, false},
        AlarmCase{"DuplicateWithin1s", Duplicate(1), kDaySeconds, 1, 1, {}, 0, 0, false},
        AlarmCase{"TwoActivations2sApart", Duplicate(2), kDaySeconds, 2, 0, {}, 0, 0, false},
        AlarmCase{"StandingExactly24hIsNotStale", Stale(kDaySeconds), 3 * kDaySeconds, 1, 0, {}, 0, 0, false},
        AlarmCase{"Standing24hAnd1sIsStale", Stale(kDaySeconds + 1), 3 * kDaySeconds, 1, 0, {}, 0, 1, false},
        AlarmCase{"StandingAtFirstReportIsAtLeast", StandingAtFirstReport(), 31 * kDaySeconds, 0, 0, {}, 0, 1, true}),
    [](const ::testing::TestParamInfo<AlarmCase>& info) { return info.param.name; });

TEST(AlarmFiguresTest, RatesSharesTopAndStandingPerDay) {
    // 12 activations in the first period (over 10), 31 in the first hour (over 30), one pair chattering;
    // a span of 2 days: 288 periods, 48 hours.
    Sequence s = Burst(0, 12, 1);
    for (int i = 0; i < 19; ++i) s.Alarm(700 + 100 * static_cast<std::uint32_t>(i), 200, 3);
    s.Alarm(3600, 201, 5);  // the second hour
    s.Alarm(10, 250, 7);
    const TempDir temp;
    const auto result = Analyse(s, 2 * kDaySeconds, temp);
    ASSERT_TRUE(result);
    const AlarmFigures& f = result->alarms;
    EXPECT_EQ(f.activations, 33u);
    EXPECT_DOUBLE_EQ(f.perTenMinutes, 33.0 * 600 / (2 * kDaySeconds));
    EXPECT_DOUBLE_EQ(f.perDay, 16.5);
    EXPECT_EQ(f.periods, 288u);
    EXPECT_EQ(f.periodsOverTen, 1u);  // 13 in the first (12 + the one at 10 s)
    EXPECT_EQ(f.hours, 48u);
    EXPECT_EQ(f.hoursOverThirty, 1u);
    EXPECT_EQ(f.peakWindow, 13u);
    ASSERT_FALSE(f.top.empty());
    EXPECT_EQ(f.top.front().fcu, 200);
    EXPECT_EQ(f.top.front().count, 19u);
    EXPECT_EQ(f.top.size(), 10u);
    EXPECT_EQ(f.topCount, 19u + 9u);
    ASSERT_EQ(f.days.size(), 2u);
    EXPECT_EQ(f.days[0].standing, 15u);  // 15 pairs, nothing here ever clears
    EXPECT_EQ(f.days[0].stale, 0u);      // none set before the day began
    EXPECT_EQ(f.days[1].stale, 15u);     // at the span's end, 2 days less 1 s: all set in its first hour
    EXPECT_EQ(f.mostStaleStanding, 15u);
    EXPECT_EQ(StaleBand(f.mostStaleStanding), AlarmBand::Bad);
    EXPECT_EQ(RateBand(f.perTenMinutes), AlarmBand::Good);
}

// Responses ----------------------------------------------------------------------------------------------

constexpr int kTarn = 0;      // decodes limit, stopped and motor running codes
constexpr int kMufcuMu = 2;   // decodes digital inputs only: not checked

struct ResponseCase {
    std::string name;
    Sequence events;
    std::uint32_t fixedTimeout;
    int fcu;
    std::uint32_t answered, late, noResponse, blocked;
    std::uint32_t timeout, median, p95;
};

std::ostream& operator<<(std::ostream& os, const ResponseCase& c) {
    return os << c.name;
}

// Three answers in 5 s and one in 30 s: median 5 (nearest rank 2 of 4), timeout 10, 95th percentile 30.
Sequence AnsweredAndLate() {
    Sequence s;
    s.Command(0, 1, 0).Status(5, 1, 10);
    s.Command(100, 1, 1).Status(105, 1, 11);
    s.Command(200, 1, 2).Status(205, 1, 7);
    s.Command(300, 1, 0).Status(330, 1, 5);
    return s;
}

// Answers in 5 s, 4095 s, 4096 s and 9000 s, about where delays stop being counted by index: median 4095,
// timeout 8190, 95th percentile 9000, the last one late.
Sequence LongDelays() {
    Sequence s;
    s.Command(0, 1, 0).Status(5, 1, 10);
    s.Command(100, 1, 1).Status(4195, 1, 11);
    s.Command(5000, 1, 2).Status(9096, 1, 7);
    s.Command(10000, 1, 0).Status(19000, 1, 5);
    return s;
}

Sequence SilentThenSuperseded() {
    Sequence s;
    s.Command(0, 1, 0);                         // no answer before the next command
    s.Command(50, 1, 1).Status(53, 1, 6);       // answered
    s.Command(400, 1, 3);                       // ESD, never answered
    return s;
}

Sequence Blocked() {
    Sequence s;
    s.Alarm(0, 1, 14);                          // Valve obstructed
    s.Command(10, 1, 0).Status(12, 1, 10);      // answered or not: blocked
    s.Alarm(20, 1, 14, FcuEventEdge::Cleared);
    s.Command(30, 1, 0).Status(32, 1, 10);
    return s;
}

class CommandResponsesTest : public ::testing::TestWithParam<ResponseCase> {};

TEST_P(CommandResponsesTest, ClassifiesEachCommand) {
    const ResponseCase& c = GetParam();
    const TempDir temp;
    const auto listings = Listings({{1, kTarn}, {2, kMufcuMu}});
    LoopAnalysisOptions options;
    options.from = kT0;
    options.to = kT0 + kDaySeconds;
    options.tempFolder = temp.Path();
    options.responseTimeout = c.fixedTimeout;
    const auto result = AnalyseLoopEvents(
        [&, given = false]() mutable {
            if (given) return std::span<const FcuEvent>();
            given = true;
            return std::span<const FcuEvent>(c.events.events);
        },
        0, listings, options);
    ASSERT_TRUE(result);
    const auto& fcus = result->responses->Fcus();
    ASSERT_EQ(fcus.size(), 1u);
    const FcuResponseFigures& r = fcus.front();
    EXPECT_EQ(r.fcu, c.fcu);
    EXPECT_EQ(r.answered, c.answered);
    EXPECT_EQ(r.late, c.late);
    EXPECT_EQ(r.noResponse, c.noResponse);
    EXPECT_EQ(r.blocked, c.blocked);
    EXPECT_EQ(r.timeout, c.timeout);
    EXPECT_EQ(r.median, c.median);
    EXPECT_EQ(r.p95, c.p95);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, CommandResponsesTest,
    ::testing::Values(ResponseCase{"AnsweredAndLate", AnsweredAndLate(), 0, 1, 3, 1, 0, 0, 10, 5, 30},
                      ResponseCase{"TimeoutSet", AnsweredAndLate(), 40, 1, 4, 0, 0, 0, 40, 5, 30},
                      ResponseCase{"LongDelays", LongDelays(), 0, 1, 3, 1, 0, 0, 8190, 4095, 9000},
                      ResponseCase{"SilentAndSuperseded", SilentThenSuperseded(), 0, 1, 1, 0, 2, 0, 10, 3, 3},
                      ResponseCase{"BlockedByAMovementStoppingAlarm", Blocked(), 0, 1, 1, 0, 0, 1, 10, 2, 2},
                      ResponseCase{"NotCheckedIsNeverNoResponse",
                                   [] {
                                       Sequence s;
                                       s.Command(0, 2, 0);
                                       return s;
                                   }(),
                                   0, 2, 0, 0, 0, 0, 10, 0, 0}),
    [](const ::testing::TestParamInfo<ResponseCase>& info) { return info.param.name; });

TEST(CommandResponsesTest, GlobalEsdRollCall) {
    Sequence s;
    s.Alarm(0, 4, 11);  // FCU 4 (unlisted, heard of) has a local stop operated
    s.Command(100, kLoopFcu, kGlobalEsdTriggerCommand);
    s.Status(103, 1, 9);   // answered in time
    s.Status(160, 3, 10);  // late: 60 s against the 20 s set
    const TempDir temp;
    auto listings = Listings({{1, kTarn}, {2, kMufcuMu}, {3, kTarn}, {5, kTarn}});
    listings[4].listedB = true;
    listings[4].typeB = kTarn;
    LoopAnalysisOptions options;
    options.from = kT0;
    options.to = kT0 + kDaySeconds;
    options.tempFolder = temp.Path();
    options.responseTimeout = 20;
    const auto result = AnalyseLoopEvents(
        [&, given = false]() mutable {
            if (given) return std::span<const FcuEvent>();
            given = true;
            return std::span<const FcuEvent>(s.events);
        },
        0, listings, options);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->responses->RollCalls().size(), 1u);
    const EsdRollCall& call = result->responses->RollCalls().front();
    EXPECT_EQ(call.time, kT0 + 100);
    EXPECT_EQ(call.answered, 1u);    // FCU 1
    EXPECT_EQ(call.late, 1u);        // FCU 3, 60 s against 20
    EXPECT_EQ(call.silent, 1u);      // FCU 5
    EXPECT_EQ(call.blocked, 1u);     // FCU 4
    EXPECT_EQ(call.notChecked, 1u);  // FCU 2
    EXPECT_EQ(call.silentFcus, std::vector<std::uint16_t>{5});
    EXPECT_EQ(call.blockedFcus, std::vector<std::uint16_t>{4});
}

}  // namespace
}  // namespace vyx::test
