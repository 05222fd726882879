#pragma once
// What an export records about itself (the SQLite form keeps it in its meta tables).

#include <cstdint>
#include <optional>
#include <string>

namespace vyx {

struct ExportMeta {
    std::string folder;   // the data folder as given
    std::string filters;  // the load options, as "name=value" words
    std::string program;  // "vyx 1.65"
    std::optional<std::int32_t> utcOffset;  // seconds east of UTC, when given
};

// "+HH:MM" / "-HH:MM" of an offset in seconds.
std::string UtcOffsetText(std::int32_t seconds);

}  // namespace vyx
