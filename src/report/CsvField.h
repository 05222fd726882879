#pragma once
// One field of a CSV line.

#include <string>

namespace vyx {

// Quoted when it holds a comma, a quote or a line break; quotes doubled.
void AppendCsvField(std::string& out, const std::string& text);

}  // namespace vyx
