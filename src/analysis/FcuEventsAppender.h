#pragma once
// Lets the events of a folder grow with the records a follow reads after they were built. Each record's
// events are found as the build finds them and written at the end of the events file, with a checkpoint
// at every interval, so state queries stay as fast as on built events.
//
// Records are known by their day file and offset: one the events already hold is skipped, and a stretch of
// a day file that no record came from (read meanwhile by a load of the list instead of by the follow) is
// read from the day file itself, so nothing is missed and nothing counted twice.
//
// One thread adds and publishes; the snapshots it publishes can be read on any thread.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "analysis/FcuEventExtractor.h"
#include "analysis/FcuEvents.h"
#include "decode/RecordToParameterXferConverter.h"
#include "logdata/DayFileReader.h"
#include "logdata/Parse.h"
#include "platform/File.h"

namespace vyx {

class CFcuEventsAppender final : private IFcuEventSink {
public:
    // `events` as built, with the FCU information and Modbus base address they were built with. Throws
    // CFileError when the events cannot be read or their files not opened.
    CFcuEventsAppender(const CFcuEvents& events, FCUConfigurationList configuration, std::uint8_t modbusBaseAddress,
                       bool recover);

    // A record a follow read: `frameLength` bytes at `offset` of `dayFile`. Throws CFileError, CVyxError.
    void Add(const CRecord& record, const std::string& dayFile, std::uint32_t offset, int frameLength);
    // Reads from the day file the records that start before `end` and after the last one taken from it.
    void CatchUp(const std::string& dayFile, std::uint64_t end);
    // The events with everything added so far. Throws CFileError.
    std::shared_ptr<const CFcuEvents> Publish();
    std::int64_t RecordsAdded() const { return m_added; }

private:
    void AddRecord(std::span<const FcuEvent> events) override;  // the extractor's sink
    std::size_t DayFileIndex(const std::string& path);
    void ReadStretch(std::size_t file, std::uint64_t end);
    void Take(const CRecord& record, std::size_t file, std::uint32_t offset);

    CFcuEvents m_events;  // the growing copy; snapshots of it are published
    CRecordToParameterXferConverter m_converter;
    std::uint8_t m_modbusBaseAddress;
    bool m_recover;
    std::unique_ptr<LoopState> m_state;
    std::optional<CFcuEventExtractor> m_extractor;
    std::unordered_map<std::string, std::size_t> m_fileIndex;
    std::uint32_t m_checkpointTime = 0;  // the latest event time so far
    std::int64_t m_added = 0;
    COutputFile m_eventFile;
    COutputFile m_checkpointFile;
    CDayFileReader m_reader;
    CParse m_parse;
    CRecord m_record;
};

}  // namespace vyx
