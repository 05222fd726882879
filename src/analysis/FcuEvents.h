#pragma once
// The events of a whole folder, in time order, in a temporary file, with checkpoints of the loop state
// every so many events in a second file. Built once (FcuEventsBuilder.h); read by any number of readers,
// each with its own handles, on any thread.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "analysis/FcuEvent.h"
#include "analysis/FcuEventPacking.h"
#include "decode/FCU.h"
#include "platform/File.h"

namespace vyx {

class CRecordDatabase;
struct FcuEventsBuildOptions;

// After how many events a checkpoint of the whole state is written, at the end of the record that reaches
// them: a query replays at most this many and the rest of one record's.
constexpr std::uint64_t kDefaultCheckpointInterval = 65536;

struct FcuListing {
    std::int32_t typeA = kFCUTypeUnidentified;
    std::int32_t typeB = kFCUTypeUnidentified;
    bool listedA = false;  // an entry of the FCU information file for this number on channel A
    bool listedB = false;
    bool Listed() const { return listedA || listedB; }
    // The FCU's type: its channel A entry, else its channel B entry.
    std::int32_t Type() const { return listedA ? typeA : typeB; }
    bool TypesDiffer() const { return listedA && listedB && typeA != typeB; }
};

struct FcuCheckpoint {
    std::uint64_t events = 0;    // the state after this many events
    std::uint32_t lastTime = 0;  // the latest time among them (that of the last, while they are in time order)
};

// Whether a record that brought the count of events to `events` ends with a checkpoint: it reached the
// interval past the last checkpoint (or the start).
inline bool CheckpointDue(const std::vector<FcuCheckpoint>& checkpoints, std::uint64_t events,
                          std::uint64_t interval) {
    return events >= (checkpoints.empty() ? 0 : checkpoints.back().events) + interval;
}

class CFcuEvents {
public:
    CFcuEvents();
    // A copy shares the two files, which go with the last copy: it is a snapshot of events that may grow
    // later (a followed folder), and reads only what it counts.
    CFcuEvents(const CFcuEvents&) = default;
    CFcuEvents& operator=(const CFcuEvents&) = default;
    CFcuEvents(CFcuEvents&&) noexcept = default;
    CFcuEvents& operator=(CFcuEvents&&) noexcept = default;
    ~CFcuEvents() = default;

    std::uint64_t EventCount() const { return m_eventCount; }
    std::int64_t RecordCount() const { return m_recordCount; }
    // The span of the records' times; both 0 for a folder without records.
    std::uint32_t FirstTime() const { return m_firstTime; }
    std::uint32_t LastTime() const { return m_lastTime; }
    const std::string& EventsPath() const { return m_files->events; }
    const std::string& CheckpointsPath() const { return m_files->checkpoints; }
    // Day file paths, by the index an event names.
    const std::vector<std::string>& DayFiles() const { return m_dayFiles; }
    // By the same index: how far into each day file the records were read (every record starting before
    // this offset is in the events).
    const std::vector<std::uint64_t>& DayFileEnds() const { return m_dayFileEnds; }
    const std::vector<FcuCheckpoint>& Checkpoints() const { return m_checkpoints; }
    std::uint64_t CheckpointInterval() const { return m_checkpointInterval; }
    // How the events file holds the events: whole blocks of kEventBlockEvents first (FcuEventPacking.h),
    // then every later event as an FcuEvent record, from TailOffset() on. Events added to the file later go
    // at its end as FcuEvent records.
    const std::vector<FcuEventBlock>& Blocks() const { return m_blocks; }
    std::uint64_t TailOffset() const { return m_tailOffset; }
    // By FCU number (0 unused).
    const std::array<FcuListing, kMaxFcuNumber + 1>& Listings() const { return m_listings; }

    // Records added after the events were built whose time lies before that of a record already in them (a
    // clock step back): their events are at the end, out of time order, so states from the earliest of
    // their times on may be stale until the events are built again. 0 and 0 when there are none.
    std::uint64_t OutOfOrderRecords() const { return m_outOfOrder; }
    std::uint32_t StaleFrom() const { return m_staleFrom; }

private:
    friend class CFcuEventsWriter;
    friend class CFcuEventsAppender;
    friend class CFcuEventsPass;
    friend std::unique_ptr<CFcuEvents> BuildFcuEvents(const CRecordDatabase&, const FCUConfigurationList&,
                                                      const FcuEventsBuildOptions&);
    // The two temporary files, deleted when the last snapshot goes.
    struct Files {
        std::string events;
        std::string checkpoints;
        Files() = default;
        Files(const Files&) = delete;
        Files& operator=(const Files&) = delete;
        ~Files();
    };

    std::shared_ptr<Files> m_files;
    std::uint64_t m_eventCount = 0;
    std::int64_t m_recordCount = 0;
    std::uint32_t m_firstTime = 0;
    std::uint32_t m_lastTime = 0;
    std::vector<std::string> m_dayFiles;
    std::vector<std::uint64_t> m_dayFileEnds;
    std::vector<FcuCheckpoint> m_checkpoints;
    std::uint64_t m_checkpointInterval = kDefaultCheckpointInterval;
    std::vector<FcuEventBlock> m_blocks;
    std::uint64_t m_tailOffset = 0;
    std::array<FcuListing, kMaxFcuNumber + 1> m_listings{};
    std::uint64_t m_outOfOrder = 0;
    std::uint32_t m_staleFrom = 0;
};

// Reads events by index a block at a time; one per thread.
class CFcuEventReader {
public:
    explicit CFcuEventReader(const CFcuEvents& events);

    std::uint64_t Count() const { return m_count; }
    // Event i (i < Count()), read with its block: fast in either direction. Throws CFileError.
    const FcuEvent& At(std::uint64_t index);
    // Events index, index + 1, ... to the end of the block that holds event index (index < Count()): those
    // read with it. Valid until the next call. Throws CFileError.
    std::span<const FcuEvent> BlockFrom(std::uint64_t index);
    // The index of the first event after time t (Count() when none).
    std::uint64_t FirstAfter(std::uint32_t t);

private:
    void Load(std::uint64_t index);

    CInputFile m_file;
    std::uint64_t m_count;
    std::vector<FcuEventBlock> m_blocks;
    std::uint64_t m_tailOffset;
    std::vector<std::uint8_t> m_packed;
    std::vector<FcuEvent> m_block;
    std::uint64_t m_blockStart = 0;
    std::size_t m_blockCount = 0;
};

// The FCU listings of an FCU configuration list.
std::array<FcuListing, kMaxFcuNumber + 1> ListingsOf(const FCUConfigurationList& configuration);

}  // namespace vyx
