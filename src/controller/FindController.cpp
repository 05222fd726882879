#include "controller/FindController.h"

#include <algorithm>

#include "controller/SearchOutcomeText.h"
#include "decode/FormatRecord.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "decode/RecordToParameterXferConverter.h"

namespace vyx {

FindQueryMatcher MatcherForQuery(const FindQuery& query, std::shared_ptr<const DetailDecoders> decoders) {
    FindQueryMatcher out;
    if (!query.hexBytes) {
        out.matcher = CRecordMatcher::Text(query.text, query.matchCase);
        if (decoders) out.matcher.SetDetailDecoders(std::move(decoders));
        out.what = '"' + query.text + '"';
        return out;
    }
    const auto bytes = ParseHexBytes(query.text);
    if (!bytes) {
        out.refusal = "Type the bytes as pairs of hex digits, e.g. 01 A0.";
        return out;
    }
    out.what = FormatHexBytes(bytes->data(), bytes->size());
    while (!out.what.empty() && out.what.back() == ' ') out.what.pop_back();
    out.what = "Bytes " + out.what;
    out.matcher = CRecordMatcher::Bytes(*bytes);
    return out;
}

std::shared_ptr<const DetailDecoders> MakeDetailDecoders(const FCUConfigurationList& fcuInfo,
                                                         std::uint8_t modbusBaseAddress) {
    auto decoders = std::make_shared<DetailDecoders>();
    decoders->blockTransfer = std::make_shared<CRecordToParameterXferConverter>(fcuInfo);
    decoders->modbus = std::make_shared<CRecordToModbusMultipleConverter>(modbusBaseAddress);
    return decoders;
}

FindBarUpdate CFindController::Find(const CRecordDatabase& store, std::int64_t total, std::int64_t selected,
                                    const FindQuery& query, SearchDirection direction,
                                    std::shared_ptr<const DetailDecoders> decoders) {
    FindBarUpdate update;
    SearchRequest request;
    FindQueryMatcher planned = MatcherForQuery(query, std::move(decoders));
    if (!planned.refusal.empty()) {
        update.state = FindBarUpdate::State::Finished;
        update.text = planned.refusal;
        return update;
    }
    request.matcher = std::move(planned.matcher);
    const std::string what = planned.what;
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
