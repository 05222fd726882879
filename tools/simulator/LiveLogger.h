#pragma once
// A logger that writes as it goes: the current day file grows frame by frame (each frame in two writes, so
// readers meet frames cut short), at a set rate, with its own clock, and a new day file begins at the
// logger's midnight.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vyx::sim {

struct LiveLoggerOptions {
    double rate = 20;                // records per real second
    std::uint32_t clockStart = 0;    // the logger's clock at the start (seconds since 1970 as the logger counts)
    double speed = 1;                // logger seconds per real second
    std::uint64_t seed = 1;
    bool faults = false;             // now and then an invalid class or a frame the reader must skip
    std::int64_t records = 0;        // stop after this many records; 0 for no end
    std::uint8_t modbusBase = 240;
    std::function<bool()> stopRequested;  // asked between records; true ends the run
    // Called after each record is whole in its file, with its number (0 = first) and the file's path.
    std::function<void(std::int64_t index, const std::string& dayFile)> written;
};

struct LiveLoggerSummary {
    std::int64_t records = 0;
    std::vector<std::string> dayFiles;  // written to, in the order begun
};

// Writes into folder (created if missing; MISCDATA.TXT written when missing), appending to day files that
// exist. Throws CFileError when a write fails.
LiveLoggerSummary RunLiveLogger(const std::string& folder, const LiveLoggerOptions& options);

}  // namespace vyx::sim
