// Colour rules: their settings text, and their tints over a generated folder against independent answers: a
// command rule tints exactly the records a load filtered by that entry keeps, the default rule exactly the
// block transfers whose decoded rows show an alarm that counts; the first matching rule wins.

#include <gtest/gtest.h>

#include <set>

#include "analysis/AlarmCodeLists.h"
#include "controller/RowColourRules.h"
#include "decode/DetailRows.h"
#include "decode/FCUParse.h"
#include "decode/FCUStatusCatalogue.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "filter/CommandList.h"
#include "filter/FilterBar.h"
#include "logdata/DataFolder.h"
#include "logdata/LoadPipeline.h"
#include "logdata/RecordDatabase.h"
#include "support/GeneratedFolder.h"

namespace vyx {
namespace {

struct TextCase {
    std::string text;
    std::vector<ColourRule> rules;
};

TEST(ColourRulesText, ParsesWhatItFormatsAndSkipsWhatIsNoRule) {
    const std::vector<TextCase> cases = {
        {"FFD6D6 Alarm that counts\n", {{"Alarm that counts", 0xFFD6D6}}},
        {"00ff00 Close\r\n0000FF Open\n", {{"Close", 0x00FF00}, {"Open", 0x0000FF}}},
        {"GG0000 Close\n123456 No such entry\n12345 Close\n123456Close\n", {}},
        {"123456 --ALL--\n", {}},  // would tint every row
        {"", {}},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseColourRules(c.text), c.rules);
        EXPECT_EQ(ParseColourRules(FormatColourRules(c.rules)), c.rules);
    }
    EXPECT_EQ(ParseColourRules(FormatColourRules(DefaultColourRules())), DefaultColourRules());
}

struct Loaded {
    Loaded(const std::string& folder, FilterList filters) : store(temp.Path(), nullptr) {
        LoadRequest request;
        request.folder = folder;
        EXPECT_TRUE(RunLoadSequence(store, filterList, std::move(filters), request).started);
        store.WaitForLoad();
        for (const auto& file : store.Files()) count = std::max<std::int64_t>(count, file->LastSerial() + 1);
    }
    test::TempDir temp;
    FilterList filterList;
    CRecordDatabase store;
    std::int64_t count = 0;
};

std::string Key(const RecordLocation& place) { return place.dayFile + "@" + std::to_string(place.offset); }

// The independent answer for the default rule: the rows the detail dialog would show.
bool ShowsCountedAlarm(const CRecord& record, const CRecordToParameterXferConverter& converter) {
    const DetailRows rows = BuildDetailRows(record, converter, CRecordToModbusMultipleConverter());
    std::set<std::string> counted;
    for (int code = kFirstAlarmCode; code <= kLastAlarmCode; ++code)
        if (IsCountedAlarmCode(code)) counted.insert(std::string(AlarmDetailText(code)));
    std::string information;  // a block's later rows leave it blank
    for (const auto& row : rows.rows) {
        if (row.size() <= 4) continue;
        if (!row[3].empty()) information = row[3];
        if (information == "Alarm Data" && counted.count(row[4])) return true;
    }
    return false;
}

TEST(ColourRules, TintTheRecordsTheirEntryFiltersAndTheFirstRuleWins) {
    const test::GeneratedFolder data(test::FolderOptions(1, 4000, 23));
    const FCUConfigurationList fcuInfo = CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(data.Path()));
    const CRecordToParameterXferConverter converter(fcuInfo);
    Loaded all(data.Path(), {});
    ASSERT_GT(all.count, 1000);

    for (const char* entry : {"Close", "Open", "--ALL STATUS AND ALARMS--"}) {
        SCOPED_TRACE(entry);
        // What a load filtered by the entry keeps, by place.
        FilterBarSelection selection;
        selection.commandIndex = CommandIndexOf(entry);
        ASSERT_GT(selection.commandIndex, 0);
        const CTextToFilterCriteriaConverter textConverter(fcuInfo);
        Loaded filtered(data.Path(),
                        BuildFilterList(selection, fcuInfo, textConverter, kDefaultModbusBaseAddress));
        std::set<std::string> kept;
        for (SerialNumber s = 0; s < filtered.count; ++s) kept.insert(Key(*filtered.store.LocationOf(s)));
        ASSERT_FALSE(kept.empty());

        // Rule order: the entry's rule first, then the default one.
        CRowColourRules rules;
        rules.StartLoad(fcuInfo, kDefaultModbusBaseAddress);
        rules.SetRules({{entry, 0x112233}, {std::string(kCountedAlarmEntry), 0xFFD6D6}});
        int alarms = 0;
        for (SerialNumber s = 0; s < all.count; ++s) {
            CRecord record;
            ASSERT_TRUE(all.store.GetRecord(s, record));
            const bool byEntry = kept.count(Key(*all.store.LocationOf(s))) > 0;
            const bool alarm = ShowsCountedAlarm(record, converter);
            alarms += alarm ? 1 : 0;
            const std::uint32_t expected =
                byEntry ? CRowColourRules::kTinted | 0x112233 : alarm ? CRowColourRules::kTinted | 0xFFD6D6 : 0;
            ASSERT_EQ(rules.ColourOf(record), expected) << s;
        }
        EXPECT_GT(alarms, 0);  // the folder has alarms that count, so the default rule was put to the test
    }
    CRowColourRules none;
    none.SetRules({});
    CRecord record;
    ASSERT_TRUE(all.store.GetRecord(0, record));
    EXPECT_EQ(none.ColourOf(record), 0u);
}

}  // namespace
}  // namespace vyx
