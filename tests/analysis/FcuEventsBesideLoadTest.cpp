// The events pass run beside the load that feeds it gives exactly what it gives after the load: also where a
// day file that the load finishes late has records before those the pass has passed.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "analysis/FcuEventsBuilder.h"
#include "analysis/LoopTestSupport.h"
#include "decode/FCUParse.h"
#include "logdata/DataFolder.h"
#include "logdata/LoadPipeline.h"
#include "simulator/LoggerSimulator.h"

namespace vyx::test {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The last day file gets a copy of the first whole frames of the first one: records a day before all others,
// which the load reaches last.
void StepBackInLastFile(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("LG", 0) == 0) files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
        // LGddmmyy: by year, month, day
        const auto key = [](const std::string& p) {
            const std::string n = std::filesystem::path(p).filename().string();
            return n.substr(6, 2) + n.substr(4, 2) + n.substr(2, 2);
        };
        return key(a) < key(b);
    });
    const std::string all = ReadAll(files.front());
    std::size_t at = 0;
    while (at + 2 <= all.size() && at < 4000) {
        const int length = static_cast<unsigned char>(all[at]) * 256 + static_cast<unsigned char>(all[at + 1]);
        if (length < 7 || length > 302 || at + static_cast<std::size_t>(length) > all.size()) break;
        at += static_cast<std::size_t>(length);
    }
    std::ofstream(files.back(), std::ios::binary | std::ios::app) << all.substr(0, at);
}

TEST(FcuEventsBesideLoad, GivesWhatThePassAfterTheLoadGives) {
    for (const bool stepBack : {false, true}) {
        SCOPED_TRACE(stepBack ? "a late file steps back" : "files in time order");
        TempDir folder;
        sim::SimulatorOptions options;
        options.days = 8;
        options.recordsPerDay = 20000;
        options.seed = 11;
        options.clockJumps = true;
        sim::GenerateDataFolder(folder.Path(), options);
        if (stepBack) StepBackInLastFile(folder.Path());
        LoadedFolder after;
        after.Load(folder.Path(), 1000);

        TempDir temp;
        FilterList filters;
        CRecordDatabase database(temp.Path(), nullptr);
        LoadRequest request;
        request.folder = folder.Path();
        request.order = LoadOrder::Ascending;
        std::atomic<bool> loadEnded{false};
        FcuEventsBuildOptions build;
        build.tempFolder = temp.Path();
        build.checkpointInterval = 1000;
        build.loadEnded = &loadEnded;
        const FCUConfigurationList configuration =
            CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(folder.Path()));
        ASSERT_TRUE(RunLoadSequence(database, filters, {}, request).started);
        std::unique_ptr<CFcuEvents> beside;
        std::thread pass([&] { beside = BuildFcuEvents(database, configuration, build); });
        database.WaitForLoad();
        loadEnded.store(true);
        pass.join();

        ASSERT_TRUE(beside != nullptr);
        EXPECT_EQ(beside->RecordCount(), after.events->RecordCount());
        EXPECT_EQ(beside->FirstTime(), after.events->FirstTime());
        EXPECT_EQ(beside->LastTime(), after.events->LastTime());
        EXPECT_TRUE(AllEvents(*beside) == AllEvents(*after.events));
        ASSERT_EQ(beside->Checkpoints().size(), after.events->Checkpoints().size());
        EXPECT_TRUE(ReadAll(beside->CheckpointsPath()) == ReadAll(after.events->CheckpointsPath()));
    }
}

}  // namespace
}  // namespace vyx::test
