// A filter's answer from a record's head must be exactly its answer from the whole record: loads drop or
// keep records on the head alone. Checked for every filter the filter bar can build, over generated records
// whose class byte is swept through all 256 values (so bodies meet modes they were not written for).

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "decode/FCUParse.h"
#include "filter/CommandList.h"
#include "filter/FilterBar.h"
#include "filter/RecordFilters.h"
#include "logdata/DataFolder.h"
#include "logdata/DayFileReader.h"
#include "simulator/LoggerSimulator.h"
#include "support/GeneratedFolder.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using Bytes = std::vector<std::uint8_t>;

class HeadAnswer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data = new test::GeneratedFolder(test::FolderOptions(2, 3000, 29));
        config = new FCUConfigurationList(CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(data->Path())));
        samples = new std::vector<Bytes>(Samples());
    }
    static void TearDownTestSuite() {
        delete samples;
        delete config;
        delete data;
    }

    // A few records of every message mode (and any invalid ones), with each of the 256 class bytes.
    static std::vector<Bytes> Samples() {
        std::map<int, int> perMode;
        std::vector<Bytes> picked;
        for (const auto& entry : std::filesystem::directory_iterator(data->Path())) {
            if (entry.path().filename().string().rfind("LG", 0) != 0) continue;
            CDayFileReader reader;
            reader.Open(entry.path().string());
            Frame f;
            while (reader.Next(f)) {
                if (!f.IsDecodable()) continue;
                const int mode = ParseHead(f.bytes).m_nMessageMode;
                if (perMode[mode]++ < 5) picked.emplace_back(f.bytes, f.bytes + f.RecordSize());
            }
        }
        std::vector<Bytes> swept;
        for (const Bytes& record : picked) {
            for (int classByte = 0; classByte < 256; ++classByte) {
                swept.push_back(record);
                swept.back()[4] = static_cast<std::uint8_t>(classByte);
            }
        }
        return swept;
    }

    // Counts the records the filter judged from the head; fails on any that Test answers otherwise.
    static int CheckAgainstTest(const CFilterCriteria& filter, const std::string& label) {
        const CParse parse;
        CRecord record;
        int judged = 0;
        for (const Bytes& bytes : *samples) {
            const auto answer = filter.TestHead(ParseHead(bytes.data()));
            if (answer == CFilterCriteria::HeadAnswer::NeedRecord) continue;
            ++judged;
            parse.Parse(bytes.data(), static_cast<int>(bytes.size()), record);
            const bool kept = answer == CFilterCriteria::HeadAnswer::Keep;
            if (filter.Test(record) != (kept ? 1 : 0)) {
                ADD_FAILURE() << label << ": head says " << (kept ? "keep" : "drop") << " for class byte "
                              << int(bytes[4]) << ", mode " << record.m_nMessageMode;
                return judged;
            }
        }
        return judged;
    }

    static test::GeneratedFolder* data;
    static FCUConfigurationList* config;
    static std::vector<Bytes>* samples;
};

test::GeneratedFolder* HeadAnswer::data = nullptr;
FCUConfigurationList* HeadAnswer::config = nullptr;
std::vector<Bytes>* HeadAnswer::samples = nullptr;

TEST_F(HeadAnswer, EveryFilterOfTheFilterBarAgreesWithItsTest) {
    const CTextToFilterCriteriaConverter converter(*config);
    const auto texts = CommandListTexts();
    int judged = 0;
    for (int channel = 0; channel < 3; ++channel) {
        for (int command = 0; command < kCommandListSize; ++command) {
            for (const char* fcu : {"--ALL--", "12", "300"}) {
                FilterBarSelection selection;
                selection.channelIndex = channel;
                selection.commandIndex = command;
                selection.fcuText = fcu;
                // The channel filter is the same for every command: sweep it with one.
                if (channel != 0 && command != 1) continue;
                for (const auto& filter : BuildFilterList(selection, *config, converter, kDefaultModbusBaseAddress)) {
                    judged += CheckAgainstTest(*filter, std::string(texts[static_cast<std::size_t>(command)]) +
                                                            " / FCU " + fcu + " / channel " + std::to_string(channel));
                }
            }
        }
    }
    // Most records are judged from the head, or the check would prove little.
    EXPECT_GT(judged, 1000000);
}

TEST_F(HeadAnswer, FilterForFCUZeroKeepsRecordsWithoutAnFCU) {
    // Set-time and start-up records carry no FCU (theirs is 0); any other FCU never matches them.
    EXPECT_GT(CheckAgainstTest(CFilterFCUAddress(0, *config, kDefaultModbusBaseAddress), "FCU 0"), 0);
    EXPECT_GT(CheckAgainstTest(CFilterFCUAddress(7, *config, kDefaultModbusBaseAddress), "FCU 7"), 0);
    CRecordHead setTime;
    setTime.m_nMessageMode = kModeSetTime;
    EXPECT_EQ(CFilterFCUAddress(0, *config, kDefaultModbusBaseAddress).TestHead(setTime), CFilterCriteria::HeadAnswer::Keep);
    EXPECT_EQ(CFilterFCUAddress(7, *config, kDefaultModbusBaseAddress).TestHead(setTime), CFilterCriteria::HeadAnswer::Drop);
}

TEST_F(HeadAnswer, DateFilterIsJudgedByTimeAloneWithBothEndsIncluded) {
    const std::uint32_t first = ParseHead(samples->front().data()).m_nTime;
    const CFilterDateTime filter(first + 3600, first);
    EXPECT_TRUE(filter.TestHeadNeedsTime());
    EXPECT_EQ(CheckAgainstTest(filter, "date"), static_cast<int>(samples->size()));
    CRecordHead head;
    head.m_nTime = first + 3600;
    EXPECT_EQ(filter.TestHead(head), CFilterCriteria::HeadAnswer::Keep);
    head.m_nTime = first + 3601;
    EXPECT_EQ(filter.TestHead(head), CFilterCriteria::HeadAnswer::Drop);
    EXPECT_FALSE(CFilterChannel(0).TestHeadNeedsTime());
}

}  // namespace
}  // namespace vyx
