#pragma once
// The entries of the filter bar's command box, in order: an entry's index is what the filter bar converts.

#include <string_view>
#include <vector>

namespace vyx {

constexpr int kCommandListSize = 79;
constexpr int kFirstConvertedCommandIndex = 19;  // "--ALL STATUS AND ALARMS--" and everything after it

// String-table ids of the 79 entries, in box order.
const std::vector<int>& CommandListStringIds();
// The entry texts, in box order.
std::vector<std::string_view> CommandListTexts();
// Index of an entry by its exact text; -1 when no entry has it.
int CommandIndexOf(std::string_view text);

}  // namespace vyx
