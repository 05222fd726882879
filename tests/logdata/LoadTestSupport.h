#pragma once
// Helpers for the load tests: crafted day files, a notification recorder and a store in its own folders.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "filter/FilterCriteria.h"
#include "logdata/RecordDatabase.h"
#include "platform/LoadNotification.h"
#include "simulator/RecordBuilder.h"
#include "support/TempDir.h"

namespace vyx::test {

// Day file bytes built frame by frame. Record i carries its number in the first payload bytes, so a fetched
// record can be told apart from every other.
class DayFileBytes {
public:
    // A Startup Sequence record (always valid) with the given time and tag.
    DayFileBytes& Record(std::uint32_t time, std::uint32_t tag, int classCode = sim::kClassStartupSequence);
    DayFileBytes& Records(int count, std::uint32_t firstTime, std::uint32_t firstTag = 0);
    DayFileBytes& Raw(int lengthField, std::size_t bodyBytes);
    void WriteTo(const std::string& path) const;
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

// The tag DayFileBytes put in a record (0xFFFFFFFF when the payload is too short).
std::uint32_t TagOf(const CRecord& record);

// Records every notification; can capture the store's published ranges at each one.
class RecordingTarget : public ILoadNotificationTarget {
public:
    void Post(LoadNotification n) override;
    void WatchRanges(const CRecordDatabase* database) { m_database = database; }

    std::vector<LoadNotification> All() const;
    std::vector<std::int64_t> Counts(LoadMessage message) const;
    std::vector<std::string> Texts(LoadMessage message) const;
    // (first, last) of every file, captured when each UM_LOAD_PROGRESS was posted.
    std::vector<std::vector<std::pair<int, int>>> RangesAtProgress() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<LoadNotification> m_all;
    std::vector<std::vector<std::pair<int, int>>> m_ranges;
    const CRecordDatabase* m_database = nullptr;
};

// A filter from a predicate (the real criteria are tested with the filters).
class PredicateFilter : public CFilterCriteria {
public:
    explicit PredicateFilter(std::function<bool(const CRecord&)> keep) : m_keep(std::move(keep)) {}
    int Test(const CRecord& record) const override { return m_keep(record) ? 1 : 0; }

private:
    std::function<bool(const CRecord&)> m_keep;
};

FilterList Filters(std::function<bool(const CRecord&)> keep);

// A data folder, a private temp folder and a store over them.
struct LoadFixture {
    TempDir data;
    TempDir temp;
    RecordingTarget target;
    CRecordDatabase database{temp.Path(), &target};

    // Day start of day d after 05-01-2009.
    static std::uint32_t Day(int d) { return 1231113600u + static_cast<std::uint32_t>(d) * 86400u; }
    std::string DayFile(int d) const;  // path of the day file of Day(d)
    // Scans the data folder and runs one load to its end.
    void Load(LoadOrder order, const FilterList& filters = {}, DateWindow window = {});
    std::vector<std::uint32_t> FetchTags(std::int64_t count);
    std::vector<std::string> TempFiles() const;  // names in the temp folder
};

}  // namespace vyx::test
