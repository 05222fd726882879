#include "analysis/FcuEventsAppender.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "analysis/LoopStateQuery.h"
#include "logdata/DataFolder.h"
#include "platform/FileError.h"

namespace vyx {

CFcuEventsAppender::CFcuEventsAppender(const CFcuEvents& events, FCUConfigurationList configuration,
                                       std::uint8_t modbusBaseAddress, bool recover)
    : m_events(events), m_converter(std::move(configuration)), m_modbusBaseAddress(modbusBaseAddress),
      m_recover(recover), m_state(std::make_unique<LoopState>()), m_parse(modbusBaseAddress) {
    {
        // The state after every event: the extractor compares each new report with the last one known.
        CLoopStateQuery query(m_events);
        *m_state = query.StateAt(std::numeric_limits<std::uint32_t>::max());
    }
    m_extractor.emplace(m_converter, m_modbusBaseAddress, *m_state);
    for (std::size_t i = 0; i < m_events.m_dayFiles.size(); ++i) m_fileIndex.emplace(m_events.m_dayFiles[i], i);
    m_checkpointTime = m_events.m_lastTime;
    m_eventFile.OpenForAppend(m_events.EventsPath(), std::size_t{1} << 16);
    m_checkpointFile.OpenForAppend(m_events.CheckpointsPath());
}

std::size_t CFcuEventsAppender::DayFileIndex(const std::string& path) {
    if (const auto found = m_fileIndex.find(path); found != m_fileIndex.end()) return found->second;
    if (m_events.m_dayFiles.size() >= std::numeric_limits<std::uint16_t>::max()) {
        throw CVyxError("more day files than the events can name");
    }
    m_events.m_dayFiles.push_back(path);
    m_events.m_dayFileEnds.push_back(0);
    m_fileIndex.emplace(path, m_events.m_dayFiles.size() - 1);
    return m_events.m_dayFiles.size() - 1;
}

void CFcuEventsAppender::Add(const CRecord& record, const std::string& dayFile, std::uint32_t offset,
                             int frameLength) {
    const std::size_t file = DayFileIndex(dayFile);
    if (offset < m_events.m_dayFileEnds[file]) return;
    if (offset > m_events.m_dayFileEnds[file]) ReadStretch(file, offset);
    Take(record, file, offset);
    m_events.m_dayFileEnds[file] = std::uint64_t{offset} + static_cast<std::uint64_t>(std::max(frameLength, 1));
}

void CFcuEventsAppender::CatchUp(const std::string& dayFile, std::uint64_t end) {
    const std::size_t file = DayFileIndex(dayFile);
    if (end > m_events.m_dayFileEnds[file]) ReadStretch(file, end);
}

void CFcuEventsAppender::ReadStretch(std::size_t file, std::uint64_t end) {
    const std::string& path = m_events.m_dayFiles[file];
    DayFileReadOptions options;
    options.recover = m_recover;
    options.dayStart = DayStartFromFileName(std::filesystem::path(path).filename().string()).value_or(0);
    m_reader.Open(std::make_shared<CInputFile>(path), options, m_events.m_dayFileEnds[file]);
    Frame frame;
    // Frames that are not records (too short or long, or of no known class) are skipped as the load skips them.
    while (m_reader.Next(frame) && frame.offset < end) {
        m_events.m_dayFileEnds[file] = std::uint64_t{frame.offset} + static_cast<std::uint64_t>(frame.length);
        if (!frame.IsDecodable() || ParseHead(frame.bytes).m_nMessageMode == kModeUnidentified) continue;
        m_parse.Parse(frame.bytes, frame.RecordSize(), m_record);
        Take(m_record, file, frame.offset);
    }
    m_reader.Close();
}

void CFcuEventsAppender::Take(const CRecord& record, std::size_t file, std::uint32_t offset) {
    const std::uint32_t time = record.m_nTime;
    if (m_events.m_recordCount == 0) {
        m_events.m_firstTime = time;
        m_events.m_lastTime = time;
    } else if (time < m_events.m_lastTime) {
        // Its events go at the end all the same: the state from its time on may be stale.
        m_events.m_staleFrom = m_events.m_outOfOrder == 0 ? time : std::min(m_events.m_staleFrom, time);
        ++m_events.m_outOfOrder;
        m_events.m_firstTime = std::min(m_events.m_firstTime, time);
    } else {
        m_events.m_lastTime = time;
    }
    const std::int64_t serial = m_events.m_recordCount++;
    ++m_added;
    if (!CFcuEventExtractor::MayGiveEvents(record.m_nMessageMode)) return;
    m_extractor->Extract(record, RecordPlace{static_cast<std::uint16_t>(file), offset, serial}, *this);
}

void CFcuEventsAppender::AddRecord(std::span<const FcuEvent> events) {
    if (events.empty()) return;
    m_eventFile.Write(events.data(), events.size_bytes());
    m_events.m_eventCount += events.size();
    m_checkpointTime = std::max(m_checkpointTime, events.back().time);
    if (CheckpointDue(m_events.m_checkpoints, m_events.m_eventCount, m_events.m_checkpointInterval)) {
        m_checkpointFile.Write(m_state.get(), sizeof(LoopState));
        m_events.m_checkpoints.push_back({m_events.m_eventCount, m_checkpointTime});
    }
}

std::shared_ptr<const CFcuEvents> CFcuEventsAppender::Publish() {
    m_eventFile.Flush();
    m_checkpointFile.Flush();
    return std::make_shared<const CFcuEvents>(m_events);
}

}  // namespace vyx
