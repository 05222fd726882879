// The events pass against the plainest pass that could give its result: every record of the load decoded,
// put in time order by a stable sort of the load's serial order, and handed to the extractor. The builder
// merges the day files by time, reads only the heads of most records and writes on other threads; its events,
// checkpoints and spans must be exactly those.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "analysis/FcuEventExtractor.h"
#include "analysis/FcuEventStream.h"
#include "analysis/FcuEventsBuilder.h"
#include "analysis/LoopTestSupport.h"
#include "decode/FCUParse.h"
#include "logdata/DataFolder.h"
#include "platform/File.h"
#include "platform/FileError.h"
#include "report/ReportRecordReader.h"
#include "simulator/LoggerSimulator.h"

namespace vyx::test {
namespace {

struct Reference {
    std::vector<FcuEvent> events;
    std::vector<FcuCheckpoint> checkpoints;
    std::vector<LoopState> states;  // at each checkpoint
    std::uint32_t firstTime = 0;
    std::uint32_t lastTime = 0;
};

class CReferenceSink final : public IFcuEventSink {
public:
    CReferenceSink(Reference& out, const LoopState& state, std::uint64_t interval)
        : m_out(out), m_state(state), m_interval(interval) {}
    // A checkpoint at the end of the record that brings the interval's last event.
    void AddRecord(std::span<const FcuEvent> events) override {
        const std::size_t before = m_out.events.size();
        m_out.events.insert(m_out.events.end(), events.begin(), events.end());
        const std::uint64_t last = m_out.checkpoints.empty() ? 0 : m_out.checkpoints.back().events;
        if (before < last + m_interval && m_out.events.size() >= last + m_interval) {
            m_out.checkpoints.push_back({m_out.events.size(), events.back().time});
            m_out.states.push_back(m_state);
        }
    }

private:
    Reference& m_out;
    const LoopState& m_state;
    std::uint64_t m_interval;
};

Reference ReferencePass(const LoadedFolder& loaded, const std::string& folder, std::uint64_t interval) {
    struct Item {
        CRecord record;
        RecordPlace place;
    };
    std::vector<Item> items;
    CReportRecordReader reader(loaded.database);
    const std::vector<std::string>& dayFiles = loaded.events->DayFiles();
    CRecord record;
    for (SerialNumber serial = 0; reader.GetRecord(serial, record); ++serial) {
        const auto file = std::find(dayFiles.begin(), dayFiles.end(), reader.CurrentFile()->Path());
        items.push_back({record, {static_cast<std::uint16_t>(file - dayFiles.begin()),
                                  static_cast<std::uint32_t>(reader.CurrentOffset()), serial}});
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.record.m_nTime < b.record.m_nTime; });
    Reference out;
    if (!items.empty()) {
        out.firstTime = items.front().record.m_nTime;
        out.lastTime = items.back().record.m_nTime;
    }
    const CRecordToParameterXferConverter converter(
        CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(folder)));
    auto state = std::make_unique<LoopState>();
    CFcuEventExtractor extractor(converter, loaded.database.Settings().modbusBaseAddress, *state);
    CReferenceSink sink(out, *state, interval);
    for (const Item& item : items) extractor.Extract(item.record, item.place, sink);
    return out;
}

// The first whole frames of a day file, up to about `bytes` bytes.
std::string FirstFrames(const std::string& path, std::size_t bytes) {
    std::ifstream in(path, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t at = 0;
    while (at + 2 <= all.size() && at < bytes) {
        const int length = static_cast<unsigned char>(all[at]) * 256 + static_cast<unsigned char>(all[at + 1]);
        if (length < 7 || length > 302 || at + static_cast<std::size_t>(length) > all.size()) break;
        at += static_cast<std::size_t>(length);
    }
    return all.substr(0, at);
}

// Each day file gets a copy of the first records of the next one at its end, and the last one those of the
// first: the files' times now overlap (a clock that stepped by a day), with records of equal time in two files.
void CrossDays(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("LG", 0) == 0) files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> heads;
    for (const std::string& file : files) heads.push_back(FirstFrames(file, 6000));
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::ofstream(files[i], std::ios::binary | std::ios::app) << heads[(i + 1) % files.size()];
    }
}

TEST(FcuEventsBuilder, GivesWhatADecodeOfEveryRecordInTimeOrderGives) {
    const struct {
        std::uint32_t seed;
        int days;
        int recordsPerDay;
        bool clockJumps;
        bool crossDays;
        std::uint64_t interval;
        bool monthsLater;  // more days five months on: a block across the gap cannot be packed
    } cases[] = {
        {18, 3, 4000, true, false, 257, false},  // clock steps back within a day
        {5, 4, 3000, false, true, 1000, false},  // files whose times overlap
        {7, 2, 60000, true, true, kDefaultCheckpointInterval, false},  // more than a write block of events
        {9, 2, 20000, false, false, 1000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "seed " << c.seed);
        TempDir folder;
        sim::SimulatorOptions options;
        options.days = c.days;
        options.recordsPerDay = c.recordsPerDay;
        options.seed = c.seed;
        options.clockJumps = c.clockJumps;
        sim::GenerateDataFolder(folder.Path(), options);
        if (c.monthsLater) {
            options.startMonth = 6;
            sim::GenerateDataFolder(folder.Path(), options);
        }
        if (c.crossDays) CrossDays(folder.Path());
        LoadedFolder loaded;
        loaded.Load(folder.Path(), c.interval);
        const Reference expected = ReferencePass(loaded, folder.Path(), c.interval);
        const CFcuEvents& built = *loaded.events;

        ASSERT_GT(expected.events.size(), 1000u);
        EXPECT_EQ(built.EventCount(), expected.events.size());
        EXPECT_TRUE(AllEvents(built) == expected.events);
        const auto whole = std::count_if(built.Blocks().begin(), built.Blocks().end(),
                                         [](const FcuEventBlock& b) { return !b.packed; });
        EXPECT_EQ(whole, c.monthsLater ? 1 : 0);
        EXPECT_EQ(built.FirstTime(), expected.firstTime);
        EXPECT_EQ(built.LastTime(), expected.lastTime);
        ASSERT_EQ(built.Checkpoints().size(), expected.checkpoints.size());
        for (std::size_t i = 0; i < expected.checkpoints.size(); ++i) {
            EXPECT_EQ(built.Checkpoints()[i].events, expected.checkpoints[i].events);
            EXPECT_EQ(built.Checkpoints()[i].lastTime, expected.checkpoints[i].lastTime);
        }
        EXPECT_EQ(std::filesystem::file_size(built.CheckpointsPath()), expected.states.size() * sizeof(LoopState));
        CInputFile checkpoints(built.CheckpointsPath());
        auto state = std::make_unique<LoopState>();
        for (std::size_t i = 0; i < expected.states.size(); ++i) {
            ASSERT_EQ(checkpoints.ReadAt(i * sizeof(LoopState), state.get(), sizeof(LoopState)), sizeof(LoopState));
            ASSERT_TRUE(*state == expected.states[i]) << "checkpoint " << i;
        }
    }
}

// The events are written on another thread: a full disk there still ends the pass as a file error, and nothing
// is left of it.
TEST(FcuEventsBuilder, AFailedWriteOfTheEventsFailsThePassAndLeavesNothing) {
    TempDir folder;
    sim::SimulatorOptions options;
    options.days = 2;
    options.recordsPerDay = 60000;
    sim::GenerateDataFolder(folder.Path(), options);
    LoadedFolder loaded;
    loaded.Load(folder.Path());
    ASSERT_GT(loaded.events->EventCount() * sizeof(FcuEvent), std::size_t{8} << 20);  // several write blocks
    TempDir temp;
    std::atomic<std::size_t> written{0};
    SetWriteFaultHook([&](const std::string& path, std::size_t bytes) {
        if (path.find("fcu-events") == std::string::npos) return 0;
        return (written += bytes) > (std::size_t{2} << 20) ? ENOSPC : 0;
    });
    FcuEventsBuildOptions build;
    build.tempFolder = temp.Path();
    try {
        BuildFcuEvents(loaded.database, CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(folder.Path())),
                       build);
        ADD_FAILURE() << "the pass did not fail";
    } catch (const CFileError& e) {
        EXPECT_EQ(e.ErrorNumber(), ENOSPC);
    }
    SetWriteFaultHook(nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));
}

// The read-ahead stream gives every event in order; left early, it stops; a file cut short ends it with the
// file error, after the events before the cut.
TEST(FcuEventStream, GivesEveryEventInOrderStopsWhenLeftAndReportsACutFile) {
    TempDir folder;
    sim::SimulatorOptions options;
    options.days = 2;
    options.recordsPerDay = 30000;
    sim::GenerateDataFolder(folder.Path(), options);
    LoadedFolder loaded;
    loaded.Load(folder.Path());
    const std::vector<FcuEvent> expected = AllEvents(*loaded.events);
    ASSERT_GT(expected.size(), 20 * kEventBlockEvents);

    std::vector<FcuEvent> streamed;
    {
        CFcuEventStream stream(*loaded.events);
        for (auto block = stream.Next(); !block.empty(); block = stream.Next()) {
            streamed.insert(streamed.end(), block.begin(), block.end());
        }
        EXPECT_TRUE(stream.Next().empty());
    }
    EXPECT_TRUE(streamed == expected);

    { CFcuEventStream left(*loaded.events); }  // never read: must not wait for a reader
    {
        CFcuEventStream left(*loaded.events);
        EXPECT_FALSE(left.Next().empty());
    }

    const std::string& path = loaded.events->EventsPath();
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    CFcuEventStream cut(*loaded.events);
    std::size_t before = 0;
    try {
        for (auto block = cut.Next(); !block.empty(); block = cut.Next()) before += block.size();
        ADD_FAILURE() << "a cut file gave no error";
    } catch (const CFileError& e) {
        EXPECT_EQ(e.ErrorNumber(), EIO);
    }
    EXPECT_GT(before, 0u);
    EXPECT_LT(before, expected.size());
}

}  // namespace
}  // namespace vyx::test
