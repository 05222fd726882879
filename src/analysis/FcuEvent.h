#pragma once
// One thing that happened on the loop, as the records tell it: a command to an FCU, a status or alarm code
// that appeared or went, a valve position, an FCU heard, a master station's condition. Events are kept in a
// temporary file as fixed-size records, so a folder of millions of records costs disk, not memory.

#include <cstdint>

namespace vyx {

enum class FcuEventKind : std::uint8_t {
    Command = 1,       // code: command code; value: the item's sequence in a write-multiple request (0 if single)
    Status = 2,        // code: status code 1..28, or kNoCode with Initial for a first report without codes
    Alarm = 3,         // code: alarm code 1..23, or kNoCode as for Status
    Position = 4,      // value: the raw valve position word, where it differs from the last one known
    Heard = 5,         // value: which data the FCU (or master station) sent, kHeard* bits
    SystemStatus = 6,  // FCU 0; code: system status code 0..5, or kNoCode as for Status
    LoopFault = 7,     // FCU 0; code: loop fault code 0..1
};

// How a status, alarm or system-status code changed. Initial: the first report of that kind on that channel;
// the code is present from then on, but it did not become so there.
enum class FcuEventEdge : std::uint8_t { None = 0, Set = 1, Cleared = 2, Initial = 3 };

// The code of an Initial event for a first report that decodes to no code: the state is known from there.
constexpr std::uint8_t kNoCode = 0xFF;

constexpr std::uint16_t kHeardStatus = 1;
constexpr std::uint16_t kHeardAlarm = 2;
constexpr std::uint16_t kHeardPosition = 4;
constexpr std::uint16_t kHeardSystemStatus = 8;
constexpr std::uint16_t kHeardLoopFault = 16;

// FCU numbers 1..300; 0 stands for the loop itself (system-wide commands, master station conditions).
constexpr int kLoopFcu = 0;
constexpr int kMaxFcuNumber = 300;

// 24 bytes, stored as is (the file lives only as long as this process).
struct FcuEvent {
    std::uint32_t time = 0;
    std::uint32_t offset = 0;  // frame offset of the record in its day file
    std::uint32_t serialLow = 0;
    std::uint16_t dayFile = 0;  // index in the events' list of day files
    std::uint16_t fcu = 0;
    std::uint16_t value = 0;
    std::uint8_t serialHigh = 0;
    FcuEventKind kind = FcuEventKind::Command;
    std::uint8_t channel = 0;  // 0 = MS_A(left), 1 = MS_B(right)
    std::uint8_t code = 0;
    FcuEventEdge edge = FcuEventEdge::None;
    std::uint8_t source = 0;  // the record's source code (commands)

    // The record's serial number in the time-ordered load of the whole folder (Sr.No. - 1).
    std::int64_t Serial() const { return static_cast<std::int64_t>((std::uint64_t{serialHigh} << 32) | serialLow); }
    void SetSerial(std::int64_t serial) {
        serialLow = static_cast<std::uint32_t>(static_cast<std::uint64_t>(serial) & 0xFFFFFFFFu);
        serialHigh = static_cast<std::uint8_t>((static_cast<std::uint64_t>(serial) >> 32) & 0xFFu);
    }
    bool operator==(const FcuEvent&) const = default;
};
static_assert(sizeof(FcuEvent) == 24, "the event file holds 24-byte records");

// Where an event's record lies.
struct RecordPlace {
    std::uint16_t dayFile = 0;
    std::uint32_t offset = 0;
    std::int64_t serial = 0;
    bool operator==(const RecordPlace&) const = default;
};

}  // namespace vyx
