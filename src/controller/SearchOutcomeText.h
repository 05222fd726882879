#pragma once
// What the find bar says once a find or a go to time has ended.

#include <string>
#include <string_view>

#include "controller/RecordSearch.h"

namespace vyx {

// what: the sought item as the user should read it back, e.g. "\"OPEN\"" or "bytes 01 A0".
std::string FindOutcomeText(const SearchNotification& finished, SearchDirection direction, std::string_view what);

// when: the time as the user typed it; atOrBefore for the descending order.
std::string GoToTimeOutcomeText(const SearchNotification& finished, std::string_view when, bool atOrBefore);

}  // namespace vyx
