// The toolkit-free pieces of the viewer's loop window: the histogram of records by kind (checked against a
// count of its own over every event), the tile rules, the timeline's lanes, and the worker that answers a
// slider (its last answer is the replay's state however many requests it dropped).

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <numeric>
#include <random>

#include "analysis/EventRecordReader.h"
#include "analysis/FcuTimeline.h"
#include "analysis/LoopStateQuery.h"
#include "analysis/LoopStateWorker.h"
#include "analysis/LoopTestSupport.h"
#include "analysis/LoopTiles.h"
#include "analysis/TimeHistogram.h"
#include "logdata/DataFolder.h"
#include "simulator/LoggerSimulator.h"

namespace vyx::test {
namespace {

class LoopViewPieces : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = new TempDir;
        sim::SimulatorOptions options;
        options.days = 2;
        options.recordsPerDay = 3000;
        options.seed = 41;
        options.clockJumps = true;
        sim::GenerateDataFolder(s_folder->Path(), options);
        s_loaded = new LoadedFolder;
        s_loaded->Load(s_folder->Path(), 500);
        s_all = new std::vector<FcuEvent>(AllEvents(*s_loaded->events));
    }
    static void TearDownTestSuite() {
        delete s_all;
        delete s_loaded;
        delete s_folder;
    }
    static const CFcuEvents& Events() { return *s_loaded->events; }

    static TempDir* s_folder;
    static LoadedFolder* s_loaded;
    static std::vector<FcuEvent>* s_all;
};
TempDir* LoopViewPieces::s_folder = nullptr;
LoadedFolder* LoopViewPieces::s_loaded = nullptr;
std::vector<FcuEvent>* LoopViewPieces::s_all = nullptr;

TEST_F(LoopViewPieces, RecordsByKindCountEveryRecordOnceUnderItsFirstKind) {
    const TimeHistogram h = RecordsByKind(Events(), 300);
    ASSERT_GT(h.Buckets(), 0u);
    EXPECT_EQ(h.Total(), static_cast<std::uint64_t>(Events().RecordCount()));
    // A count of its own: each record's events, by Sr.No., give the record's first kind.
    std::map<std::int64_t, int> kindOf;
    for (const FcuEvent& e : *s_all) {
        int kind = static_cast<int>(RecordKind::Report);
        if (e.edge != FcuEventEdge::Initial) {
            switch (e.kind) {
                case FcuEventKind::Alarm:
                case FcuEventKind::LoopFault: kind = static_cast<int>(RecordKind::Alarm); break;
                case FcuEventKind::Command: kind = static_cast<int>(RecordKind::Command); break;
                case FcuEventKind::Status:
                case FcuEventKind::SystemStatus: kind = static_cast<int>(RecordKind::Status); break;
                case FcuEventKind::Position: kind = static_cast<int>(RecordKind::Position); break;
                case FcuEventKind::Heard: break;
            }
        }
        auto [it, added] = kindOf.emplace(e.Serial(), kind);
        if (!added) it->second = std::min(it->second, kind);
    }
    std::array<std::uint64_t, kRecordKinds> expected{};
    for (const auto& [serial, kind] : kindOf) ++expected[static_cast<std::size_t>(kind)];
    expected[static_cast<std::size_t>(RecordKind::Other)] = static_cast<std::uint64_t>(Events().RecordCount()) - kindOf.size();
    for (int k = 0; k < kRecordKinds; ++k) {
        std::uint64_t got = 0;
        for (std::size_t b = 0; b < h.Buckets(); ++b) got += h.At(b, k);
        EXPECT_EQ(got, expected[static_cast<std::size_t>(k)]) << RecordKindText(static_cast<RecordKind>(k));
    }
    // Any number of columns over the whole span shows every record once; half the span about half.
    for (int columns : {1, 7, 300, 1000, 4096}) {
        const auto cells = h.Columns(h.from, static_cast<std::uint32_t>(h.To()), columns);
        EXPECT_EQ(std::accumulate(cells.begin(), cells.end(), std::uint64_t{0}), h.Total()) << columns;
    }
    const auto half = h.Columns(h.from, h.from + static_cast<std::uint32_t>((h.To() - h.from) / 2), 50);
    const std::uint64_t halfTotal = std::accumulate(half.begin(), half.end(), std::uint64_t{0});
    EXPECT_GT(halfTotal, h.Total() / 4);
    EXPECT_LT(halfTotal, h.Total() * 3 / 4);
}

TEST_F(LoopViewPieces, DayFileBytesGiveOneBucketPerDay) {
    const DataFolderListing listing = ListDayFiles(s_folder->Path());
    const TimeHistogram h = DayFileBytes(listing);
    std::uint64_t bytes = 0;
    for (const auto& [name, day] : listing.dayFiles) bytes += std::filesystem::file_size(s_folder->Path() + "/" + name);
    EXPECT_EQ(h.Total(), bytes);
    EXPECT_EQ(h.bucketSeconds, 86400u);
    EXPECT_EQ(h.Buckets(), (listing.scan.lastDay - listing.scan.firstDay) / 86400 + 1);
    EXPECT_EQ(DayFileBytes(DataFolderListing{}).Buckets(), 0u);
}

// One FCU's state, made by hand, against the condition its tile shows at t = 10000.
struct TileCase {
    const char* name;
    std::uint32_t alarms;
    std::uint32_t status;
    std::uint32_t heardA;  // 0: never
    std::uint32_t heardB;
    TileCondition expected;
    ChannelMark markA;
    ChannelMark markB;
};

TEST(LoopTileRules, ConditionsInOrderOfPrecedence) {
    const TileCase cases[] = {
        {"nothing heard", 0, 0, 0, 0, TileCondition::Unknown, ChannelMark::Never, ChannelMark::Never},
        {"heard, quiet", 0, 0, 9990, 0, TileCondition::Normal, ChannelMark::Heard, ChannelMark::Never},
        {"valve jammed beats moving", 1u << 15, 1u << 12, 9990, 9990, TileCondition::Stopped, ChannelMark::Heard,
         ChannelMark::Heard},
        {"stopped in mid travel", 0, 1u << 7, 9990, 0, TileCondition::Stopped, ChannelMark::Heard, ChannelMark::Never},
        {"comms fail is an alarm", 1u << 2, 0, 9990, 0, TileCondition::Alarm, ChannelMark::Heard, ChannelMark::Never},
        {"REMOTE alone is no alarm", 1u << 4, 0, 9990, 0, TileCondition::Normal, ChannelMark::Heard, ChannelMark::Never},
        {"motor running", 0, 1u << 9, 9990, 0, TileCondition::Moving, ChannelMark::Heard, ChannelMark::Never},
        {"silent on both", 0, 1u << 9, 6000, 5000, TileCondition::Silent, ChannelMark::Silent, ChannelMark::Silent},
        {"B silent, A heard", 0, 0, 9990, 5000, TileCondition::Normal, ChannelMark::Heard, ChannelMark::Silent},
        {"an alarm outweighs silence", 1u << 2, 0, 5000, 0, TileCondition::Alarm, ChannelMark::Silent, ChannelMark::Never},
    };
    TileRules rules;
    rules.silentAfter = 3600;
    for (const TileCase& c : cases) {
        auto state = std::make_unique<LoopState>();
        FcuState& f = state->fcus[7];
        f.seen = c.heardA || c.heardB;
        f.statusChannel = f.alarmChannel = c.heardA ? 0 : 1;
        FcuChannelView& v = f.channel[f.statusChannel];
        v.alarmMask = c.alarms;
        v.statusMask = c.status;
        f.channel[0].heard = c.heardA != 0;
        f.channel[0].lastHeard = c.heardA;
        f.channel[1].heard = c.heardB != 0;
        f.channel[1].lastHeard = c.heardB;
        EXPECT_EQ(ConditionOf(*state, 7, 10000, rules), c.expected) << c.name;
        CFcuEvents none;
        const LoopTile tile = MakeTile(none, *state, 7, 10000, rules);
        EXPECT_EQ(tile.channels[0], c.markA) << c.name;
        EXPECT_EQ(tile.channels[1], c.markB) << c.name;
        EXPECT_EQ(tile.label, "7");
    }
}

TEST_F(LoopViewPieces, TimelineLanesHoldTheFcusEventsOfTheSpanByKind) {
    const std::uint32_t from = Events().FirstTime() + 3600;
    const std::uint32_t to = Events().LastTime() - 3600;
    for (int fcu : {kLoopFcu, 2, 38}) {
        const FcuTimeline timeline = CollectFcuTimeline(Events(), fcu, from, to);
        std::array<std::vector<FcuEvent>, kTimelineLanes> expected;
        for (const FcuEvent& e : *s_all) {
            const int owner = e.fcu > kMaxFcuNumber ? kLoopFcu : e.fcu;
            if (owner == fcu && e.time >= from && e.time <= to) expected[static_cast<std::size_t>(LaneOf(e))].push_back(e);
        }
        std::size_t total = 0;
        for (int lane = 0; lane < kTimelineLanes; ++lane) {
            const auto& marks = timeline.lanes[static_cast<std::size_t>(lane)];
            EXPECT_EQ(marks, expected[static_cast<std::size_t>(lane)]) << "FCU " << fcu << " lane " << lane;
            total += marks.size();
            // Columns over any stretch hold each of its marks once, in order.
            const std::uint32_t begin = from + 1000;
            const std::uint32_t end = to - 1000;
            std::size_t inside = 0;
            for (const FcuEvent& e : marks) inside += e.time >= begin && e.time < end;
            std::size_t counted = 0;
            std::size_t next = 0;
            for (const LaneColumn& column : LaneColumns(marks, begin, end, 333)) {
                if (column.count == 0) continue;
                EXPECT_GE(column.first, next);
                next = column.first + column.count;
                counted += column.count;
            }
            EXPECT_EQ(counted, inside);
        }
        EXPECT_GT(total, 0u) << "FCU " << fcu;
    }
    // The nearest mark, and none beyond the tolerance.
    const std::vector<FcuEvent> marks = {[] { FcuEvent e; e.time = 100; return e; }(),
                                         [] { FcuEvent e; e.time = 200; return e; }()};
    EXPECT_EQ(NearestMark(marks, 160, 50), std::optional<std::size_t>(1));
    EXPECT_EQ(NearestMark(marks, 140, 50), std::optional<std::size_t>(0));
    EXPECT_EQ(NearestMark(marks, 150, 10), std::nullopt);
}

TEST_F(LoopViewPieces, EventRecordsAreReadBackAtTheirPlace) {
    CEventRecordReader reader(Events(), kDefaultModbusBaseAddress);
    for (std::size_t i = 0; i < s_all->size(); i += s_all->size() / 17) {
        const FcuEvent& e = (*s_all)[i];
        const auto record = reader.Read(e);
        ASSERT_TRUE(record.has_value()) << i;
        EXPECT_EQ(record->m_nTime, e.time);
        const RecordLocation place = reader.LocationOf(e);
        EXPECT_EQ(place.offset, e.offset);
        EXPECT_EQ(place.dayFile, Events().DayFiles()[e.dayFile]);
        EXPECT_NE(EventRecordText(e, record).find("Sr.No. " + std::to_string(e.Serial() + 1)), std::string::npos);
    }
}

TEST_F(LoopViewPieces, StateWorkerAnswersTheLatestRequest) {
    // The worker shares the events; this suite keeps them, so hand it a non-owning pointer.
    std::shared_ptr<const CFcuEvents> events(&Events(), [](const CFcuEvents*) {});
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<LoopStateAnswer> answers;
    CLoopStateWorker worker(events, [&](LoopStateAnswer a) {
        std::lock_guard lock(mutex);
        answers.push_back(std::move(a));
        arrived.notify_all();
    });
    std::mt19937 random(3);
    std::uniform_int_distribution<std::uint32_t> moment(Events().FirstTime(), Events().LastTime());
    std::uint64_t last = 0;
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    for (int i = 0; i < 200; ++i) {
        first = moment(random);
        second = moment(random);
        last = worker.Ask(first, i % 2 ? std::optional<std::uint32_t>(second) : std::nullopt);
    }
    std::unique_lock lock(mutex);
    ASSERT_TRUE(arrived.wait_for(lock, std::chrono::seconds(30), [&] {
        return !answers.empty() && answers.back().request.generation == last;
    }));
    EXPECT_LE(answers.size(), 200u);
    for (std::size_t i = 1; i < answers.size(); ++i) EXPECT_LT(answers[i - 1].request.generation, answers[i].request.generation);
    const LoopStateAnswer& a = answers.back();
    ASSERT_TRUE(a.failure.empty());
    ASSERT_TRUE(a.first && a.second);
    EXPECT_TRUE(*a.first == ReplayFromStart(Events(), first));
    EXPECT_TRUE(*a.second == ReplayFromStart(Events(), second));
    const auto before = std::make_unique<LoopState>(ReplayFromStart(Events(), std::min(first, second)));
    const auto after = std::make_unique<LoopState>(ReplayFromStart(Events(), std::max(first, second)));
    EXPECT_EQ(a.differences.size(), CompareLoopStates(*before, *after).size());
}

}  // namespace
}  // namespace vyx::test
