#include "cli/NumberOptions.h"

#include <charconv>
#include <limits>

#include "cli/Command.h"
#include "report/ReportCriteriaChecks.h"

namespace vyx::cli {

std::int64_t SerialOption(const std::string& name, const std::string& text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1) {
        throw CommandFailure{kExitUsage, "error: " + name + " takes a Sr.No. from 1 to " +
                                             std::to_string(std::numeric_limits<std::int64_t>::max()) + ": " + text};
    }
    return value;
}

std::int32_t RangeEditOption(const std::string& name, const std::string& text) {
    std::int32_t value = 0;
    if (const auto refusal = CReportCriteriaChecks::ParseRangeField(text, value)) {
        throw CommandFailure{kExitUsage, "error: " + name + ": " + refusal->text};
    }
    return value;
}

}  // namespace vyx::cli
