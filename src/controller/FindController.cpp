#include "controller/FindController.h"

#include <algorithm>

#include "controller/SearchOutcomeText.h"
#include "decode/FormatRecord.h"

namespace vyx {

FindBarUpdate CFindController::Find(const CRecordDatabase& store, std::int64_t total, std::int64_t selected,
                                    const FindQuery& query, SearchDirection direction) {
    FindBarUpdate update;
    SearchRequest request;
    std::string what;
    if (!query.hexBytes) {
        request.matcher = CRecordMatcher::Text(query.text, query.matchCase);
        what = '"' + query.text + '"';
    } else {
        const auto bytes = ParseHexBytes(query.text);
        if (!bytes) {
            update.state = FindBarUpdate::State::Finished;
            update.text = "Type the bytes as pairs of hex digits, e.g. 01 A0.";
            return update;
        }
        what = FormatHexBytes(bytes->data(), bytes->size());
        while (!what.empty() && what.back() == ' ') what.pop_back();
        what = "Bytes " + what;
        request.matcher = CRecordMatcher::Bytes(*bytes);
    }
    if (total <= 0) {
        update.state = FindBarUpdate::State::Finished;
        update.text = "There are no records to search.";
        return update;
    }
    request.count = total;
    request.from = selected;
    request.direction = direction;
    request.wrap = true;
    m_purpose = Purpose::Find;
    m_direction = direction;
    m_what = what;
    m_search.Start(store, std::move(request));
    m_searching = true;
    update.state = FindBarUpdate::State::Searching;
    update.text = "Searching for " + what + "...";
    return update;
}

FindBarUpdate CFindController::GoToTime(const CRecordDatabase& store, std::int64_t total, std::int64_t seconds,
                                        const std::string& when) {
    const auto time = static_cast<std::uint32_t>(std::clamp<std::int64_t>(seconds, 0, UINT32_MAX));
    SearchRequest request = GoToTimeRequest(store, total, time);
    m_purpose = Purpose::GoToTime;
    m_atOrBefore = request.matcher.GetKind() == CRecordMatcher::Kind::TimeAtOrBefore;
    m_what = when;
    m_search.Start(store, std::move(request));
    m_searching = true;
    FindBarUpdate update;
    update.state = FindBarUpdate::State::Searching;
    update.text = "Going to " + when + "...";
    return update;
}

FindBarUpdate CFindController::OnNotification(const SearchNotification& n) {
    FindBarUpdate update;
    // A search that was stopped or replaced may still have notifications queued.
    if (!IsCurrent(n)) return update;
    if (n.kind == SearchNotification::Kind::Progress) {
        update.state = FindBarUpdate::State::Progress;
        update.examined = n.examined;
        update.total = n.total;
        return update;
    }
    m_searching = false;
    update.state = FindBarUpdate::State::Finished;
    update.text = m_purpose == Purpose::Find ? FindOutcomeText(n, m_direction, m_what)
                                             : GoToTimeOutcomeText(n, m_what, m_atOrBefore);
    update.select = n.found;
    return update;
}

FindBarUpdate CFindController::Stop(const char* text) {
    m_search.Stop();
    FindBarUpdate update;
    if (!m_searching) return update;
    m_searching = false;
    update.state = FindBarUpdate::State::Finished;
    update.text = text;
    return update;
}

FindBarUpdate CFindController::Cancel() {
    return Stop("Search cancelled.");
}

FindBarUpdate CFindController::StopBeforeReset() {
    return Stop("Search cancelled: the records were reloaded.");
}

}  // namespace vyx
