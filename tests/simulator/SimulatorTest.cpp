// The logger simulator must produce every kind of message the viewer decodes, deterministically.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "support/FileText.h"
#include "logdata/DayFileReader.h"
#include "logdata/Parse.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

struct Census {
    std::map<std::pair<int, int>, int> modeByChannel;  // (mode, channel) -> count
    std::set<int> databases, sources, commands;
    int halvikMultiple = 0, modbusMultiple = 0, fcuOutOfRange = 0, invalid = 0, skipped = 0;
    int truncatedFiles = 0, emptyFiles = 0, packetKinds[8] = {};
    std::set<int> slaveOffsets;
    std::int64_t records = 0;
    int timeGoesBack = 0;
};

Census Survey(const sim::SimulatorSummary& summary) {
    Census c;
    const CParse parse;
    CRecord r;
    for (const std::string& path : summary.dayFiles) {
        CDayFileReader reader;
        reader.Open(path);
        Frame f;
        std::uint32_t lastTime = 0;
        int frames = 0;
        while (reader.Next(f)) {
            ++frames;
            if (!f.IsDecodable()) {
                ++c.skipped;
                continue;
            }
            parse.Parse(f.bytes, f.RecordSize(), r);
            if (r.m_nMessageMode == kModeUnidentified) {
                ++c.invalid;
                continue;
            }
            ++c.records;
            if (r.m_nTime < lastTime) ++c.timeGoesBack;
            lastTime = r.m_nTime;
            ++c.modeByChannel[{r.m_nMessageMode, r.m_nChannel}];
            c.sources.insert(r.m_nSource);
            c.commands.insert(r.m_nCommand);
            if (r.m_nMessageMode == kModeModbus) {
                c.databases.insert(r.m_nDatabaseType);
                if (r.m_bMultipleFCU) ++c.modbusMultiple;
                if (r.m_nDatabaseType <= 1 && r.m_nDataLength > 0) c.slaveOffsets.insert(r.m_pData[0] - 240);
            }
            if (r.m_nMessageMode == kModeHalvikCommonProtocol) {
                if (r.m_bMultipleFCU) ++c.halvikMultiple;
                if (!r.m_bFCUValid) ++c.fcuOutOfRange;
            }
            if (r.m_nMessageMode == kModeParameterBlockTransfer && r.m_nDataLength >= 4) {
                c.packetKinds[std::min<int>(r.m_pData[4], 7)]++;
            }
        }
        if (frames == 0) ++c.emptyFiles;
        if (reader.EndReason() == FrameEnd::Truncated) ++c.truncatedFiles;
    }
    return c;
}

TEST(Simulator, SameSeedSameBytesOtherSeedOtherBytes) {
    test::TempDir a, b, c;
    sim::SimulatorOptions options;
    options.days = 2;
    options.recordsPerDay = 2000;
    options.seed = 7;
    const auto sa = sim::GenerateDataFolder(a.Path(), options);
    sim::GenerateDataFolder(b.Path(), options);
    options.seed = 8;
    sim::GenerateDataFolder(c.Path(), options);
    ASSERT_EQ(sa.dayFiles.size(), 3u);  // two days plus the empty day file
    for (const auto& path : sa.dayFiles) {
        const std::string name = std::filesystem::path(path).filename();
        EXPECT_EQ(test::ReadFileText(path), test::ReadFileText(b.File(name))) << name;
        if (std::filesystem::file_size(path) > 0) {
            EXPECT_NE(test::ReadFileText(path), test::ReadFileText(c.File(name))) << name;
        }
    }
    EXPECT_EQ(test::ReadFileText(a.File("MISCDATA.TXT")), test::ReadFileText(b.File("MISCDATA.TXT")));
    EXPECT_EQ(std::filesystem::path(sa.dayFiles[0]).filename(), "LG050109.txt");
}

TEST(Simulator, ProducesEveryKindOfMessage) {
    test::TempDir dir;
    sim::SimulatorOptions options;
    options.days = 4;
    options.recordsPerDay = 6000;
    options.seed = 3;
    options.clockJumps = true;
    const auto summary = sim::GenerateDataFolder(dir.Path(), options);
    const Census c = Survey(summary);

    for (int mode = 0; mode <= 5; ++mode) {
        for (int channel = 0; channel <= 1; ++channel) {
            EXPECT_GT((c.modeByChannel.count({mode, channel}) ? c.modeByChannel.at({mode, channel}) : 0), 0)
                << "mode " << mode << " channel " << channel;
        }
    }
    EXPECT_EQ(c.databases, (std::set<int>{0, 1, 2, 3, 4}));
    for (int source = 0; source <= 10; ++source) EXPECT_TRUE(c.sources.count(source)) << source;
    for (int command : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}) {
        EXPECT_TRUE(c.commands.count(command)) << command;
    }
    EXPECT_GT(c.halvikMultiple, 0);
    EXPECT_GT(c.modbusMultiple, 0);
    EXPECT_GT(c.fcuOutOfRange, 0);
    EXPECT_TRUE(c.slaveOffsets.count(0) && c.slaveOffsets.count(3) && c.slaveOffsets.count(-1));
    EXPECT_GT(c.packetKinds[1], 0);
    EXPECT_GT(c.packetKinds[3], 0);
    EXPECT_GT(c.packetKinds[4], 0);
    EXPECT_GT(c.invalid, 0);
    EXPECT_EQ(c.invalid, summary.invalidRecords);
    EXPECT_EQ(c.records, summary.records);
    EXPECT_EQ(c.skipped, summary.skippedFrames);
    EXPECT_EQ(c.truncatedFiles, 2);
    EXPECT_EQ(c.emptyFiles, 1);
    EXPECT_GT(c.timeGoesBack, 0);
}

TEST(Simulator, WithoutFaultsEveryFrameIsAValidRecordInTimeOrder) {
    test::TempDir dir;
    sim::SimulatorOptions options;
    options.days = 2;
    options.recordsPerDay = 3000;
    options.faults = false;
    const auto summary = sim::GenerateDataFolder(dir.Path(), options);
    const Census c = Survey(summary);
    EXPECT_EQ(summary.dayFiles.size(), 2u);
    EXPECT_EQ(c.records, 6000);
    EXPECT_EQ(c.invalid + c.skipped + c.truncatedFiles + c.emptyFiles, 0);
    EXPECT_EQ(c.timeGoesBack, 0);
}

TEST(Simulator, FcuInformationFileHasEverySlotKindAndTypeCode) {
    const auto file = sim::BuildFcuInformationFile();
    ASSERT_EQ(file.size(), 600u * 3);
    std::set<int> tags, codes;
    for (std::size_t i = 0; i < file.size(); i += 3) {
        tags.insert(file[i]);
        if (file[i] == 1 || file[i] == 2) codes.insert(file[i + 1] * 256 + file[i + 2]);
    }
    EXPECT_TRUE(tags.count(0) && tags.count(1) && tags.count(2));
    for (int code : {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 127, 1, 15, 0x7F00}) {
        EXPECT_TRUE(codes.count(code)) << code;
    }
}

}  // namespace
}  // namespace vyx
