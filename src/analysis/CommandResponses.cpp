#include "analysis/CommandResponses.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "analysis/AlarmCodeLists.h"
#include "decode/FCUStatusCatalogue.h"
#include "platform/BackgroundFileWriter.h"
#include "platform/FileError.h"

namespace vyx {
namespace {

constexpr std::size_t kCheckBlock = 4096;

std::uint32_t MovementStoppingMask() {
    std::uint32_t mask = 0;
    for (int code : kMovementStoppingAlarmCodes) mask |= std::uint32_t{1} << code;
    return mask;
}

// Delays below this are counted in a vector by index: some 16 KB an FCU at most.
constexpr std::uint32_t kShortDelays = 4096;

// Nearest rank: the smallest delay with at least ceil(p * n) answers at or below it.
template <class Counts>
std::uint32_t NearestRank(const Counts& delays, int percent) {
    const std::uint64_t n = delays.total;
    const std::uint64_t rank = std::max<std::uint64_t>(1, (n * static_cast<std::uint64_t>(percent) + 99) / 100);
    std::uint64_t seen = 0;
    for (std::size_t delay = 0; delay < delays.shortOnes.size(); ++delay) {
        seen += delays.shortOnes[delay];
        if (seen >= rank) return static_cast<std::uint32_t>(delay);
    }
    for (const auto& [delay, count] : delays.longOnes) {
        seen += count;
        if (seen >= rank) return delay;
    }
    if (!delays.longOnes.empty()) return delays.longOnes.rbegin()->first;
    return delays.shortOnes.empty() ? 0 : static_cast<std::uint32_t>(delays.shortOnes.size() - 1);
}

}  // namespace

bool IsCheckedCommand(int code) {
    return code >= 0 && code <= 3;  // Open, Close, Stop, ESD
}

bool IsAnsweringStatusCode(int code) {
    // 5, 6 limit switches; 7 stopped in mid travel; 8..14 moving, running, travelling.
    return code >= 5 && code <= 14;
}

bool TypeAnswersCommands(std::int32_t type) {
    for (int bit = 0; bit < 16; ++bit) {
        const CFCUCodeList codes = DecodeStatusWord(static_cast<std::uint16_t>(1U << bit), type);
        for (int code : codes) {
            if (IsAnsweringStatusCode(code)) return true;
        }
    }
    return false;
}

ResponseOutcome OutcomeOf(const CommandCheck& check, std::uint32_t timeout) {
    if (!check.checked) return ResponseOutcome::NotChecked;
    if (check.blocked) return ResponseOutcome::Blocked;
    if (!check.Answered()) return ResponseOutcome::NoResponse;
    return check.delay <= timeout ? ResponseOutcome::Answered : ResponseOutcome::Late;
}

CCommandResponses::CCommandResponses(const std::array<FcuListing, kMaxFcuNumber + 1>& listings, std::uint32_t from,
                                     std::uint32_t to, std::uint32_t fixedTimeout, const std::string& tempFolder)
    : m_listings(listings), m_from(from), m_to(to), m_fixedTimeout(fixedTimeout) {
    for (std::size_t fcu = 0; fcu < m_checked.size(); ++fcu) m_checked[fcu] = TypeAnswersCommands(m_listings[fcu].Type());
    std::string pattern = tempFolder + "/command-checks-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) throw CFileError(errno, tempFolder + "/command-checks");
    ::close(fd);
    m_path = pattern;
    // Written on a thread of its own: a folder's commands are tens of millions of checks.
    m_file = std::make_unique<CBackgroundFileWriter>();
    m_file->Open(m_path, std::size_t{1} << 20, 3);
}

CCommandResponses::~CCommandResponses() {
    m_file.reset();
    if (!m_path.empty()) std::remove(m_path.c_str());
}

void CCommandResponses::Write(const CommandCheck& check) {
    m_file->Write(&check, sizeof check);
    ++m_written;
}

void CCommandResponses::Open(const FcuEvent& e, int fcu, std::uint32_t trigger, const LoopState& state) {
    CommandCheck c;
    c.time = e.time;
    c.delay = CommandCheck::kNoDelay;
    c.offset = e.offset;
    c.serialLow = e.serialLow;
    c.serialHigh = e.serialHigh;
    c.dayFile = e.dayFile;
    c.fcu = static_cast<std::uint16_t>(fcu);
    c.code = e.code;
    c.trigger = trigger;
    c.checked = m_checked[static_cast<std::size_t>(fcu)] ? 1 : 0;
    c.blocked = (state.fcus[static_cast<std::size_t>(fcu)].AlarmMask() & MovementStoppingMask()) != 0 ? 1 : 0;
    if (!c.checked) {
        Write(c);
        return;
    }
    m_pending[static_cast<std::size_t>(fcu)] = c;
    m_open[static_cast<std::size_t>(fcu)] = true;
}

void CCommandResponses::Close(int fcu, std::uint32_t delay) {
    const auto f = static_cast<std::size_t>(fcu);
    if (!m_open[f]) return;
    m_open[f] = false;
    CommandCheck& c = m_pending[f];
    c.delay = delay;
    if (delay != CommandCheck::kNoDelay && !c.blocked) {
        DelayCounts& counts = m_delays[f];
        if (delay < kShortDelays) {
            if (delay >= counts.shortOnes.size()) counts.shortOnes.resize(delay + 1);
            ++counts.shortOnes[delay];
        } else {
            ++counts.longOnes[delay];
        }
        ++counts.total;
    }
    Write(c);
}

void CCommandResponses::Add(const FcuEvent& e, const LoopState& state) {
    if (e.kind == FcuEventKind::Status) {
        if (e.fcu >= 1 && e.fcu <= kMaxFcuNumber && e.edge == FcuEventEdge::Set && IsAnsweringStatusCode(e.code) &&
            m_open[e.fcu]) {
            Close(e.fcu, e.time - m_pending[e.fcu].time);
        }
        return;
    }
    if (e.kind != FcuEventKind::Command) return;
    const bool inSpan = e.time >= m_from && e.time <= m_to;
    if (e.fcu >= 1 && e.fcu <= kMaxFcuNumber) {
        // Any later command ends the wait for an answer to the one before.
        Close(e.fcu, CommandCheck::kNoDelay);
        if (inSpan && IsCheckedCommand(e.code)) Open(e, e.fcu, 0, state);
        return;
    }
    if (e.fcu == kLoopFcu && e.code == kGlobalEsdTriggerCommand && inSpan) {
        const std::uint32_t trigger = ++m_triggers;
        if (m_rollCalls.size() < kRollCallsKept) {
            EsdRollCall call;
            call.time = e.time;
            call.place = {e.dayFile, e.offset, e.Serial()};
            m_rollCalls.push_back(call);
        }
        // Every FCU of the loop: listed in the FCU information file or heard of before.
        for (int fcu = 1; fcu <= kMaxFcuNumber; ++fcu) {
            if (!m_listings[static_cast<std::size_t>(fcu)].Listed() && !state.fcus[static_cast<std::size_t>(fcu)].seen)
                continue;
            Close(fcu, CommandCheck::kNoDelay);
            Open(e, fcu, trigger, state);
        }
    }
}

void CCommandResponses::Finish() {
    for (int fcu = 1; fcu <= kMaxFcuNumber; ++fcu) Close(fcu, CommandCheck::kNoDelay);
    m_file->Close();
    std::array<FcuResponseFigures, kMaxFcuNumber + 1> figures{};
    for (int fcu = 1; fcu <= kMaxFcuNumber; ++fcu) {
        const auto f = static_cast<std::size_t>(fcu);
        FcuResponseFigures& r = figures[f];
        r.fcu = static_cast<std::uint16_t>(fcu);
        r.type = m_listings[f].Type();
        r.checked = TypeAnswersCommands(r.type);
        if (m_delays[f].total > 0) {
            r.hasTimes = true;
            r.median = NearestRank(m_delays[f], 50);
            r.p95 = NearestRank(m_delays[f], 95);
        }
        r.timeout = m_fixedTimeout ? m_fixedTimeout : std::max(kMinimumResponseTimeout, 2 * r.median);
        m_timeouts[f] = r.timeout;
    }
    std::array<bool, kMaxFcuNumber + 1> flagged{};
    CCommandCheckReader reader(m_path, m_written);
    CommandCheck c;
    while (reader.Next(c)) {
        FcuResponseFigures& r = figures[c.fcu];
        const ResponseOutcome outcome = OutcomeOf(c, r.timeout);
        if (r.commands++ == 0) r.first = c.Place();
        if (!flagged[c.fcu] && (outcome == ResponseOutcome::Late || outcome == ResponseOutcome::NoResponse)) {
            flagged[c.fcu] = true;
            r.first = c.Place();
        }
        switch (outcome) {
            case ResponseOutcome::Answered: ++r.answered; break;
            case ResponseOutcome::Late: ++r.late; break;
            case ResponseOutcome::NoResponse: ++r.noResponse; break;
            case ResponseOutcome::Blocked: ++r.blocked; break;
            case ResponseOutcome::NotChecked: break;
        }
        if (c.trigger != 0 && c.trigger <= m_rollCalls.size()) {
            EsdRollCall& call = m_rollCalls[c.trigger - 1];
            switch (outcome) {
                case ResponseOutcome::Answered: ++call.answered; break;
                case ResponseOutcome::Late:
                    ++call.late;
                    call.lateFcus.push_back(c.fcu);
                    break;
                case ResponseOutcome::NoResponse:
                    ++call.silent;
                    call.silentFcus.push_back(c.fcu);
                    break;
                case ResponseOutcome::Blocked:
                    ++call.blocked;
                    call.blockedFcus.push_back(c.fcu);
                    break;
                case ResponseOutcome::NotChecked: ++call.notChecked; break;
            }
        }
    }
    m_figures.clear();
    for (int fcu = 1; fcu <= kMaxFcuNumber; ++fcu) {
        if (figures[static_cast<std::size_t>(fcu)].commands > 0) m_figures.push_back(figures[static_cast<std::size_t>(fcu)]);
    }
}

CCommandCheckReader::CCommandCheckReader(const std::string& path, std::uint64_t count)
    : m_file(path), m_count(count) {}

bool CCommandCheckReader::Next(CommandCheck& check) {
    if (m_next >= m_count) return false;
    if (m_next < m_blockStart || m_next >= m_blockStart + m_block.size()) {
        const std::uint64_t want = std::min<std::uint64_t>(kCheckBlock, m_count - m_next);
        m_block.resize(static_cast<std::size_t>(want));
        const std::size_t bytes = m_file.ReadAt(m_next * sizeof(CommandCheck), m_block.data(),
                                                static_cast<std::size_t>(want) * sizeof(CommandCheck));
        if (bytes != want * sizeof(CommandCheck)) throw CFileError(EIO, m_file.Path());
        m_blockStart = m_next;
    }
    check = m_block[static_cast<std::size_t>(m_next - m_blockStart)];
    ++m_next;
    return true;
}

}  // namespace vyx
