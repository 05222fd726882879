#pragma once
// The command-response check: for every Open, Close, Stop and ESD command to an FCU (and for every FCU of
// the loop at a Global ESD Trigger), the first later status change of that FCU that answers it (a moving,
// limit or stopped code becoming set) before the next command to it. Fed the events in time order with the
// loop state after each; the outcome of each command goes to a file of fixed-size records in the temporary
// folder (there may be millions), the per-FCU figures are kept.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/FcuEvent.h"
#include "analysis/FcuEvents.h"
#include "analysis/LoopState.h"
#include "platform/File.h"

namespace vyx {

class CBackgroundFileWriter;

constexpr std::uint32_t kMinimumResponseTimeout = 10;  // seconds

enum class ResponseOutcome : std::uint8_t { Answered, Late, NoResponse, Blocked, NotChecked };

// What the check found for one command, as written to the file. delay is kNoDelay without an answer.
struct CommandCheck {
    std::uint32_t time = 0;
    std::uint32_t delay = 0;
    std::uint32_t offset = 0;
    std::uint32_t serialLow = 0;
    std::uint32_t trigger = 0;  // 1 + the Global ESD Trigger's index for a roll-call entry, else 0
    std::uint16_t dayFile = 0;
    std::uint16_t fcu = 0;
    std::uint8_t serialHigh = 0;
    std::uint8_t code = 0;      // the command code
    std::uint8_t blocked = 0;   // a movement-stopping alarm was active at the command
    std::uint8_t checked = 0;   // the FCU's type decodes a moving, limit or stopped code
    RecordPlace Place() const {
        return {dayFile, offset, static_cast<std::int64_t>((std::uint64_t{serialHigh} << 32) | serialLow)};
    }
    bool Answered() const { return delay != kNoDelay; }
    static constexpr std::uint32_t kNoDelay = 0xFFFFFFFFu;
};
static_assert(sizeof(CommandCheck) == 28, "the check file holds 28-byte records");

struct FcuResponseFigures {
    std::uint16_t fcu = 0;
    std::int32_t type = -1;
    bool checked = false;
    std::uint32_t commands = 0;
    std::uint32_t answered = 0;  // within the timeout
    std::uint32_t late = 0;
    std::uint32_t noResponse = 0;
    std::uint32_t blocked = 0;
    std::uint32_t timeout = 0;   // seconds: the one set, else twice the median, at least 10
    bool hasTimes = false;
    std::uint32_t median = 0;    // nearest rank, over every answered command however late
    std::uint32_t p95 = 0;
    RecordPlace first;           // the first late or unanswered command, else the first command
};

struct EsdRollCall {
    std::uint32_t time = 0;
    RecordPlace place;
    std::uint32_t answered = 0, late = 0, silent = 0, blocked = 0, notChecked = 0;
    std::vector<std::uint16_t> lateFcus, silentFcus, blockedFcus;  // the roll call's names
};

// True when the FCU type decodes a moving, limit reached or stopped status code.
bool TypeAnswersCommands(std::int32_t type);
// True for Open, Close, Stop, ESD.
bool IsCheckedCommand(int code);
constexpr int kGlobalEsdTriggerCommand = 7;
// A status code that answers a command: moving, running, travelling, a limit switch, stopped in mid travel.
bool IsAnsweringStatusCode(int code);

ResponseOutcome OutcomeOf(const CommandCheck& check, std::uint32_t timeout);

class CCommandResponses {
public:
    // fixedTimeout 0: each FCU's own (twice its median, at least 10 s). The check file goes to tempFolder.
    CCommandResponses(const std::array<FcuListing, kMaxFcuNumber + 1>& listings, std::uint32_t from,
                      std::uint32_t to, std::uint32_t fixedTimeout, const std::string& tempFolder);
    ~CCommandResponses();  // removes the check file
    CCommandResponses(const CCommandResponses&) = delete;
    CCommandResponses& operator=(const CCommandResponses&) = delete;

    // One event; state is the loop's state with it applied (a command changes no alarm).
    void Add(const FcuEvent& event, const LoopState& state);
    // Closes what is open and works out the figures. Throws CFileError.
    void Finish();

    const std::vector<FcuResponseFigures>& Fcus() const { return m_figures; }  // FCUs with commands
    const std::vector<EsdRollCall>& RollCalls() const { return m_rollCalls; }
    std::uint64_t CheckCount() const { return m_written; }
    const std::string& ChecksPath() const { return m_path; }
    std::uint32_t TimeoutOf(int fcu) const { return m_timeouts[static_cast<std::size_t>(fcu)]; }

private:
    void Open(const FcuEvent& e, int fcu, std::uint32_t trigger, const LoopState& state);
    void Close(int fcu, std::uint32_t delay);
    void Write(const CommandCheck& check);

    std::array<FcuListing, kMaxFcuNumber + 1> m_listings;
    std::array<bool, kMaxFcuNumber + 1> m_checked{};  // the type decodes an answering code
    std::uint32_t m_from, m_to, m_fixedTimeout;
    std::string m_path;
    std::unique_ptr<CBackgroundFileWriter> m_file;
    std::uint64_t m_written = 0;
    std::array<CommandCheck, kMaxFcuNumber + 1> m_pending{};
    std::array<bool, kMaxFcuNumber + 1> m_open{};
    // How many answers took each delay (s), per FCU: medians without keeping every delay. Most delays are
    // short and counted by index; the rest by value.
    struct DelayCounts {
        std::vector<std::uint32_t> shortOnes;
        std::map<std::uint32_t, std::uint32_t> longOnes;
        std::uint64_t total = 0;
    };
    std::array<DelayCounts, kMaxFcuNumber + 1> m_delays;
    std::array<std::uint32_t, kMaxFcuNumber + 1> m_timeouts{};
    std::vector<FcuResponseFigures> m_figures;
    std::vector<EsdRollCall> m_rollCalls;
    std::uint32_t m_triggers = 0;
};

constexpr std::size_t kRollCallsKept = 4096;

// Reads the check file back, in the order the waits for an answer ended (per FCU, command order).
class CCommandCheckReader {
public:
    explicit CCommandCheckReader(const std::string& path, std::uint64_t count);
    bool Next(CommandCheck& check);

private:
    CInputFile m_file;
    std::uint64_t m_count, m_next = 0;
    std::vector<CommandCheck> m_block;
    std::uint64_t m_blockStart = 0;
};

}  // namespace vyx
