#pragma once
// For consumers other than the record list that want the records a follow reads (the loop window, the
// timeline, the analysis): every new record once, unfiltered, on the follow's thread.

#include <cstdint>
#include <string>

#include "logdata/Record.h"
#include "logdata/SerialNumber.h"

namespace vyx {

struct LiveRecord {
    const CRecord& record;       // decoded; valid during the call only
    const std::string& dayFile;  // the day file's path
    std::uint32_t offset;        // of its frame in the day file
    // Its serial number in the store, or -1 when the filters dropped it or the order does not insert it
    // (descending time). Not fetchable before OnLiveRecordsPublished.
    SerialNumber serial;
    int frameLength = 0;  // the frame's bytes in the day file, its length field included
};

class ILiveRecordListener {
public:
    virtual ~ILiveRecordListener() = default;
    // Called on the follow's thread for each decodable record with a known class, in the order read. Must
    // not block for long and must not call into the store's load (start, stop, reset).
    virtual void OnLiveRecord(const LiveRecord& record) = 0;
    // The records passed since the last call are published: `total` records can be fetched now.
    virtual void OnLiveRecordsPublished(std::int64_t total) = 0;
};

}  // namespace vyx
