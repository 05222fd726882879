#pragma once
// Layout of the FCU information file "MISCDATA.TXT": 3-byte entries (tag, type code high, type code low),
// no header, no trailer; an entry's position says which FCU it describes.

#include <cstddef>
#include <cstdint>

#include "logdata/DayFileFormat.h"

namespace vyx::format {

constexpr std::uint8_t kFcuTagPresent = 1;     // listed in the FCU view
constexpr std::uint8_t kFcuTagConfigured = 2;  // configured, but not shown
// Entries 1..300 are channel A FCUs 1..300; entries from 301 on are channel B, numbered from 1.
// FCU numbers are 16-bit signed, so entries past 300 + 32767 cannot be numbered and are not read.
constexpr std::size_t kMaxFcuEntries = kFcusPerChannel + 32767;
constexpr std::size_t kMaxFcuFileBytes = kMaxFcuEntries * kFcuEntryBytes;

}  // namespace vyx::format
