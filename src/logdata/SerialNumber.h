#pragma once
// Serial numbers: the 0-based position of an accepted record in the current load; the list shows serial + 1
// as "Sr.No.". 64-bit everywhere: a folder of many years holds more records than 32 bits count comfortably,
// and only the scroll bar narrows it (checked).

#include <cstdint>

namespace vyx {

using SerialNumber = std::int64_t;

}  // namespace vyx
