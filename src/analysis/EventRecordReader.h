#pragma once
// The record behind an event, read again from its day file at its offset: the text the viewer's timeline
// shows for a mark.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/FcuEvents.h"
#include "logdata/FrameReading.h"
#include "logdata/Parse.h"
#include "logdata/RecordLookup.h"

namespace vyx {

class CEventRecordReader {
public:
    // The events must outlive the reader. modbusBaseAddress: the one the events were built with.
    CEventRecordReader(const CFcuEvents& events, std::uint8_t modbusBaseAddress);

    // The event's record; nothing when its day file cannot be read or no longer holds that frame.
    std::optional<CRecord> Read(const FcuEvent& event);
    // Where the event's record lies, as the record store names places.
    RecordLocation LocationOf(const FcuEvent& event) const;

private:
    const CFcuEvents& m_events;
    CParse m_parse;
    int m_attached = -1;
    CFileWindow m_window;
};

// The event in words, then the record: "Sr.No. N  Date-Time", its message content, mode, source, FCU and
// channel, one per line.
std::string EventRecordText(const FcuEvent& event, const std::optional<CRecord>& record);

}  // namespace vyx
