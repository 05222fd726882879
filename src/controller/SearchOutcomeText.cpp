#include "controller/SearchOutcomeText.h"

namespace vyx {
namespace {

std::string FoundText(std::int64_t serial) {
    return "Found at Sr.No. " + std::to_string(serial + 1) + ".";
}

}  // namespace

std::string FindOutcomeText(const SearchNotification& finished, SearchDirection direction, std::string_view what) {
    if (!finished.error.empty()) return "The search stopped: " + finished.error;
    if (finished.found < 0) return std::string(what) + " was not found.";
    if (!finished.wrapped) return FoundText(finished.found);
    const char* notice = direction == SearchDirection::Forward ? "Passed the end of the list; continued from the top. "
                                                               : "Passed the top of the list; continued from the end. ";
    return notice + FoundText(finished.found);
}

std::string GoToTimeOutcomeText(const SearchNotification& finished, std::string_view when, bool atOrBefore) {
    if (!finished.error.empty()) return "The search stopped: " + finished.error;
    const std::string side = atOrBefore ? "at or before " : "at or after ";
    if (finished.found < 0) return "No loaded record lies " + side + std::string(when) + ".";
    return "Sr.No. " + std::to_string(finished.found + 1) + " is the first record " + side + std::string(when) + ".";
}

}  // namespace vyx
