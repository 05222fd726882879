// Finding records: hex parsing, the matcher, find next / previous with wrapping and go to time, each checked
// against a plain walk over every record of a real load; and the search thread (results, cancelling, a read
// that fails).

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>

#include "controller/RecordSearch.h"
#include "decode/FormatRecord.h"
#include "logdata/LoadPipeline.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/RecordBuilder.h"
#include "support/Records.h"
#include "support/GeneratedFolder.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

// ---- hex bytes and the matcher ----------------------------------------------------------------------------

TEST(ParseHexBytes, PairsWithOrWithoutBlanks) {
    const std::pair<const char*, std::vector<std::uint8_t>> good[] = {
        {"01 A0", {0x01, 0xA0}},
        {"01a0", {0x01, 0xA0}},
        {" \t0b  FF\t", {0x0B, 0xFF}},
        {"00", {0x00}},
    };
    for (const auto& [text, bytes] : good) {
        const auto parsed = ParseHexBytes(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(*parsed, bytes) << text;
    }
    for (const char* bad : {"", "   ", "0", "0 1", "01 A", "0G", "0x01", "01,A0", "01-A0"}) {
        EXPECT_FALSE(ParseHexBytes(bad).has_value()) << bad;
    }
}

// A Modbus record on channel B with a known payload, as the logger writes it.
CRecord ModbusRecord() {
    sim::RecordSpec spec;
    spec.time = 1231113600 + 3 * 3600 + 4 * 60 + 5;  // 05-01-2009 - 03:04:05:AM
    spec.channel = 1;
    spec.classCode = sim::kClassModbus;
    spec.payload = {0xF1, 0x03, 0x00, 0x10, 0x00, 0x02, 0xAB, 0xCD};
    spec.sourceNibble = 1;
    return test::Decode(sim::BuildRecordBytes(spec));
}

TEST(RecordMatcher, TextWithinOneColumnBytesWithinThePayload) {
    const CRecord record = ModbusRecord();
    const CFormatRecord format(&record);
    const std::string channel = format.FormatChannel();
    const std::string source = format.FormatSource();
    ASSERT_EQ(channel, "MS_B(right)");
    struct Case {
        CRecordMatcher matcher;
        bool matches;
        const char* what;
    };
    const Case cases[] = {
        {CRecordMatcher::Text("ms_b(RIGHT)", false), true, "any case"},
        {CRecordMatcher::Text("ms_b(RIGHT)", true), false, "match case refuses another case"},
        {CRecordMatcher::Text("MS_B(right)", true), true, "match case, same case"},
        {CRecordMatcher::Text("03:04:05:am", false), true, "Date-Time"},
        {CRecordMatcher::Text("ab cd", false), true, "MessageContent as shown"},
        {CRecordMatcher::Text("43", false), true, "Sr.No. of serial 42"},
        {CRecordMatcher::Text("44", false), false, "not the Sr.No. of serial 42"},
        {CRecordMatcher::Text(source.substr(source.size() - 2) + format.FormatFCU().substr(0, 2), false), false,
         "never across two columns"},
        {CRecordMatcher::Text(std::string("MS_B\0", 5), false), false, "the column separator never matches"},
        {CRecordMatcher::Text("", false), true, "an empty text matches"},
        {CRecordMatcher::Bytes({0x00, 0x02, 0xAB}), true, "bytes inside"},
        {CRecordMatcher::Bytes({0xCD}), true, "last byte"},
        {CRecordMatcher::Bytes({0xAB, 0xCE}), false, "bytes not there"},
        {CRecordMatcher::TimeAtOrAfter(record.m_nTime), true, "at the time"},
        {CRecordMatcher::TimeAtOrAfter(record.m_nTime + 1), false, "before the time"},
        {CRecordMatcher::TimeAtOrBefore(record.m_nTime), true, "at the time, descending"},
        {CRecordMatcher::TimeAtOrBefore(record.m_nTime - 1), false, "after the time, descending"},
    };
    std::string scratch = "left over from another record";
    for (const Case& c : cases) EXPECT_EQ(c.matcher.Matches(42, record, scratch), c.matches) << c.what;
}

TEST(RecordMatcher, BytesPastTheRecordedLengthAreNotSearched) {
    CRecord record = ModbusRecord();
    ASSERT_GE(record.m_nDataLength, 2);
    record.m_nDataLength = 2;  // the bytes after the length the record gives are not its content
    std::string scratch;
    EXPECT_FALSE(CRecordMatcher::Bytes({0xAB, 0xCD}).Matches(0, record, scratch));
    EXPECT_FALSE(CRecordMatcher::Text("AB CD", false).Matches(0, record, scratch));
}

// ---- searches over a real load ----------------------------------------------------------------------------

struct Loaded {
    Loaded(const std::string& folder, LoadOrder order, bool readAll = true) : store(temp.Path(), nullptr) {
        LoadRequest request;
        request.folder = folder;
        request.order = order;
        EXPECT_TRUE(RunLoadSequence(store, filters, {}, request).started);
        store.WaitForLoad();
        for (const auto& file : store.Files()) count = std::max<std::int64_t>(count, file->LastSerial() + 1);
        if (!readAll) return;
        records.resize(static_cast<std::size_t>(count));
        for (std::int64_t s = 0; s < count; ++s) EXPECT_TRUE(store.GetRecord(s, records[static_cast<std::size_t>(s)]));
    }
    std::vector<bool> Matches(const CRecordMatcher& matcher) const {
        std::vector<bool> matches;
        std::string scratch;
        for (std::int64_t s = 0; s < count; ++s) {
            matches.push_back(matcher.Matches(s, records[static_cast<std::size_t>(s)], scratch));
        }
        return matches;
    }

    test::TempDir temp;
    FilterList filters;
    CRecordDatabase store;
    std::int64_t count = 0;
    std::vector<CRecord> records;
};

struct Expected {
    std::int64_t found = -1;
    bool wrapped = false;
};

// The answer by stepping through the records one by one, as a user pressing the key again and again would.
Expected Walk(const std::vector<bool>& matches, std::int64_t from, SearchDirection direction, bool wrap) {
    const auto count = static_cast<std::int64_t>(matches.size());
    const bool forward = direction == SearchDirection::Forward;
    std::vector<std::pair<std::int64_t, bool>> visits;  // serial, reached by wrapping
    if (from < 0 || from >= count) {
        for (std::int64_t i = 0; i < count; ++i) visits.push_back({forward ? i : count - 1 - i, false});
    } else {
        for (std::int64_t i = 1; i < count; ++i) {
            const std::int64_t step = forward ? from + i : from - i;
            const bool wrapped = step < 0 || step >= count;
            if (!wrapped || wrap) visits.push_back({(step + count) % count, wrapped});
        }
        if (wrap) visits.push_back({from, true});  // all the way round, back to the start
    }
    for (const auto& [serial, wrapped] : visits) {
        if (matches[static_cast<std::size_t>(serial)]) return {serial, wrapped};
    }
    return {};
}

class RecordSearchOverLoad : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data = new test::GeneratedFolder(test::FolderOptions(2, 2000, 17, true));
    }
    static void TearDownTestSuite() {
        delete data;
        data = nullptr;
    }
    static test::GeneratedFolder* data;
};

test::GeneratedFolder* RecordSearchOverLoad::data = nullptr;

SearchNotification Search(const Loaded& loaded, const CRecordMatcher& matcher, std::int64_t from,
                          SearchDirection direction, bool wrap) {
    SearchRequest request;
    request.matcher = matcher;
    request.count = loaded.count;
    request.from = from;
    request.direction = direction;
    request.wrap = wrap;
    const std::atomic<bool> cancel{false};
    return RunSearch(loaded.store, request, cancel, {});
}

TEST_F(RecordSearchOverLoad, FindNextAndPreviousAgreeWithAWalkOverEveryRecord) {
    const Loaded loaded(data->Path(), LoadOrder::Stored);
    ASSERT_GT(loaded.count, 3000);
    const CRecord& some = loaded.records[1234];
    const std::string content = CFormatRecord(&some).FormatMessageContent();
    const std::vector<std::uint8_t> payloadTail(some.m_pData.end() - 3, some.m_pData.end());
    const CRecordMatcher matchers[] = {
        CRecordMatcher::Text("ms_a(LEFT)", false),             // about half of all records
        CRecordMatcher::Text(content, false),                  // rare
        CRecordMatcher::Text(content.substr(0, 12), true),     // several
        CRecordMatcher::Bytes(payloadTail),                    // a few
        CRecordMatcher::Text("no such text anywhere", false),  // none
    };
    for (const CRecordMatcher& matcher : matchers) {
        const std::vector<bool> matches = loaded.Matches(matcher);
        std::vector<std::int64_t> froms = {-1, 0, 1234, loaded.count / 2, loaded.count - 1, loaded.count + 5};
        // Starting on the only match, or on the first and the last match, is where wrapping counts.
        for (std::int64_t s = 0; s < loaded.count; ++s) {
            if (matches[static_cast<std::size_t>(s)]) {
                froms.push_back(s);
                break;
            }
        }
        for (std::int64_t s = loaded.count - 1; s >= 0; --s) {
            if (matches[static_cast<std::size_t>(s)]) {
                froms.push_back(s);
                break;
            }
        }
        for (const std::int64_t from : froms) {
            for (const auto direction : {SearchDirection::Forward, SearchDirection::Backward}) {
                for (const bool wrap : {true, false}) {
                    const Expected expected = Walk(matches, from, direction, wrap);
                    const SearchNotification got = Search(loaded, matcher, from, direction, wrap);
                    const std::string where = "from " + std::to_string(from) +
                                              (direction == SearchDirection::Forward ? " forward" : " backward") +
                                              (wrap ? " wrapping" : "");
                    EXPECT_EQ(got.found, expected.found) << where;
                    EXPECT_EQ(got.wrapped, expected.wrapped) << where;
                    EXPECT_EQ(got.total, loaded.count);
                    EXPECT_TRUE(got.error.empty()) << got.error;
                }
            }
        }
    }
}

TEST_F(RecordSearchOverLoad, GoToTimeInEachOrderIsTheFirstRecordNotBeforeTheTime) {
    for (const LoadOrder order : {LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending}) {
        const Loaded loaded(data->Path(), order);
        const std::uint32_t first = loaded.records.front().m_nTime;
        const std::uint32_t middle = loaded.records[static_cast<std::size_t>(loaded.count / 2)].m_nTime;
        for (const std::uint32_t time :
             {0u, first, first + 1, middle - 1, middle, middle + 1, loaded.records.back().m_nTime, 0xFFFFFFFFu}) {
            const SearchRequest request = GoToTimeRequest(loaded.store, loaded.count, time);
            const std::vector<bool> matches = loaded.Matches(request.matcher);
            const Expected expected = Walk(matches, -1, SearchDirection::Forward, false);
            const std::atomic<bool> cancel{false};
            const SearchNotification got = RunSearch(loaded.store, request, cancel, {});
            EXPECT_EQ(got.found, expected.found) << "order " << static_cast<int>(order) << " time " << time;
            EXPECT_FALSE(got.wrapped);
            if (order != LoadOrder::Stored) {
                // Bisected within each day file, not read record by record.
                EXPECT_LT(got.examined, 100) << "order " << static_cast<int>(order) << " time " << time;
            }
        }
    }
}

// Day files whose clock was wrong across midnight: the second file starts with stamps of the first day, so the
// time-ordered load is in order within each file but not across them.
TEST(RecordSearchGoToTime, ClockSetBackAcrossMidnightIsFoundFileByFile) {
    test::TempDir folder;
    const std::uint32_t dayA = *DayStart(2009, 1, 5);
    const std::uint32_t dayB = dayA + 86400;
    const std::uint32_t dayC = dayB + 86400;
    auto write = [&](int day, const std::vector<std::uint32_t>& times) {
        std::vector<std::uint8_t> bytes;
        for (const std::uint32_t time : times) {
            sim::RecordSpec spec;
            spec.time = time;
            spec.payload = {0x01, 0x02, 0x03};
            sim::AppendFrame(bytes, sim::BuildRecordBytes(spec));
        }
        std::FILE* file = std::fopen(folder.File(sim::DayFileName(2009, 1, day)).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    };
    std::vector<std::uint32_t> a, b, c;
    for (std::uint32_t k = 0; k < 200; ++k) a.push_back(dayA + 300 * k);
    for (std::uint32_t k = 0; k < 100; ++k) b.push_back(dayB + 60 * k);
    for (std::uint32_t k = 0; k < 100; ++k) b.push_back(dayA + 1800 + 60 * k);  // clock set back a day
    for (std::uint32_t k = 0; k < 200; ++k) c.push_back(dayC + 300 * k);
    write(5, a);
    write(6, b);
    write(7, c);

    for (const LoadOrder order : {LoadOrder::Ascending, LoadOrder::Descending, LoadOrder::Stored}) {
        const Loaded loaded(folder.Path(), order);
        ASSERT_EQ(loaded.count, 600);
        for (const std::uint32_t time : {dayA + 5000, dayA + 59800, dayA + 60000, dayB + 3000, dayC, dayC + 90000}) {
            const SearchRequest request = GoToTimeRequest(loaded.store, loaded.count, time);
            const Expected expected = Walk(loaded.Matches(request.matcher), -1, SearchDirection::Forward, false);
            const std::atomic<bool> cancel{false};
            EXPECT_EQ(RunSearch(loaded.store, request, cancel, {}).found, expected.found)
                << "order " << static_cast<int>(order) << " time " << time - dayA;
        }
    }
}

TEST_F(RecordSearchOverLoad, AReadThatFailsEndsTheSearchWithTheFileLayersText) {
    // The store opens an index file for fetching on first use: one removed after the load (a cleaner of the
    // temporary folder) is noticed by the search.
    const Loaded loaded(data->Path(), LoadOrder::Stored, false);
    const std::string gone = loaded.temp.File(sim::DayFileName(2009, 1, 5) + "_filter");
    ASSERT_TRUE(std::filesystem::remove(gone));
    const SearchNotification got =
        Search(loaded, CRecordMatcher::Text("no such text anywhere", false), -1, SearchDirection::Forward, true);
    EXPECT_EQ(got.found, -1);
    EXPECT_NE(got.error.find(gone), std::string::npos) << got.error;
}

// ---- the search thread ----------------------------------------------------------------------------------

class SearchQueue : public ISearchTarget {
public:
    void Post(SearchNotification n) override {
        std::lock_guard lock(m_mutex);
        m_all.push_back(std::move(n));
        m_ready.notify_all();
    }
    // The first notification of that generation and kind, waiting up to a minute.
    std::optional<SearchNotification> Wait(std::uint32_t generation, SearchNotification::Kind kind) {
        std::unique_lock lock(m_mutex);
        std::optional<SearchNotification> found;
        m_ready.wait_for(lock, std::chrono::seconds(60), [&] {
            for (const auto& n : m_all) {
                if (n.generation == generation && n.kind == kind) {
                    found = n;
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    int Count(std::uint32_t generation, SearchNotification::Kind kind) {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count_if(m_all.begin(), m_all.end(), [&](const SearchNotification& n) {
            return n.generation == generation && n.kind == kind;
        }));
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<SearchNotification> m_all;
};

// Far more serial numbers than records: those past the published ones hold nothing, so the search runs long.
SearchRequest LongSearch(const Loaded& loaded) {
    SearchRequest request;
    request.matcher = CRecordMatcher::Text("no such text anywhere", false);
    request.count = loaded.count * 20000;
    return request;
}

TEST_F(RecordSearchOverLoad, StopCancelsARunningSearchAndANewStartReplacesIt) {
    const Loaded loaded(data->Path(), LoadOrder::Stored);
    SearchQueue queue;
    CRecordSearch search(queue);

    const std::uint32_t first = search.Start(loaded.store, LongSearch(loaded));
    const auto progress = queue.Wait(first, SearchNotification::Kind::Progress);
    ASSERT_TRUE(progress.has_value());
    EXPECT_LT(progress->examined, progress->total);
    search.Stop();
    EXPECT_FALSE(search.IsRunning());
    EXPECT_NE(search.Generation(), first);  // whatever it still had queued is stale now
    EXPECT_EQ(queue.Count(first, SearchNotification::Kind::Finished), 0);

    // A search started over a running one replaces it.
    const std::uint32_t second = search.Start(loaded.store, LongSearch(loaded));
    ASSERT_TRUE(queue.Wait(second, SearchNotification::Kind::Progress).has_value());
    SearchRequest quick;
    quick.matcher = CRecordMatcher::Text("ms_a(left)", false);
    quick.count = loaded.count;
    quick.from = 10;
    const std::uint32_t third = search.Start(loaded.store, quick);
    EXPECT_EQ(third, search.Generation());
    const auto finished = queue.Wait(third, SearchNotification::Kind::Finished);
    ASSERT_TRUE(finished.has_value());
    EXPECT_EQ(finished->found, Walk(loaded.Matches(quick.matcher), 10, SearchDirection::Forward, true).found);
    EXPECT_FALSE(search.IsRunning());
    EXPECT_EQ(queue.Count(second, SearchNotification::Kind::Finished), 0);
}

}  // namespace
}  // namespace vyx
