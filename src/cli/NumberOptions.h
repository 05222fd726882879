#pragma once
// Numbers given on the command line are taken as text and read here, so that a negative, empty or too
// large value is refused with a short message that names the option, never wrapped into a valid one.

#include <cstdint>
#include <string>

namespace vyx::cli {

// A Sr.No. (1-based, 64-bit). Throws CommandFailure (exit 2) for anything else.
std::int64_t SerialOption(const std::string& name, const std::string& text);

// A From or To record of the report as the dialog's edits take it: 0..1000000000, with the dialog's texts.
// Throws CommandFailure (exit 2) for anything else.
std::int32_t RangeEditOption(const std::string& name, const std::string& text);

}  // namespace vyx::cli
