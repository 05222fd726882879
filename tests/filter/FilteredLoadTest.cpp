// Filtered loads end to end over a generated folder: every accepted record passes the filter by an
// independent check, and nothing that passes is lost or taken twice.

#include <gtest/gtest.h>

#include <mutex>

#include "decode/FCUParse.h"
#include "decode/VyxViewerClassFactory.h"
#include "filter/CommandList.h"
#include "filter/FilterBar.h"
#include "logdata/DataFolder.h"
#include "logdata/DayFileReader.h"
#include "logdata/LoadPipeline.h"
#include "logdata/RecordDatabase.h"
#include "simulator/LoggerSimulator.h"
#include "support/GeneratedFolder.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

struct FinishCatcher : ILoadNotificationTarget {
    void Post(LoadNotification n) override {
        std::lock_guard lock(mutex);
        if (n.message == UM_LOAD_FINISHED) finished = n.count;
        if (n.message == UM_LOAD_FAILED) failed = true;
    }
    std::mutex mutex;
    std::int64_t finished = -1;
    bool failed = false;
};

class FilteredLoad : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data = new test::GeneratedFolder(test::FolderOptions(3, 4000, 11, true));
        config = new FCUConfigurationList(
            CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(data->Path())));
    }
    static void TearDownTestSuite() {
        delete config;
        delete data;
    }

    // Every decodable, valid record of the folder, in file order.
    static std::vector<CRecord> AllRecords() {
        std::vector<CRecord> records;
        const CParse parse;
        for (const char* name : {"LG050109.txt", "LG060109.txt", "LG070109.txt", "LG080109.txt"}) {
            CDayFileReader reader;
            reader.Open(data->File(name));
            Frame f;
            while (reader.Next(f)) {
                if (!f.IsDecodable()) continue;
                CRecord r;
                parse.Parse(f.bytes, f.RecordSize(), r);
                if (r.m_nMessageMode != kModeUnidentified) records.push_back(std::move(r));
            }
        }
        return records;
    }

    // Loads with the selection and returns the accepted records in serial order.
    std::vector<CRecord> Load(const FilterBarSelection& selection, LoadOrder order = LoadOrder::Stored) {
        const CTextToFilterCriteriaConverter converter(*config);
        FinishCatcher catcher;
        CRecordDatabase database(temp.Path(), &catcher);
        FilterList filters;
        LoadRequest request;
        request.folder = data->Path();
        request.order = order;
        if (selection.selectDateTime) request.range = DateTimeRange{selection.from, selection.to};
        const auto result =
            RunLoadSequence(database, filters, BuildFilterList(selection, *config, converter, kDefaultModbusBaseAddress), request);
        EXPECT_TRUE(result.started);
        database.WaitForLoad();
        EXPECT_FALSE(catcher.failed);
        std::vector<CRecord> accepted(static_cast<std::size_t>(std::max<std::int64_t>(catcher.finished, 0)));
        for (std::size_t s = 0; s < accepted.size(); ++s) {
            EXPECT_TRUE(database.GetRecord(static_cast<std::int64_t>(s), accepted[s])) << s;
        }
        return accepted;
    }

    static std::size_t CountPassing(const FilterBarSelection& selection) {
        const CTextToFilterCriteriaConverter converter(*config);
        const FilterList filters = BuildFilterList(selection, *config, converter, kDefaultModbusBaseAddress);
        std::size_t n = 0;
        for (const CRecord& r : AllRecords()) n += PassesAll(filters, r) ? 1 : 0;
        return n;
    }

    static FilterBarSelection Selection(int channel, const char* command, const char* fcu) {
        FilterBarSelection s;
        s.channelIndex = channel;
        s.commandIndex = CommandIndexOf(command);
        s.fcuText = fcu;
        return s;
    }

    static test::GeneratedFolder* data;
    static FCUConfigurationList* config;
    test::TempDir temp;
};

test::GeneratedFolder* FilteredLoad::data = nullptr;
FCUConfigurationList* FilteredLoad::config = nullptr;

TEST_F(FilteredLoad, ChannelAndMessageMode) {
    const auto selection = Selection(2, "Modbus", "--ALL--");
    const auto accepted = Load(selection);
    ASSERT_GT(accepted.size(), 100u);
    for (const CRecord& r : accepted) {
        EXPECT_EQ(r.m_nChannel, 1);
        EXPECT_EQ(r.m_nMessageMode, kModeModbus);
    }
    std::size_t expected = 0;
    for (const CRecord& r : AllRecords()) expected += (r.m_nChannel == 1 && r.m_nMessageMode == kModeModbus);
    EXPECT_EQ(accepted.size(), expected);
}

TEST_F(FilteredLoad, CommandForOneFcuInTimeOrder) {
    const auto selection = Selection(0, "Open", "12");
    const auto accepted = Load(selection, LoadOrder::Ascending);
    ASSERT_GT(accepted.size(), 0u);
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        const CRecord& r = accepted[i];
        if (r.m_bMultipleFCU) {
            EXPECT_EQ(r.m_nMessageMode, kModeModbus);
        } else {
            EXPECT_EQ(r.m_nCommand, kCmdOpen);
            EXPECT_EQ(r.m_nFCU, 12);
            EXPECT_EQ(r.m_bFCUValid, 1);
        }
        if (i > 0) {
            EXPECT_LE(accepted[i - 1].m_nTime, r.m_nTime);
        }
    }
    EXPECT_EQ(accepted.size(), CountPassing(selection));
}

TEST_F(FilteredLoad, StatusAndAlarmsForAllFcusAndADateRange) {
    auto selection = Selection(0, "--ALL STATUS AND ALARMS--", "--ALL--");
    selection.selectDateTime = true;
    selection.from = {2009, 1, 5, 10, 0, 0};
    selection.to = {2009, 1, 6, 9, 0, 0};
    const auto accepted = Load(selection, LoadOrder::Descending);
    ASSERT_GT(accepted.size(), 0u);
    const auto from = static_cast<std::uint32_t>(SecondsFromCivil(selection.from));
    const auto to = static_cast<std::uint32_t>(SecondsFromCivil(selection.to));
    for (const CRecord& r : accepted) {
        EXPECT_EQ(r.m_nMessageMode, kModeParameterBlockTransfer);
        EXPECT_GE(r.m_nTime, from);
        EXPECT_LE(r.m_nTime, to);
    }
    EXPECT_EQ(accepted.size(), CountPassing(selection));
}

TEST_F(FilteredLoad, DateRangeMayEndAtTheLastSecondOfTheLastDay) {
    LoadRequest request;
    request.folder = data->Path();
    CRecordDatabase database(temp.Path(), nullptr);
    const DataFolderScan scan = StopAndScan(database, data->Path());
    ASSERT_EQ(scan.count, 4);  // three days and the empty one
    DateTimeRange range{{2009, 1, 5, 0, 0, 0}, {2009, 1, 8, 23, 59, 59}};
    EXPECT_EQ(ValidateDateRange(range, scan), 0);
    range.to = {2009, 1, 9, 0, 0, 0};
    EXPECT_EQ(ValidateDateRange(range, scan), 124);
    range.to = {2009, 1, 7, 0, 0, 0};
    range.from = {2009, 1, 4, 23, 59, 59};
    EXPECT_EQ(ValidateDateRange(range, scan), 124);
    range.from = {2009, 1, 7, 0, 0, 1};
    EXPECT_EQ(ValidateDateRange(range, scan), 125);
}

}  // namespace
}  // namespace vyx
