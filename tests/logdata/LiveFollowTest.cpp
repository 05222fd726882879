// Following a folder after its load: a folder written while it is followed, and while it is being loaded.
// Whatever the logger writes, the store ends as a fresh load of the finished folder would be.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "controller/RecordRunReader.h"
#include "export/RecordExport.h"
#include "logdata/DataFolder.h"
#include "logdata/LiveFollow.h"
#include "logdata/LiveRecordListener.h"
#include "logdata/RecordDatabase.h"
#include "logdata/LoadTestSupport.h"
#include "support/FileText.h"

namespace vyx::test {
namespace {

using namespace std::chrono_literals;

// Appends bytes the way a logger does: to the end, through a descriptor of its own.
void Append(const std::string& path, const std::vector<std::uint8_t>& bytes, std::size_t from = 0,
            std::size_t to = SIZE_MAX) {
    to = std::min(to, bytes.size());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data() + from, to - from), static_cast<ssize_t>(to - from));
    ::close(fd);
}

std::vector<std::uint8_t> Frames(int count, std::uint32_t firstTime, std::uint32_t firstTag, int step = 1) {
    DayFileBytes bytes;
    for (int i = 0; i < count; ++i) {
        bytes.Record(firstTime + static_cast<std::uint32_t>(i * step), firstTag + static_cast<std::uint32_t>(i));
    }
    return bytes.Bytes();
}

class LiveFollowTest : public ::testing::Test, public LoadFixture {
protected:
    ~LiveFollowTest() override { database.StopLoad(); }

    void Follow(LoadOrder order, const FilterList& filters = {}, DateWindow window = {}, bool events = true) {
        ScanDataFolder(data.Path(), database);
        database.SetLoadOrder(order);
        database.SetDateWindow(window);
        database.SetRecovery(recovery);
        FollowSettings follow;
        follow.enabled = true;
        follow.folder = data.Path();
        follow.quietTime = 400ms;
        follow.checkInterval = events ? 1000ms : 150ms;
        follow.events = events;
        follow.counters = counters;
        database.SetFollow(follow);
        database.StartLoad(filters);
        ASSERT_TRUE(WaitFor([&] { return !target.Counts(UM_FOLLOW_STARTED).empty(); }));
    }

    template <typename Condition>
    bool WaitFor(Condition condition, std::chrono::milliseconds limit = 10s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    // The records the window can show now: the load's, then what the follow announced.
    std::int64_t Shown() const {
        std::int64_t shown = 0;
        for (const LoadNotification& n : target.All()) {
            if (n.message == UM_LOAD_FINISHED || n.message == UM_FOLLOW_PROGRESS) shown = n.count;
        }
        return shown;
    }

    bool WaitForShown(std::int64_t count) { return WaitFor([&] { return Shown() == count; }); }

    std::vector<std::string> Notices() const { return target.Texts(UM_FOLLOW_NOTICE); }

    std::shared_ptr<FollowCounters> counters;  // handed to the follow when set
    bool recovery = false;                     // the follow's load, and the fresh one, recover

    // The tags a fresh load of the folder as it is now gives, in its order.
    std::vector<std::uint32_t> FreshLoad(LoadOrder order, const FilterList& filters = {}, DateWindow window = {}) {
        TempDir freshTemp;
        RecordingTarget freshTarget;
        CRecordDatabase fresh(freshTemp.Path(), &freshTarget);
        ScanDataFolder(data.Path(), fresh);
        fresh.SetLoadOrder(order);
        fresh.SetDateWindow(window);
        fresh.SetRecovery(recovery);
        fresh.StartLoad(filters);
        fresh.WaitForLoad();
        const auto counts = freshTarget.Counts(UM_LOAD_FINISHED);
        std::vector<std::uint32_t> tags;
        CRecord record;
        for (std::int64_t s = 0; !counts.empty() && s < counts.back(); ++s) {
            tags.push_back(fresh.GetRecord(s, record) ? TagOf(record) : 0xFFFFFFFEu);
        }
        return tags;
    }
};

// Counts the rows an export hands over.
struct RowCountingSink final : IExportSink {
    void WriteRow(const ExportRow&) override { ++rows; }
    void Finish(const ExportSummary&) override {}
    std::int64_t rows = 0;
};

// Records appended in pieces and a new day file reach the store with the next serial numbers, through
// inotify events and through the check alone, and a filter drops the same new records as a load would.
struct AppendCase {
    const char* name;
    LoadOrder order;
    bool events;
};

class AppendedRecords : public LiveFollowTest, public ::testing::WithParamInterface<AppendCase> {};

TEST_P(AppendedRecords, ArriveInPiecesAndMatchAFreshLoad) {
    const AppendCase c = GetParam();
    DayFileBytes().Records(40, Day(0) + 100).WriteTo(DayFile(0));
    const FilterList filters = Filters([](const CRecord& r) { return TagOf(r) % 3 != 1; });
    Follow(c.order, filters, {}, c.events);
    const std::int64_t loaded = Shown();
    EXPECT_EQ(loaded, 27);

    // Frames cut anywhere, their rest written after a while: nothing is taken before it is whole.
    const auto more = Frames(12, Day(0) + 500, 100);
    for (std::size_t at = 0; at < more.size(); at += 13) {
        Append(DayFile(0), more, at, at + 13);
        std::this_thread::sleep_for(3ms);
    }
    Append(DayFile(1), Frames(6, Day(1) + 10, 200));
    EXPECT_TRUE(WaitForShown(27 + 8 + 4));
    std::this_thread::sleep_for(300ms);  // nothing more comes, nothing is doubled
    EXPECT_EQ(Shown(), 39);

    EXPECT_EQ(FetchTags(Shown()), FreshLoad(c.order, filters));
    // The block reader of a find and the export see the followed records too.
    std::int64_t read = 0;
    CRecordRunReader(database).ReadRun(0, Shown() - 1, [&](std::int64_t, const std::uint8_t*, int) {
        ++read;
        return true;
    });
    EXPECT_EQ(read, Shown());
    RowCountingSink sink;
    EXPECT_TRUE(ExportRecords(database, Shown(), sink));
    EXPECT_EQ(sink.rows, Shown());
    EXPECT_TRUE(Notices().empty());
    EXPECT_TRUE(target.Counts(UM_FOLLOW_STOPPED).empty());
    EXPECT_TRUE(target.Counts(UM_LOAD_FAILED).empty());
}

INSTANTIATE_TEST_SUITE_P(Follow, AppendedRecords,
                         ::testing::Values(AppendCase{"StoredByEvents", LoadOrder::Stored, true},
                                           AppendCase{"AscendingByEvents", LoadOrder::Ascending, true},
                                           AppendCase{"StoredByPolling", LoadOrder::Stored, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The logger writes all the while the load reads: every record is there once, none lost, none twice.
TEST_F(LiveFollowTest, AFolderWrittenDuringTheLoadIsNeitherLostNorReadTwice) {
    DayFileBytes().Records(150000, Day(0)).WriteTo(DayFile(0));
    std::atomic<bool> done{false};
    std::thread logger([&] {
        for (std::uint32_t i = 0; i < 400; ++i) {
            const auto frame = Frames(1, Day(0) + 80000 + i, 1000000 + i);
            Append(DayFile(0), frame, 0, 5);
            Append(DayFile(0), frame, 5);
            if (i % 8 == 0) std::this_thread::sleep_for(1ms);
        }
        done = true;
    });
    ScanDataFolder(data.Path(), database);
    FollowSettings follow;
    follow.enabled = true;
    follow.folder = data.Path();
    database.SetFollow(follow);
    database.StartLoad({});
    // Fetches while records are added: a reader never sees a serial whose record is not there.
    std::thread reader([&] {
        CRecord record;
        while (!done) {
            const std::int64_t shown = Shown();
            if (shown > 0) {
                EXPECT_TRUE(database.GetRecord(shown - 1, record));
            }
            std::this_thread::sleep_for(1ms);
        }
    });
    logger.join();
    reader.join();
    EXPECT_TRUE(WaitForShown(150400));
    const auto tags = FetchTags(150400);
    EXPECT_EQ(tags, FreshLoad(LoadOrder::Stored));
}

// A frame cut short at the end waits for its rest; only after the quiet time is it judged as a load judges
// it, and then the damage log says so.
TEST_F(LiveFollowTest, AnIncompleteLastFrameIsJudgedOnlyAfterTheQuietTime) {
    const auto head = Frames(10, Day(0), 0);
    const auto tail = Frames(2, Day(0) + 50, 10);
    const std::size_t half = tail.size() / 4;
    std::vector<std::uint8_t> start = head;
    start.insert(start.end(), tail.begin(), tail.begin() + static_cast<long>(half));
    DayFileBytes().WriteTo(DayFile(0));
    Append(DayFile(0), start);
    Follow(LoadOrder::Stored);
    EXPECT_EQ(Shown(), 10);
    const std::string damageLog = temp.File("DamageLogFile.csv");

    std::this_thread::sleep_for(200ms);  // within the quiet time
    Append(DayFile(0), tail, half, tail.size() / 2 + 3);
    EXPECT_TRUE(WaitForShown(11));
    EXPECT_FALSE(std::filesystem::exists(damageLog));

    // Now the logger stops in the middle of the second frame for good.
    // The log file is made a moment before its lines are flushed into it: wait for the line, not the file.
    EXPECT_TRUE(WaitFor([&] {
        return std::filesystem::exists(damageLog) &&
               ReadFileText(damageLog).find("incomplete last frame") != std::string::npos;
    }, 3s)) << (std::filesystem::exists(damageLog) ? ReadFileText(damageLog) : std::string("no damage log"));
    EXPECT_EQ(Shown(), 11);
    EXPECT_EQ(FreshLoad(LoadOrder::Stored).size(), 11u);
}

// Damage the logger writes while it is followed (a burst of bad bytes, then records again after a pause
// longer than the quiet time): with recovery the records after it are taken as a load of the finished file
// takes them; without, the walk stops there for good. Either way the damage log counts every byte not read
// once, the bytes appended after the stop too.
class DamageWhileFollowed : public LiveFollowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DamageWhileFollowed, IsJudgedAsALoadOfTheFinishedFileAndCountedOnce) {
    recovery = GetParam();
    DayFileBytes().Records(10, Day(0)).WriteTo(DayFile(0));
    Follow(LoadOrder::Stored);
    EXPECT_EQ(Shown(), 10);
    const std::string damageLog = temp.File("DamageLogFile.csv");
    const auto bad = DayFileBytes().Raw(1, 40).Bytes();
    Append(DayFile(0), bad);
    // The quiet time passes: the bad bytes are judged and noted.
    EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(damageLog); }, 3s));
    Append(DayFile(0), Frames(12, Day(0) + 100, 100));
    const std::int64_t expected = recovery ? 22 : 10;
    if (recovery) {
        EXPECT_TRUE(WaitForShown(expected));
    }
    std::this_thread::sleep_for(1200ms);  // beyond a look at every file and a quiet time
    EXPECT_EQ(Shown(), expected);
    EXPECT_EQ(FetchTags(Shown()), FreshLoad(LoadOrder::Stored));

    std::uint64_t notRead = 0;
    const std::string text = ReadFileText(damageLog);
    for (std::size_t at = text.find('\n'); at != std::string::npos && at + 1 < text.size(); at = text.find('\n', at + 1)) {
        const std::size_t offsetEnd = text.find(',', text.find(',', at) + 1);
        notRead += std::stoull(text.substr(offsetEnd + 1));
    }
    const std::uint64_t after = recovery ? 0 : Frames(12, Day(0) + 100, 100).size();
    EXPECT_EQ(notRead, bad.size() + after) << text;
    EXPECT_TRUE(target.Counts(UM_FOLLOW_STOPPED).empty());
}

// A day file the logger left long ago is judged by the load as a load without follow judges it: with recovery,
// the few records after damage at its end are shown at once, also sorted descending, where the follow could
// only count them for later.
TEST_F(LiveFollowTest, AnOldDayFileIsJudgedByTheLoadItself) {
    recovery = true;
    DayFileBytes().Records(10, Day(0)).Raw(1, 0).Records(3, Day(0) + 100, 50).WriteTo(DayFile(0));
    std::filesystem::last_write_time(DayFile(0), std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
    Follow(LoadOrder::Descending);
    EXPECT_EQ(Shown(), 13);
    std::this_thread::sleep_for(600ms);  // beyond the quiet time: nothing is taken again or counted
    EXPECT_EQ(Shown(), 13);
    EXPECT_TRUE(Notices().empty());
    EXPECT_EQ(FetchTags(Shown()), FreshLoad(LoadOrder::Descending));
}

INSTANTIATE_TEST_SUITE_P(Follow, DamageWhileFollowed, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "WithRecovery" : "WithoutRecovery"; });

// A quiet folder of many day files costs a few looks a second: the follow wakes about once a second, looks at
// the file that may grow and a few others, and lists the folder only when it changed. The quiet time of a
// frame cut short at an older file's end passing is no reason to spin.
TEST_F(LiveFollowTest, AQuietFolderOfManyDayFilesCostsFewLooks) {
    constexpr int kDays = 200;
    for (int d = 1; d < kDays; ++d) DayFileBytes().Records(2, Day(d) + 60, static_cast<std::uint32_t>(d * 10)).WriteTo(DayFile(d));
    const auto whole = Frames(3, Day(0) + 60, 5000);
    const std::vector<std::uint8_t> cut(whole.begin(), whole.end() - 4);  // the last frame lacks its end
    DayFileBytes().WriteTo(DayFile(0));
    Append(DayFile(0), cut);
    counters = std::make_shared<FollowCounters>();
    Follow(LoadOrder::Stored);
    EXPECT_EQ(Shown(), 2 * (kDays - 1) + 2);
    std::this_thread::sleep_for(2500ms);  // the quiet time (400 ms) passes; the folder's time grows old
    EXPECT_NE(ReadFileText(temp.File("DamageLogFile.csv")).find("incomplete last frame"), std::string::npos);
    EXPECT_LE(counters->wakes.load(), 6);
    const std::int64_t looks = counters->looks.load();
    const std::int64_t listings = counters->listings.load();
    std::this_thread::sleep_for(2000ms);
    EXPECT_LE(counters->wakes.load(), 9);
    EXPECT_LE(counters->looks.load() - looks, kDays / 2);  // two checks, each far from every file
    EXPECT_LE(counters->listings.load() - listings, 0);

    // A new day still comes at once, and so does a record added to a quiet older day file the watch hears of
    // (not only in its turn among the others, which takes seconds).
    Append(DayFile(kDays), Frames(3, Day(kDays) + 5, 9000));
    EXPECT_TRUE(WaitForShown(2 * (kDays - 1) + 5));
    std::this_thread::sleep_for(1200ms);
    Append(DayFile(kDays / 2), Frames(1, Day(kDays / 2) + 600, 9500));
    EXPECT_TRUE(WaitFor([&] { return Shown() == 2 * (kDays - 1) + 6; }, 1500ms));
}

// A clock step back in ascending order is appended and counted; in descending order new records are counted
// and not inserted. The date window's end keeps later records and day files out in both.
struct OrderCase {
    const char* name;
    LoadOrder order;
    std::int64_t shownAfter;
    const char* notice;
};

class OrderNotices : public LiveFollowTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(OrderNotices, NewRecordsKeepTheOrderOrAreCounted) {
    const OrderCase c = GetParam();
    DayFileBytes().Records(30, Day(0) + 1000).WriteTo(DayFile(0));
    DayFileBytes().Records(5, Day(1) + 1000, 50).WriteTo(DayFile(1));
    // The range ends within day 1: its window reaches day 2, not day 3.
    const std::uint32_t end = Day(1) + 5000;
    const DateWindow window{Day(0) - 86400, Day(2)};
    const FilterList filters = Filters([end](const CRecord& r) { return r.m_nTime <= end; });
    Follow(c.order, filters, window);
    EXPECT_EQ(Shown(), 35);

    Append(DayFile(1), Frames(4, Day(1) + 100, 300));     // the logger's clock stepped back
    Append(DayFile(1), Frames(3, Day(1) + 4000, 310));    // in time order again
    Append(DayFile(1), Frames(2, Day(1) + 6000, 320));    // after the range's end
    Append(DayFile(3), Frames(5, Day(3) + 10, 400));      // outside the window
    EXPECT_TRUE(WaitFor([&] { return !Notices().empty() && Notices().back() == c.notice; }));
    std::this_thread::sleep_for(1200ms);  // a whole check of every file and of the folder
    EXPECT_EQ(Shown(), c.shownAfter);
    EXPECT_EQ(Notices().back(), c.notice);
    if (c.order == LoadOrder::Ascending) {
        const auto tags = FetchTags(Shown());
        EXPECT_EQ(std::vector<std::uint32_t>(tags.begin() + 35, tags.end()),
                  (std::vector<std::uint32_t>{300, 301, 302, 303, 310, 311, 312}));
    }
    EXPECT_EQ(FreshLoad(c.order, filters, window).size(), 42u);
}

INSTANTIATE_TEST_SUITE_P(
    Follow, OrderNotices,
    ::testing::Values(OrderCase{"Ascending", LoadOrder::Ascending, 42,
                                "4 records arrived out of time order; press Filter ! to re-sort"},
                      OrderCase{"Descending", LoadOrder::Descending, 35, "7 new records: press Filter ! to show them"}),
    [](const auto& info) { return std::string(info.param.name); });

// A day file that shrinks or is replaced (same name, another inode) stops the follow with a notice; the
// records so far stay, and nothing of the other bytes is ever taken.
struct ChangeCase {
    const char* name;
    void (*change)(const std::string& path, const std::string& folder);
    const char* says;
    bool events = true;  // false: polled, so that a change of two steps falls between two looks
};

void Shrink(const std::string& path, const std::string&) { std::filesystem::resize_file(path, 40); }

void Replace(const std::string& path, const std::string& folder) {
    const std::string other = folder + "/new.tmp";
    DayFileBytes().Records(30, LoadFixture::Day(0) + 7, 900).WriteTo(other);
    std::filesystem::rename(other, path);
}

// The same inode written again, longer than before: cut to nothing and rewritten in one go, or overwritten
// in place and grown. Its size alone would say it only grew.
std::vector<std::uint8_t> OtherContent() { return DayFileBytes().Records(30, LoadFixture::Day(0) + 7, 900).Bytes(); }

void Rewrite(const std::string& path, const std::string&) {
    const auto bytes = OtherContent();
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

void Overwrite(const std::string& path, const std::string&) {
    const auto bytes = OtherContent();
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

class ChangedFile : public LiveFollowTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(ChangedFile, StopsTheFollowAndNeverMixesBytes) {
    const ChangeCase c = GetParam();
    DayFileBytes().Records(20, Day(0)).WriteTo(DayFile(0));
    Follow(LoadOrder::Stored, {}, {}, c.events);
    Append(DayFile(0), Frames(2, Day(0) + 100, 100));
    EXPECT_TRUE(WaitForShown(22));
    c.change(DayFile(0), data.Path());
    ASSERT_TRUE(WaitFor([&] { return !target.Texts(UM_FOLLOW_STOPPED).empty(); }));
    const std::string text = target.Texts(UM_FOLLOW_STOPPED).front();
    EXPECT_NE(text.find(c.says), std::string::npos) << text;
    EXPECT_NE(text.find("LG050109.txt"), std::string::npos) << text;
    Append(DayFile(0), Frames(5, Day(0) + 200, 500));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Shown(), 22);
    EXPECT_TRUE(target.Counts(UM_LOAD_FAILED).empty());
}

INSTANTIATE_TEST_SUITE_P(Follow, ChangedFile,
                         ::testing::Values(ChangeCase{"Shrunk", Shrink, "became shorter"},
                                           ChangeCase{"Replaced", Replace, "was replaced"},
                                           ChangeCase{"CutAndRewrittenLonger", Rewrite, "was replaced", false},
                                           ChangeCase{"OverwrittenAndGrown", Overwrite, "was replaced"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Other consumers (the loop window, the analysis) are told of every new record, unfiltered, once.
class CountingListener : public ILiveRecordListener {
public:
    void OnLiveRecord(const LiveRecord& record) override {
        seen.push_back(TagOf(record.record));
        if (record.serial >= 0) ++inStore;
    }
    void OnLiveRecordsPublished(std::int64_t total) override { published = total; }
    std::vector<std::uint32_t> seen;
    std::int64_t inStore = 0;
    std::atomic<std::int64_t> published{0};
};

TEST_F(LiveFollowTest, AListenerIsToldOfEveryNewRecordOnce) {
    DayFileBytes().Records(10, Day(0)).WriteTo(DayFile(0));
    CountingListener listener;
    database.SetLiveListener(&listener);
    const FilterList filters = Filters([](const CRecord& r) { return TagOf(r) % 2 == 0; });
    Follow(LoadOrder::Stored, filters);
    Append(DayFile(0), Frames(6, Day(0) + 100, 20));
    EXPECT_TRUE(WaitFor([&] { return listener.published == 8; }));
    database.StopLoad();
    EXPECT_EQ(listener.seen, (std::vector<std::uint32_t>{20, 21, 22, 23, 24, 25}));
    EXPECT_EQ(listener.inStore, 3);
}

}  // namespace
}  // namespace vyx::test
