// The events of a followed folder grow with what the logger writes: whatever was read by the events' own
// load, by the follow while they were computed, or by the follow later, they end as the events of the
// finished folder built afresh.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "analysis/FcuEventsAppender.h"
#include "analysis/LiveFcuEvents.h"
#include "analysis/LoopStateQuery.h"
#include "analysis/LoopTestSupport.h"
#include "decode/FCUParse.h"
#include "logdata/DataFolder.h"
#include "logdata/RecordDatabase.h"
#include "simulator/LoggerSimulator.h"

namespace vyx::test {
namespace {

using namespace std::chrono_literals;

std::vector<char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Appends bytes [from, to) of `bytes` the way the logger does: at the end, through a descriptor of its own.
void Append(const std::string& path, const std::vector<char>& bytes, std::size_t from, std::size_t to) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data() + from, to - from), static_cast<ssize_t>(to - from));
    ::close(fd);
}

class StartWatch final : public ILoadNotificationTarget {
public:
    void Post(LoadNotification n) override {
        if (n.message == UM_FOLLOW_STARTED) started = true;
        if (n.message == UM_FOLLOW_PROGRESS) published = std::max<std::int64_t>(published, n.count);
    }
    std::atomic<bool> started{false};
    std::atomic<std::int64_t> published{0};
};

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = 20s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// What an event says, with its day file by path (the two builds may number day files differently).
struct NamedEvent {
    FcuEvent event;
    std::string dayFile;
    bool operator==(const NamedEvent&) const = default;
};

std::vector<NamedEvent> Named(const CFcuEvents& events) {
    std::vector<NamedEvent> named;
    for (FcuEvent e : AllEvents(events)) {
        const std::string path = events.DayFiles().at(e.dayFile);
        e.dayFile = 0;
        named.push_back({e, path});
    }
    return named;
}

TEST(LiveFcuEvents, EventsGrownWhileFollowedEqualThoseOfTheFinishedFolder) {
    TempDir finished;
    TempDir data;
    TempDir temp;
    sim::SimulatorOptions options;
    options.days = 3;
    options.recordsPerDay = 2500;
    options.seed = 22;
    options.faults = false;
    const sim::SimulatorSummary summary = sim::GenerateDataFolder(finished.Path(), options);
    ASSERT_EQ(summary.dayFiles.size(), 3u);
    std::vector<std::vector<char>> days;
    for (const std::string& path : summary.dayFiles) days.push_back(ReadAll(path));
    const auto live = [&](int d) {
        return data.Path() + "/" + std::filesystem::path(summary.dayFiles[static_cast<std::size_t>(d)]).filename().string();
    };

    // The logger has written the first day and part of the second, cut inside a frame.
    std::filesystem::copy_file(FCUInformationFilePath(finished.Path()), FCUInformationFilePath(data.Path()));
    Append(live(0), days[0], 0, days[0].size());
    const std::size_t half = days[1].size() / 2 + 3;
    Append(live(1), days[1], 0, half);

    // The list's load follows the folder; the loop's listener is there before its events are computed.
    CLiveFcuEvents listener(data.Path(), options.modbusBase, false);
    StartWatch watch;
    CRecordDatabase list(temp.Path(), &watch);
    list.SetLiveListener(&listener);
    ScanDataFolder(data.Path(), list);
    list.SetLoadOrder(LoadOrder::Ascending);
    FollowSettings follow;
    follow.enabled = true;
    follow.folder = data.Path();
    follow.quietTime = 300ms;
    follow.checkInterval = 100ms;
    list.SetFollow(follow);
    list.StartLoad({});
    ASSERT_TRUE(WaitFor([&] { return watch.started.load(); }));

    LoadedFolder computed;
    computed.Load(data.Path(), 97);
    // Written while the events were computed: the follow reads it, the events' load did not.
    const std::size_t threeQuarters = days[1].size() * 3 / 4;
    Append(live(1), days[1], half, threeQuarters);
    ASSERT_TRUE(WaitFor([&] { return watch.published.load() > computed.events->RecordCount(); }));

    std::mutex mutex;
    std::shared_ptr<const CFcuEvents> latest;
    std::string failure;
    latest = listener.Attach(*computed.events, [&](std::shared_ptr<const CFcuEvents> events, const std::string& f) {
        std::lock_guard lock(mutex);
        if (events) latest = std::move(events);
        failure = f;
    });
    EXPECT_EQ(latest->RecordCount(), watch.published.load());

    // Written after: the rest of the second day, and the third day in two writes, the first cut in a frame.
    Append(live(1), days[1], threeQuarters, days[1].size());
    Append(live(2), days[2], 0, days[2].size() / 3 + 1);
    std::this_thread::sleep_for(150ms);
    Append(live(2), days[2], days[2].size() / 3 + 1, days[2].size());
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(mutex);
        return latest->RecordCount() == summary.records;
    })) << "records: " << latest->RecordCount() << " of " << summary.records;
    list.StopLoad();
    EXPECT_EQ(failure, "");

    LoadedFolder fresh;
    fresh.Load(data.Path(), 97);
    EXPECT_EQ(latest->OutOfOrderRecords(), 0u);
    EXPECT_EQ(latest->FirstTime(), fresh.events->FirstTime());
    EXPECT_EQ(latest->LastTime(), fresh.events->LastTime());
    ASSERT_EQ(latest->EventCount(), fresh.events->EventCount());
    EXPECT_TRUE(Named(*latest) == Named(*fresh.events));
    // The checkpoints written as the events grew answer as those of the fresh build.
    EXPECT_EQ(latest->Checkpoints().size(), fresh.events->Checkpoints().size());
    CLoopStateQuery grown(*latest);
    CLoopStateQuery built(*fresh.events);
    for (int k = 0; k <= 40; ++k) {
        const std::uint32_t t = fresh.events->FirstTime() +
                                static_cast<std::uint32_t>(std::uint64_t{fresh.events->LastTime() - fresh.events->FirstTime()} * k / 40);
        ASSERT_TRUE(grown.StateAt(t) == built.StateAt(t)) << "at " << t;
    }
}

TEST(LiveFcuEvents, ARecordTakenOnceAndOneFromBeforeTheLastIsFlagged) {
    TempDir folder;
    sim::SimulatorOptions options;
    options.days = 1;
    options.recordsPerDay = 600;
    options.faults = false;
    const sim::SimulatorSummary summary = sim::GenerateDataFolder(folder.Path(), options);
    LoadedFolder loaded;
    loaded.Load(folder.Path());
    const CFcuEvents& built = *loaded.events;
    CFcuEventsAppender appender(built, CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(folder.Path())),
                                options.modbusBase, false);

    CRecord record;
    record.m_nTime = built.LastTime() - 3600;
    record.m_nMessageMode = kModeStartupSequence;
    // A record the events hold already (its offset lies before the day file's end) is not taken again.
    appender.Add(record, summary.dayFiles[0], 0, 20);
    EXPECT_EQ(appender.RecordsAdded(), 0);
    // A record of a new day file whose time lies an hour back: added, and the state from then on is stale.
    const std::string later = folder.Path() + "/LG070109.txt";
    { std::ofstream(later, std::ios::binary) << std::string(20, '\0'); }
    appender.Add(record, later, 0, 20);
    record.m_nTime = built.LastTime() + 10;
    appender.Add(record, later, 20, 20);
    const auto grown = appender.Publish();
    EXPECT_EQ(appender.RecordsAdded(), 2);
    EXPECT_EQ(grown->RecordCount(), built.RecordCount() + 2);
    EXPECT_EQ(grown->OutOfOrderRecords(), 1u);
    EXPECT_EQ(grown->StaleFrom(), built.LastTime() - 3600);
    EXPECT_EQ(grown->LastTime(), built.LastTime() + 10);
    EXPECT_EQ(grown->DayFiles().back(), later);
    EXPECT_EQ(built.RecordCount(), summary.records);  // the snapshot it started from is unchanged
}

}  // namespace
}  // namespace vyx::test
