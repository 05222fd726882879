#pragma once
// The texts Copy puts on the clipboard for a row of the record list.

#include <cstdint>
#include <optional>
#include <string>

#include "logdata/RecordDatabase.h"

namespace vyx {

// The row as one comma-separated line: its "Sr.No.", then the six column texts, exactly as a report line
// writes them (without the line end). Nothing when the record cannot be read.
std::optional<std::string> RowCopyText(const CRecordDatabase& store, std::int64_t serial);

// The whole MessageContent of the row, also where the list cuts it short.
std::optional<std::string> MessageContentCopyText(const CRecordDatabase& store, std::int64_t serial);

}  // namespace vyx
