// The state at any moment, answered from checkpoints and a short replay, is the state a replay of every
// event from the first gives; and every event points at the record it came from.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <random>

#include "analysis/FolderEvents.h"
#include "analysis/LoopStateQuery.h"
#include "analysis/LoopTestSupport.h"
#include "logdata/FrameReading.h"
#include "logdata/Parse.h"
#include "platform/File.h"
#include "simulator/LoggerSimulator.h"

namespace vyx::test {
namespace {

struct GeneratedFolder {
    TempDir folder;
    LoadedFolder loaded;

    explicit GeneratedFolder(std::uint64_t checkpointInterval) {
        sim::SimulatorOptions options;
        options.days = 3;
        options.recordsPerDay = 4000;
        options.seed = 18;
        options.clockJumps = true;
        sim::GenerateDataFolder(folder.Path(), options);
        loaded.Load(folder.Path(), checkpointInterval);
    }
};

TEST(LoopStateProperty, CheckpointsAndReplayEqualAReplayFromTheStart) {
    GeneratedFolder generated(257);  // an interval that does not divide the record structure
    const CFcuEvents& events = *generated.loaded.events;
    ASSERT_GT(events.Checkpoints().size(), 20u);
    CLoopStateQuery query(events);
    std::mt19937 random(7);
    std::uniform_int_distribution<std::uint32_t> moment(events.FirstTime() - 5, events.LastTime() + 5);
    // Random moments in random order (a slider going back and forth), plus the edges of the span and the
    // times of checkpoints themselves, where an off-by-one would show.
    std::vector<std::uint32_t> moments;
    for (int i = 0; i < 60; ++i) moments.push_back(moment(random));
    for (std::size_t k = 0; k < events.Checkpoints().size(); k += 7) {
        moments.push_back(events.Checkpoints()[k].lastTime);
        moments.push_back(events.Checkpoints()[k].lastTime - 1);
    }
    moments.push_back(events.FirstTime());
    moments.push_back(events.LastTime());
    for (const std::uint32_t t : moments) {
        const auto expected = std::make_unique<LoopState>(ReplayFromStart(events, t));
        ASSERT_TRUE(query.StateAt(t) == *expected) << "at " << t;
    }
}

TEST(LoopStateProperty, EventsComeInTimeOrderAndPointAtTheirRecords) {
    GeneratedFolder generated(kDefaultCheckpointInterval);
    const CFcuEvents& events = *generated.loaded.events;
    const std::vector<FcuEvent> all = AllEvents(events);
    ASSERT_GT(all.size(), 1000u);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(),
                               [](const FcuEvent& a, const FcuEvent& b) { return a.time < b.time; }));
    // Each kind of event is found in the generated mix.
    for (const FcuEventKind kind : {FcuEventKind::Command, FcuEventKind::Status, FcuEventKind::Alarm,
                                    FcuEventKind::Position, FcuEventKind::Heard, FcuEventKind::SystemStatus,
                                    FcuEventKind::LoopFault}) {
        EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const FcuEvent& e) { return e.kind == kind; }))
            << static_cast<int>(kind);
    }
    // Read from the last to the first (a list shown newest first), across the reader's blocks.
    ASSERT_GT(all.size(), 3 * 4096u);
    CFcuEventReader backwards(events);
    for (std::uint64_t i = all.size(); i-- > 0;) ASSERT_TRUE(backwards.At(i) == all[i]) << i;

    const CParse parse;
    for (std::size_t i = 0; i < all.size(); i += 97) {
        const FcuEvent& e = all[i];
        CRecord bySerial;
        ASSERT_TRUE(generated.loaded.database.GetRecord(e.Serial(), bySerial));
        CFileWindow window;
        window.Attach(std::make_shared<CInputFile>(events.DayFiles().at(e.dayFile)));
        CRecord byPlace;
        ASSERT_EQ(ReadRecordAt(window, e.offset, parse, byPlace), RecordReadStatus::Ok);
        EXPECT_EQ(bySerial.m_nTime, e.time);
        EXPECT_EQ(byPlace.m_nTime, e.time);
        EXPECT_EQ(byPlace.m_pData, bySerial.m_pData);
        EXPECT_EQ(byPlace.m_nChannel, e.channel);
    }
}

// The viewer's one call: its own load and the pass give the same events; a cancel ends it with nothing left.
TEST(LoopStateProperty, FolderEventsInOneCallAndCancelled) {
    GeneratedFolder generated(kDefaultCheckpointInterval);
    TempDir temp;
    FolderEventsRequest request;
    request.folder = generated.folder.Path();
    request.build.tempFolder = temp.Path();
    std::int64_t lastTotal = -1;
    request.build.progress = [&](std::int64_t, std::int64_t total) { lastTotal = total; };
    const auto events = BuildFolderFcuEvents(request);
    ASSERT_TRUE(events);
    EXPECT_EQ(lastTotal, events->RecordCount());
    const std::vector<FcuEvent> expected = AllEvents(*generated.loaded.events);
    EXPECT_TRUE(AllEvents(*events) == expected);

    const std::atomic<bool> cancel{true};
    request.build.cancel = &cancel;
    EXPECT_EQ(BuildFolderFcuEvents(request), nullptr);
    const auto left = std::distance(std::filesystem::directory_iterator(temp.Path()), {});
    EXPECT_EQ(left, 2);  // the two files of the events built before: no index file, log or run folder
}

}  // namespace
}  // namespace vyx::test
