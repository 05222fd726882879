#pragma once
// Find and go to time over the record list, free of the toolkit: turns the find bar's query into a search,
// runs it off the UI thread, and turns what comes back into the bar's texts and the record to select. A
// notification of a search that was stopped or replaced is dropped here.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "controller/RecordSearch.h"
#include "decode/FCU.h"

namespace vyx {

struct FindQuery {
    std::string text;       // as typed
    bool hexBytes = false;  // the bytes of MessageContent instead of text in any column
    bool matchCase = false;
};

// The matcher of a query (a text also looked for in the detail rows when decoders are given) and the sought item as the outcome texts repeat it ("\"Open\"", "Bytes 01 A0"); a
// refusal instead when the hex text holds no bytes.
struct FindQueryMatcher {
    CRecordMatcher matcher = CRecordMatcher::Text({}, false);
    std::string what;
    std::string refusal;  // empty when the query can be run
};
FindQueryMatcher MatcherForQuery(const FindQuery& query, std::shared_ptr<const DetailDecoders> decoders = nullptr);

// The detail dialogs' converters for a load: the folder's FCU list and the load's Modbus base address.
std::shared_ptr<const DetailDecoders> MakeDetailDecoders(const FCUConfigurationList& fcuInfo,
                                                         std::uint8_t modbusBaseAddress);

// What the find bar shows next.
struct FindBarUpdate {
    enum class State { Unchanged, Searching, Progress, Finished };
    State state = State::Unchanged;
    std::string text;           // Searching: what is done; Finished: the outcome
    std::int64_t examined = 0;  // Progress
    std::int64_t total = 0;
    std::int64_t select = -1;  // Finished: the serial number of the record to select, -1 for none
};

class CFindController {
public:
    // target receives the search's notifications on its thread and hands them back to OnNotification on the
    // UI thread.
    explicit CFindController(ISearchTarget& target) : m_search(target) {}

    // A find from the selected record (-1: none) over the first `total` records of the store.
    // decoders: also the detail rows of a text query (null: not).
    FindBarUpdate Find(const CRecordDatabase& store, std::int64_t total, std::int64_t selected, const FindQuery& query,
                       SearchDirection direction, std::shared_ptr<const DetailDecoders> decoders = nullptr);
    // Go to the first record at (or, in descending order, before) a time; `when` is the time as typed.
    FindBarUpdate GoToTime(const CRecordDatabase& store, std::int64_t total, std::int64_t seconds,
                           const std::string& when);
    // False for a notification of a search that was stopped or replaced since it was posted.
    bool IsCurrent(const SearchNotification& notification) const {
        return m_searching && notification.generation == m_search.Generation();
    }
    FindBarUpdate OnNotification(const SearchNotification& notification);
    // Escape or the bar's cancel: "Search cancelled." when one ran.
    FindBarUpdate Cancel();
    // The store is about to be reset: the search lets go of it.
    FindBarUpdate StopBeforeReset();

    bool Searching() const { return m_searching; }
    CRecordSearch& Search() { return m_search; }

private:
    enum class Purpose { Find, GoToTime };
    FindBarUpdate Stop(const char* text);

    CRecordSearch m_search;
    bool m_searching = false;
    Purpose m_purpose = Purpose::Find;
    SearchDirection m_direction = SearchDirection::Forward;
    std::string m_what;  // the sought item, as the outcome text repeats it
    bool m_atOrBefore = false;
};

}  // namespace vyx
