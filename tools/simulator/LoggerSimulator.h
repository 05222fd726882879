#pragma once
// A logger simulator: writes a data folder of day files and an FCU information file with a realistic,
// complete mix of messages. Deterministic for a given seed.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vyx::sim {

struct SimulatorOptions {
    int days = 3;
    int recordsPerDay = 5000;
    std::uint64_t seed = 1;
    int startYear = 2009;
    int startMonth = 1;
    int startDay = 5;
    std::uint8_t modbusBase = 240;
    // The logger's clock can jump back: time stamps within a day are then not monotonic.
    bool clockJumps = false;
    // Malformed input the logger is known to leave behind: invalid class bytes, frames with lengths outside
    // 7..302, a truncated last frame, and a zero-length day file for the day after the last.
    bool faults = true;
    // Asked before each file is written; true ends the folder there (the files written so far are listed).
    std::function<bool()> stopRequested;
};

struct SimulatorSummary {
    std::vector<std::string> dayFiles;  // in date order
    std::int64_t records = 0;           // decodable records with a known message class
    std::int64_t invalidRecords = 0;    // decodable frames with an unknown class byte
    std::int64_t skippedFrames = 0;     // frames whose length lies outside 7..302
    std::int64_t truncatedFrames = 0;
    bool stopped = false;  // stopRequested ended the folder early
};

// Writes the folder (created if missing). Throws CFileError on write failures.
SimulatorSummary GenerateDataFolder(const std::string& folder, const SimulatorOptions& options);

// Record frames one at a time with the day files' mix of messages, for a logger that writes as it goes.
class CRecordStream {
public:
    explicit CRecordStream(const SimulatorOptions& options);
    ~CRecordStream();
    CRecordStream(const CRecordStream&) = delete;
    CRecordStream& operator=(const CRecordStream&) = delete;

    // Appends the frame of the next record, stamped with `time`, to out (with faults, now and then an invalid
    // class or a frame the reader must skip after it).
    void Append(std::vector<std::uint8_t>& out, std::uint32_t time);
    const SimulatorSummary& Summary() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The FCU information file the simulator writes: present, configured and empty slots on both channels,
// with every FCU type code, including unidentified ones.
std::vector<std::uint8_t> BuildFcuInformationFile();

// Day file name "LG" + DDMMYY + ".txt".
std::string DayFileName(int year, int month, int day);

}  // namespace vyx::sim
