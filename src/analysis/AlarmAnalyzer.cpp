#include "analysis/AlarmAnalyzer.h"

#include <algorithm>
#include <bit>

#include "analysis/AlarmCodeLists.h"

namespace vyx {
namespace {

constexpr std::uint32_t CountedMask() {
    std::uint32_t mask = 0;
    for (int code = kFirstAlarmCode; code <= kLastAlarmCode; ++code) {
        if (IsCountedAlarmCode(code)) mask |= std::uint32_t{1} << code;
    }
    return mask;
}

RecordPlace PlaceOf(const FcuEvent& e) {
    return {e.dayFile, e.offset, e.Serial()};
}

}  // namespace

CAlarmAnalyzer::CAlarmAnalyzer(std::uint32_t from, std::uint32_t to)
    : m_from(from), m_to(std::max(from, to)), m_pairs((kMaxFcuNumber + 1) * kCodes), m_joined(kMaxFcuNumber + 1) {
    m_figures.from = m_from;
    m_figures.to = m_to;
    m_figures.firstPeriod = m_from / kPeriodSeconds;
    m_figures.perPeriod.assign(m_to / kPeriodSeconds - m_figures.firstPeriod + 1, 0);
    m_nextDayEnd = (std::uint64_t{m_from} / 86400 + 1) * 86400;
}

void CAlarmAnalyzer::Add(const FcuEvent& e, const LoopState& state) {
    CloseDaysUpTo(e.time);
    if (e.fcu < 1 || e.fcu > kMaxFcuNumber) return;
    if (e.kind == FcuEventKind::Alarm && e.edge == FcuEventEdge::Set && IsCountedAlarmCode(e.code) &&
        e.time >= m_from && e.time <= m_to) {
        Activation(e);
    }
    if (e.kind == FcuEventKind::Alarm || e.kind == FcuEventKind::Heard) TrackStanding(e, state);
}

void CAlarmAnalyzer::Activation(const FcuEvent& e) {
    PairState& p = Pair(e.fcu, e.code);
    // The other master station reporting the same set within a second: one activation, seen twice.
    if (p.count > 0 && !p.duplicateSeen && p.lastChannel != e.channel && e.time - p.lastTime <= kDuplicateSeconds) {
        p.duplicateSeen = true;
        ++m_figures.duplicates;
        return;
    }
    const RecordPlace place = PlaceOf(e);
    if (p.count == 0) p.first = place;
    if (p.count >= kChatterCount - 1 && e.time - p.previous[1] <= kChatterWindowSeconds) {
        ++p.chattering;
        if (!p.inEpisode) {
            if (p.episodes == 0) {
                p.chatterFirstTime = p.previous[1];
                p.chatterFirst = p.previousPlace[1];
            }
            ++p.episodes;
            p.inEpisode = true;
        }
    } else {
        p.inEpisode = false;
    }
    p.previous[1] = p.previous[0];
    p.previousPlace[1] = p.previousPlace[0];
    p.previous[0] = e.time;
    p.previousPlace[0] = place;
    ++p.count;
    p.lastTime = e.time;
    p.lastChannel = e.channel;
    p.duplicateSeen = false;

    ++m_figures.activations;
    ++m_figures.perPeriod[e.time / kPeriodSeconds - m_figures.firstPeriod];

    EndFloodIfDue(e.time);
    while (!m_window.empty() && m_window.front().time + kFloodWindowSeconds <= e.time) m_window.pop_front();
    const AlarmActivation activation{e.time, e.fcu, e.code, e.channel, place};
    m_window.push_back(activation);
    const auto held = static_cast<std::uint32_t>(m_window.size());
    if (held > m_figures.peakWindow) {
        m_figures.peakWindow = held;
        m_figures.peakWindowEnd = e.time;
    }
    if (m_inFlood) {
        ++m_flood.size;
        if (!m_joined[e.fcu]) {
            m_joined[e.fcu] = true;
            m_flood.joinOrder.push_back(e.fcu);
        }
    } else if (held > kFloodStartAbove) {
        m_inFlood = true;
        m_flood = AlarmFlood{};
        m_flood.start = e.time;
        m_flood.size = held;
        std::fill(m_joined.begin(), m_joined.end(), false);
        for (const AlarmActivation& a : m_window) {
            if (a.time == m_window.front().time) m_flood.firstOut.push_back(a);
            if (!m_joined[a.fcu]) {
                m_joined[a.fcu] = true;
                m_flood.joinOrder.push_back(a.fcu);
            }
        }
    }
}

void CAlarmAnalyzer::EndFloodIfDue(std::uint32_t now) {
    if (!m_inFlood) return;
    // The window holds fewer than 5 once its fifth newest activation has left it.
    const std::size_t n = m_window.size();
    const std::uint32_t end = n >= kFloodEndBelow ? m_window[n - kFloodEndBelow].time + kFloodWindowSeconds : now;
    if (end <= now) EndFlood(end, true);
}

void CAlarmAnalyzer::EndFlood(std::uint32_t end, bool inSpan) {
    m_inFlood = false;
    m_flood.end = end;
    m_flood.endsInSpan = inSpan;
    ++m_figures.floodCount;
    m_figures.floodSeconds += end - m_flood.start;
    if (m_figures.floods.size() < kFloodsKept) m_figures.floods.push_back(std::move(m_flood));
    m_flood = AlarmFlood{};
}

void CAlarmAnalyzer::TrackStanding(const FcuEvent& e, const LoopState& state) {
    const FcuState& f = state.fcus[e.fcu];
    const std::uint32_t now = f.AlarmMask() & CountedMask();
    std::uint32_t& before = m_standing[e.fcu];
    if (now == before) return;
    for (std::uint32_t gone = before & ~now; gone != 0; gone &= gone - 1) {
        RecordStale(e.fcu, std::countr_zero(gone), e.time, false);
    }
    const FcuChannelView& view = f.channel[f.alarmChannel & 1u];
    for (std::uint32_t come = now & ~before; come != 0; come &= come - 1) {
        const int code = std::countr_zero(come);
        PairState& p = Pair(e.fcu, code);
        p.since = view.alarmSince[static_cast<std::size_t>(code)];
        if (p.since == 0) p.since = e.time;
        p.atLeast = (view.alarmInitialMask >> code) & 1u;
        p.sincePlace = PlaceOf(e);
    }
    before = now;
}

void CAlarmAnalyzer::RecordStale(int fcu, int code, std::uint32_t until, bool stillActive) {
    const PairState& p = Pair(fcu, code);
    // Only what stood inside the span, and only as long as it stood there.
    if (until < m_from || p.since > m_to) return;
    const std::uint32_t end = std::min(until, m_to);
    if (end - p.since <= kStaleSeconds) return;
    ++m_figures.staleCount;
    if (m_figures.stale.size() >= kStaleKept) return;
    StaleAlarm s;
    s.fcu = static_cast<std::uint16_t>(fcu);
    s.code = static_cast<std::uint8_t>(code);
    s.atLeast = p.atLeast;
    s.stillActive = stillActive || until > m_to;
    s.since = p.since;
    s.until = end;
    s.place = p.sincePlace;
    m_figures.stale.push_back(s);
}

void CAlarmAnalyzer::CloseDaysUpTo(std::uint32_t now) {
    while (m_nextDayEnd <= now && m_nextDayEnd <= std::uint64_t{m_to}) {
        const auto dayEnd = static_cast<std::uint32_t>(m_nextDayEnd);
        DayStanding day;
        day.day = dayEnd / 86400 - 1;
        for (int fcu = 1; fcu <= kMaxFcuNumber; ++fcu) {
            for (std::uint32_t m = m_standing[static_cast<std::size_t>(fcu)]; m != 0; m &= m - 1) {
                ++day.standing;
                if (dayEnd - Pair(fcu, std::countr_zero(m)).since > kStaleSeconds) ++day.stale;
            }
        }
        m_figures.mostStaleStanding = std::max(m_figures.mostStaleStanding, day.stale);
        m_figures.days.push_back(day);
        m_nextDayEnd += 86400;
    }
}

AlarmFigures CAlarmAnalyzer::Finish() {
    CloseDaysUpTo(m_to);
    // The last day, cut by the span's end, is counted at that end.
    {
        DayStanding day;
        day.day = m_to / 86400;
        for (int fcu = 1; fcu <= kMaxFcuNumber; ++fcu) {
            for (std::uint32_t m = m_standing[static_cast<std::size_t>(fcu)]; m != 0; m &= m - 1) {
                ++day.standing;
                if (m_to - Pair(fcu, std::countr_zero(m)).since > kStaleSeconds) ++day.stale;
            }
        }
        m_figures.mostStaleStanding = std::max(m_figures.mostStaleStanding, day.stale);
        m_figures.days.push_back(day);
    }
    if (m_inFlood) {
        const std::size_t n = m_window.size();
        const std::uint32_t end = m_window[n - kFloodEndBelow].time + kFloodWindowSeconds;
        if (end <= m_to) EndFlood(end, true);
        else EndFlood(m_to, false);
    }
    for (int fcu = 1; fcu <= kMaxFcuNumber; ++fcu) {
        for (std::uint32_t m = m_standing[static_cast<std::size_t>(fcu)]; m != 0; m &= m - 1) {
            RecordStale(fcu, std::countr_zero(m), m_to, true);
        }
    }

    AlarmFigures& f = m_figures;
    const double span = f.SpanSeconds();
    f.indicative = span < kIndicativeDays * 86400.0;
    f.perTenMinutes = static_cast<double>(f.activations) * 600 / span;
    f.perHour = static_cast<double>(f.activations) * 3600 / span;
    f.perDay = static_cast<double>(f.activations) * 86400 / span;
    f.periods = f.perPeriod.size();
    std::uint32_t hourCount = 0;
    for (std::size_t i = 0; i < f.perPeriod.size(); ++i) {
        const std::uint64_t period = f.firstPeriod + i;
        if (f.perPeriod[i] > 10) ++f.periodsOverTen;
        hourCount += f.perPeriod[i];
        if (period % 6 == 5 || i + 1 == f.perPeriod.size()) {
            ++f.hours;
            if (hourCount > 30) ++f.hoursOverThirty;
            hourCount = 0;
        }
    }

    std::vector<AlarmPairCount> pairs;
    for (int fcu = 1; fcu <= kMaxFcuNumber; ++fcu) {
        for (int code = kFirstAlarmCode; code <= kLastAlarmCode; ++code) {
            const PairState& p = Pair(fcu, code);
            if (p.count > 0) {
                pairs.push_back({static_cast<std::uint16_t>(fcu), static_cast<std::uint8_t>(code), p.count, p.first});
            }
            if (p.episodes > 0) {
                f.chattering.push_back({static_cast<std::uint16_t>(fcu), static_cast<std::uint8_t>(code), p.count,
                                        p.episodes, p.chattering, p.chatterFirstTime, p.chatterFirst});
            }
        }
    }
    // Most first; equal counts in FCU and code order, so the table does not change from run to run.
    const std::size_t top = std::min<std::size_t>(10, pairs.size());
    std::partial_sort(pairs.begin(), pairs.begin() + static_cast<std::ptrdiff_t>(top), pairs.end(),
                      [](const AlarmPairCount& a, const AlarmPairCount& b) {
                          if (a.count != b.count) return a.count > b.count;
                          return a.fcu != b.fcu ? a.fcu < b.fcu : a.code < b.code;
                      });
    pairs.resize(top);
    f.top = std::move(pairs);
    for (const AlarmPairCount& p : f.top) f.topCount += p.count;
    std::stable_sort(f.chattering.begin(), f.chattering.end(),
                     [](const ChatteringAlarm& a, const ChatteringAlarm& b) { return a.chattering > b.chattering; });
    return std::move(m_figures);
}

AlarmBand RateBand(double perTenMinutes) {
    if (perTenMinutes <= 1.0) return AlarmBand::Good;
    if (perTenMinutes <= 2.0) return AlarmBand::Fair;
    if (perTenMinutes <= 10.0) return AlarmBand::Poor;
    return AlarmBand::Bad;
}

AlarmBand ShareBand(double share, double limit) {
    return share < limit ? AlarmBand::Good : AlarmBand::Bad;
}

AlarmBand PeakBand(std::uint32_t peak) {
    return peak <= 10 ? AlarmBand::Good : AlarmBand::Bad;
}

AlarmBand ChatteringBand(std::size_t pairs) {
    return pairs == 0 ? AlarmBand::Good : AlarmBand::Bad;
}

AlarmBand StaleBand(std::uint32_t mostStanding) {
    if (mostStanding == 0) return AlarmBand::Good;
    return mostStanding < 5 ? AlarmBand::Fair : AlarmBand::Bad;
}

}  // namespace vyx
