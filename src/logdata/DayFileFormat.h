#pragma once
// Every constant of the logger's day files and of this program's own temporary files, in one place.

#include <cstddef>
#include <cstdint>

namespace vyx::format {

// Day file frames: a big-endian 16-bit length L (counting its own two bytes), then L - 2 record bytes.
constexpr int kFrameLengthBytes = 2;
constexpr int kMinDecodedFrameLength = 7;    // frames shorter than this are skipped
constexpr int kMaxDecodedFrameLength = 302;  // frames longer than this are skipped
constexpr int kMaxRecordBytes = kMaxDecodedFrameLength - kFrameLengthBytes;

// Record bytes that are not payload: 4 time, 1 class, 1 database type, 1 source, 4 trailing.
constexpr int kRecordOverheadBytes = 11;
constexpr int kPayloadOffset = 6;

// Index files: one little-endian 32-bit frame offset per accepted record.
constexpr std::size_t kIndexEntryBytes = 4;

// Run files of the time-ordered load: (time, offset) pairs of little-endian 32-bit words.
constexpr std::size_t kRunEntryBytes = 8;
constexpr std::size_t kRunEntries = 10240;

// Progress and publication happen every this many records.
constexpr std::int64_t kProgressBatch = 1000;

// FCU information file: 3-byte entries (tag, type code high, type code low).
constexpr std::size_t kFcuEntryBytes = 3;
constexpr int kFcusPerChannel = 300;

// Day files: "LG" + DDMMYY + ".txt", exactly 12 characters.
constexpr const char* kDayFilePrefix = "LG";
constexpr const char* kDayFileExtension = ".txt";
constexpr std::size_t kDayFileNameLength = 12;
constexpr std::uint32_t kSecondsPerDay = 86400;

constexpr const char* kFcuInformationFileName = "MISCDATA.TXT";
constexpr const char* kIndexSuffix = "_filter";
constexpr const char* kInvalidRecordLogName = "InvalidRecordLogFile.csv";
constexpr const char* kDamageLogName = "DamageLogFile.csv";
// Run files are "temp_" + run number + ".dat"; the same names serve every day file in turn.
constexpr const char* kRunFilePrefix = "temp_";
constexpr const char* kRunFileSuffix = ".dat";

}  // namespace vyx::format
