#include "analysis/AlarmTables.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "analysis/AlarmCodeLists.h"
#include "decode/FCUStatusCatalogue.h"
#include "decode/FCUType.h"
#include "decode/FormatRecord.h"

namespace vyx {
namespace {

std::string Number(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string DurationText(std::uint32_t seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

void AddRow(AnalysisTable& table, std::vector<std::string> row, std::optional<RecordPlace> place = std::nullopt,
            AlarmBand band = AlarmBand::None) {
    table.rows.push_back(std::move(row));
    table.places.push_back(place);
    table.bands.push_back(band);
}

constexpr std::string_view kRateTarget =
    "about 1 very likely acceptable, about 2 manageable (ISA-18.2, EEMUA 191); 5 over-demanding, more than 10 "
    "very likely unacceptable (EEMUA 191)";

}  // namespace

std::string_view BandText(AlarmBand band) {
    switch (band) {
        case AlarmBand::Good: return "within";
        case AlarmBand::Fair: return "manageable";
        case AlarmBand::Poor: return "over-demanding";
        case AlarmBand::Bad: return "outside";
        case AlarmBand::None: break;
    }
    return "";
}

std::string AlarmCodeText(int code) {
    const std::string_view text = AlarmFilterText(code);
    return text.empty() ? std::string(AlarmDetailText(code)) : std::string(text);
}

std::string PercentText(double share) {
    return Number(share * 100, 2) + " %";
}

std::string PairText(int fcu, int code) {
    return "FCU " + std::to_string(fcu) + " " + AlarmCodeText(code);
}

AnalysisTable FiguresTable(const AlarmFigures& f) {
    AnalysisTable t{"Figures", {{"Figure", 40}, {"Value", 28}, {"Band", 16}, {"Published band", 60}}, {}, {}, {}, {}};
    const double days = f.SpanSeconds() / 86400;
    AddRow(t, {"Span", FormatTimeValue(f.from) + " to " + FormatTimeValue(f.to) + " (" + Number(days, 1) + " days)",
               f.indicative ? "indicative" : "", "30 days or more for figures to judge by; shorter: indicative"});
    AddRow(t, {"Alarm activations", std::to_string(f.activations) + " (" + std::to_string(f.duplicates) +
                                        " seen again on the other channel)", "", ""});
    const AlarmBand rate = RateBand(f.perTenMinutes);
    AddRow(t, {"Average per 10 minutes", Number(f.perTenMinutes, 2), std::string(BandText(rate)), std::string(kRateTarget)},
           std::nullopt, rate);
    AddRow(t, {"Average per hour", Number(f.perHour, 1), std::string(BandText(rate)), "about 6 (12 at most)"},
           std::nullopt, rate);
    AddRow(t, {"Average per day", Number(f.perDay, 0), std::string(BandText(rate)), "about 144 (288 at most)"},
           std::nullopt, rate);
    const AlarmBand periods = ShareBand(f.PeriodsOverTenShare(), 0.01);
    AddRow(t, {"10-minute periods with more than 10",
               PercentText(f.PeriodsOverTenShare()) + " (" + std::to_string(f.periodsOverTen) + " of " +
                   std::to_string(f.periods) + ")",
               std::string(BandText(periods)), "under about 1 %"},
           std::nullopt, periods);
    const AlarmBand hours = ShareBand(f.HoursOverThirtyShare(), 0.01);
    AddRow(t, {"Hours with more than 30",
               PercentText(f.HoursOverThirtyShare()) + " (" + std::to_string(f.hoursOverThirty) + " of " +
                   std::to_string(f.hours) + ")",
               std::string(BandText(hours)), "under about 1 %"},
           std::nullopt, hours);
    const AlarmBand peak = PeakBand(f.peakWindow);
    AddRow(t, {"Most in any 600 s", std::to_string(f.peakWindow) + (f.peakWindow ? " (to " + FormatTimeValue(f.peakWindowEnd) + ")" : ""),
               std::string(BandText(peak)), "10 or fewer"},
           std::nullopt, peak);
    AddRow(t, {"Floods", std::to_string(f.floodCount), "", "start above 10 in a sliding 10 minutes, end under 5"});
    const AlarmBand flood = ShareBand(f.FloodShare(), 0.01);
    AddRow(t, {"Time in flood", PercentText(f.FloodShare()) + " (" + DurationText(static_cast<std::uint32_t>(f.floodSeconds)) + ")",
               std::string(BandText(flood)), "under about 1 %"},
           std::nullopt, flood);
    const AlarmBand top = ShareBand(f.TopShare(), 0.05);
    AddRow(t, {"Share of the 10 most frequent", PercentText(f.TopShare()), std::string(BandText(top)), "under about 5 %"},
           std::nullopt, top);
    const AlarmBand chatter = ChatteringBand(f.chattering.size());
    AddRow(t, {"Chattering alarms", std::to_string(f.chattering.size()), std::string(BandText(chatter)),
               "none (ISA-18.2: zero, with a plan for any that occur)"},
           std::nullopt, chatter);
    AddRow(t, {"Stale alarms (active over 24 h)", std::to_string(f.staleCount), "", ""});
    const AlarmBand stale = StaleBand(f.mostStaleStanding);
    AddRow(t, {"Most stale standing at a day's end", std::to_string(f.mostStaleStanding), std::string(BandText(stale)),
               "fewer than 5 on any day (ISA-18.2), goal none"},
           std::nullopt, stale);
    return t;
}

AnalysisTable FloodsTable(const AlarmFigures& f) {
    AnalysisTable t{"Floods",
                    {{"No.", 6}, {"Start", 22}, {"End", 22}, {"Duration", 10}, {"Size", 8}, {"First-out", 50}, {"FCUs joined, in order", 50}},
                    {}, {}, {}, {}};
    std::size_t number = 0;
    for (const AlarmFlood& flood : f.floods) {
        std::string first;
        for (const AlarmActivation& a : flood.firstOut) {
            if (!first.empty()) first += "; ";
            first += PairText(a.fcu, a.code);
        }
        if (flood.firstOut.size() > 1) first = "tie: " + first;
        std::string joined;
        for (std::uint16_t fcu : flood.joinOrder) {
            if (!joined.empty()) joined += ", ";
            joined += std::to_string(fcu);
        }
        AddRow(t,
               {std::to_string(++number), FormatTimeValue(flood.start),
                FormatTimeValue(flood.end) + (flood.endsInSpan ? "" : " (span ends)"), DurationText(flood.end - flood.start),
                std::to_string(flood.size), first, joined},
               flood.firstOut.empty() ? std::nullopt : std::optional<RecordPlace>(flood.firstOut.front().place));
    }
    if (f.floodCount > f.floods.size()) t.note = std::to_string(f.floodCount - f.floods.size()) + " more floods not listed";
    return t;
}

AnalysisTable TopAlarmsTable(const AlarmFigures& f) {
    AnalysisTable t{"Top 10", {{"Rank", 6}, {"FCU", 6}, {"Alarm", 34}, {"Activations", 12}, {"Share", 10}}, {}, {}, {}, {}};
    int rank = 0;
    for (const AlarmPairCount& p : f.top) {
        AddRow(t, {std::to_string(++rank), std::to_string(p.fcu), AlarmCodeText(p.code), std::to_string(p.count),
                   PercentText(f.activations ? static_cast<double>(p.count) / f.activations : 0)},
               p.first);
    }
    return t;
}

AnalysisTable ChatteringTable(const AlarmFigures& f) {
    AnalysisTable t{"Chattering",
                    {{"FCU", 6}, {"Alarm", 34}, {"Activations", 12}, {"Episodes", 10}, {"Chattering", 12}, {"First", 22}},
                    {}, {}, {}, {}};
    for (const ChatteringAlarm& c : f.chattering) {
        AddRow(t, {std::to_string(c.fcu), AlarmCodeText(c.code), std::to_string(c.activations), std::to_string(c.episodes),
                   std::to_string(c.chattering), FormatTimeValue(c.firstTime)},
               c.first, AlarmBand::Bad);
    }
    return t;
}

AnalysisTable StaleTable(const AlarmFigures& f) {
    AnalysisTable t{"Stale", {{"FCU", 6}, {"Alarm", 34}, {"Since", 30}, {"Until", 30}, {"Hours", 10}}, {}, {}, {}, {}};
    for (const StaleAlarm& s : f.stale) {
        AddRow(t, {std::to_string(s.fcu), AlarmCodeText(s.code), (s.atLeast ? "at least since " : "") + FormatTimeValue(s.since),
                   FormatTimeValue(s.until) + (s.stillActive ? " (still active)" : ""),
                   (s.atLeast ? "at least " : "") + Number(s.Duration() / 3600.0, 1)},
               s.place);
    }
    if (f.staleCount > f.stale.size()) t.note = std::to_string(f.staleCount - f.stale.size()) + " more stale alarms not listed";
    return t;
}

AnalysisTable StandingPerDayTable(const AlarmFigures& f) {
    AnalysisTable t{"Standing per day", {{"Day", 12}, {"Standing at its end", 20}, {"Of them stale", 14}}, {}, {}, {}, {}};
    for (const DayStanding& d : f.days) {
        AddRow(t, {FormatTimeValue(d.day * 86400).substr(0, 10), std::to_string(d.standing), std::to_string(d.stale)},
               std::nullopt, d.stale >= 5 ? AlarmBand::Bad : (d.stale > 0 ? AlarmBand::Fair : AlarmBand::Good));
    }
    return t;
}

AnalysisTable PerPeriodTable(const AlarmFigures& f) {
    AnalysisTable t{"Per 10 minutes", {{"Period start", 22}, {"Activations", 12}}, {}, {}, {}, {}};
    for (std::size_t i = 0; i < f.perPeriod.size(); ++i) {
        const auto start = static_cast<std::uint32_t>((f.firstPeriod + i) * kPeriodSeconds);
        AddRow(t, {FormatTimeValue(start), std::to_string(f.perPeriod[i])});
    }
    return t;
}

AnalysisTable AlarmCodesTable() {
    AnalysisTable t{"Alarm codes", {{"Code", 6}, {"Alarm", 34}, {"Counted", 10}, {"Stops movement", 16}}, {}, {}, {}, {}};
    for (int code = kFirstAlarmCode; code <= kLastAlarmCode; ++code) {
        AddRow(t, {std::to_string(code), AlarmCodeText(code), IsCountedAlarmCode(code) ? "yes" : "no",
                   IsMovementStoppingAlarmCode(code) ? "yes" : "no"});
    }
    return t;
}

std::string_view OutcomeText(ResponseOutcome outcome) {
    switch (outcome) {
        case ResponseOutcome::Answered: return "answered";
        case ResponseOutcome::Late: return "late";
        case ResponseOutcome::NoResponse: return "no response";
        case ResponseOutcome::Blocked: return "blocked";
        case ResponseOutcome::NotChecked: return "not checked";
    }
    return "";
}

AnalysisTable ResponderTable(const CCommandResponses& responses, bool slowOnly) {
    AnalysisTable t{slowOnly ? "Slow or silent" : "Responses per FCU",
                    {{"FCU", 6}, {"Type", 16}, {"Commands", 10}, {"Answered", 10}, {"Late", 8}, {"No response", 12},
                     {"Blocked", 8}, {"Median s", 10}, {"95th s", 8}, {"Timeout s", 10}},
                    {}, {}, {}, {}};
    std::vector<FcuResponseFigures> fcus = responses.Fcus();
    if (slowOnly) {
        std::erase_if(fcus, [](const FcuResponseFigures& r) { return r.late + r.noResponse == 0; });
        std::stable_sort(fcus.begin(), fcus.end(), [](const FcuResponseFigures& a, const FcuResponseFigures& b) {
            return a.late + a.noResponse > b.late + b.noResponse;
        });
    }
    for (const FcuResponseFigures& r : fcus) {
        const bool checked = r.checked;
        AddRow(t,
               {std::to_string(r.fcu), std::string(FCUTypeText(r.type)), std::to_string(r.commands),
                checked ? std::to_string(r.answered) : "not checked", checked ? std::to_string(r.late) : "",
                checked ? std::to_string(r.noResponse) : "", checked ? std::to_string(r.blocked) : "",
                r.hasTimes ? std::to_string(r.median) : "", r.hasTimes ? std::to_string(r.p95) : "",
                checked ? std::to_string(r.timeout) : ""},
               r.first,
               !checked ? AlarmBand::None : (r.noResponse ? AlarmBand::Bad : (r.late ? AlarmBand::Fair : AlarmBand::Good)));
    }
    return t;
}

AnalysisTable RollCallTable(const CCommandResponses& responses) {
    AnalysisTable t{"Global ESD roll call",
                    {{"Global ESD Trigger", 22}, {"Answered in time", 16}, {"Late", 8}, {"Silent", 8}, {"Blocked", 8},
                     {"Not checked", 12}, {"Late FCUs", 20}, {"Silent FCUs", 30}, {"Blocked FCUs", 20}},
                    {}, {}, {}, {}};
    const auto names = [](const std::vector<std::uint16_t>& fcus) {
        std::string text;
        for (std::uint16_t fcu : fcus) text += (text.empty() ? "" : ", ") + std::to_string(fcu);
        return text;
    };
    for (const EsdRollCall& c : responses.RollCalls()) {
        AddRow(t, {FormatTimeValue(c.time), std::to_string(c.answered), std::to_string(c.late), std::to_string(c.silent),
                   std::to_string(c.blocked), std::to_string(c.notChecked), names(c.lateFcus), names(c.silentFcus),
                   names(c.blockedFcus)},
               c.place, c.silent ? AlarmBand::Bad : (c.late ? AlarmBand::Fair : AlarmBand::Good));
    }
    return t;
}

std::vector<AnalysisColumn> CommandCheckColumns() {
    return {{"Sr.No.", 10}, {"Date-Time", 22}, {"FCU", 6}, {"Command", 20}, {"Outcome", 12},
            {"Response s", 10}, {"Timeout s", 10}, {"Roll call", 8}};
}

std::function<bool(std::vector<std::string>&, RecordPlace&)> CommandCheckRows(const CCommandResponses& responses) {
    auto reader = std::make_shared<CCommandCheckReader>(responses.ChecksPath(), responses.CheckCount());
    return [reader, &responses](std::vector<std::string>& row, RecordPlace& place) {
        CommandCheck c;
        if (!reader->Next(c)) return false;
        const std::uint32_t timeout = responses.TimeoutOf(c.fcu);
        place = c.Place();
        row = {std::to_string(place.serial + 1),
               FormatTimeValue(c.time),
               std::to_string(c.fcu),
               std::string(CommandText(c.code)),
               std::string(OutcomeText(OutcomeOf(c, timeout))),
               c.Answered() ? std::to_string(c.delay) : "",
               c.checked ? std::to_string(timeout) : "",
               c.trigger ? "yes" : ""};
        return true;
    };
}

}  // namespace vyx
