// The fast find against the reference matcher, on generated folders: texts cut out of every column (and out
// of the detail rows) with both case settings, hex texts at every nibble alignment, bytes, in the stored and
// both time orders and in a filtered load. For each query every record must get the same answer and the same
// first matching column; the parallel find over small blocks must list the same matches, and find next /
// previous must stop where the record-by-record search stops.

#include <gtest/gtest.h>

#include <random>

#include "controller/FastRecordMatcher.h"
#include "controller/ParallelFind.h"
#include "controller/RecordRunReader.h"
#include "controller/RecordSearch.h"
#include "decode/DetailRows.h"
#include "decode/FCUParse.h"
#include "decode/RecordColumns.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "decode/RecordToParameterXferConverter.h"
#include "filter/RecordFilters.h"
#include "logdata/DataFolder.h"
#include "logdata/LoadPipeline.h"
#include "support/GeneratedFolder.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

struct LoadCase {
    const char* name;
    LoadOrder order;
    bool filtered;  // channel B only
};

struct Load {
    Load(const std::string& folder, const LoadCase& how) : store(temp.Path(), nullptr) {
        LoadRequest request;
        request.folder = folder;
        request.order = how.order;
        FilterList wanted;
        if (how.filtered) wanted.push_back(std::make_unique<CFilterChannel>(kChannelB));
        EXPECT_TRUE(RunLoadSequence(store, filters, std::move(wanted), request).started);
        store.WaitForLoad();
        for (const auto& file : store.Files()) count = std::max<std::int64_t>(count, file->LastSerial() + 1);
        records.resize(static_cast<std::size_t>(count));
        frames.resize(static_cast<std::size_t>(count));
        for (std::int64_t s = 0; s < count; ++s) EXPECT_TRUE(store.GetRecord(s, records[static_cast<std::size_t>(s)]));
        CRecordRunReader reader(store);
        reader.ReadRun(0, count - 1, [&](std::int64_t s, const std::uint8_t* bytes, int n) {
            frames[static_cast<std::size_t>(s)].assign(bytes, bytes + n);
            return true;
        });
    }

    test::TempDir temp;
    FilterList filters;
    CRecordDatabase store;
    std::int64_t count = 0;
    std::vector<CRecord> records;
    std::vector<std::vector<std::uint8_t>> frames;
};

class FastFindProperty : public ::testing::TestWithParam<LoadCase> {
protected:
    static void SetUpTestSuite() {
        data = new test::GeneratedFolder(test::FolderOptions(3, 1500, 29, true));
        auto made = std::make_shared<DetailDecoders>();
        made->blockTransfer = std::make_shared<CRecordToParameterXferConverter>(
            CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(data->Path())));
        made->modbus = std::make_shared<CRecordToModbusMultipleConverter>();
        decoders = made;
    }
    static void TearDownTestSuite() {
        delete data;
        decoders.reset();
    }
    static test::GeneratedFolder* data;
    static std::shared_ptr<const DetailDecoders> decoders;
};
test::GeneratedFolder* FastFindProperty::data = nullptr;
std::shared_ptr<const DetailDecoders> FastFindProperty::decoders;

// The first column whose own text holds the sought text, then the detail rows: what a find-all pane shows.
int ReferenceColumn(const CRecordMatcher& matcher, std::int64_t serial, const CRecord& record) {
    std::string scratch;
    if (!matcher.Matches(serial, record, scratch)) return kNoMatch;
    if (matcher.GetKind() == CRecordMatcher::Kind::Bytes) return static_cast<int>(RecordColumn::MessageContent);
    const CFormatRecord format(&record);
    for (RecordColumn column : kAllRecordColumns) {
        if (CellHolds(RecordColumnText(format, column, serial + 1), matcher.SoughtText(), matcher.MatchCase())) {
            return static_cast<int>(column);
        }
    }
    return kDetailRowsMatch;
}

// Texts cut out of the records' own texts, so that most queries match somewhere and some nowhere.
std::vector<std::pair<std::string, bool>> Queries(const Load& load, const DetailDecoders& decoders, std::mt19937& random) {
    std::vector<std::pair<std::string, bool>> queries = {
        {"0", false}, {" ", false}, {"-", false}, {"no such text", false}, {"AM", true}, {"am", true},
        {"ms_b", false}, {"MS_B", true}, {"N/A", false}, {"multiple", false}, {"1", true}, {"00", false},
        {"A ", false}, {" 0", false}, {"F 0", false}, {"0 1", false}, {"DB", false}, {"db", true}, {"Valve", false},
        // One of each kind of detail cell, which the fast find rules in or out before decoding.
        {"-na-", false}, {"Block 2 Par", true}, {"addr:- ", false}, {"Invalid", true}, {"unidentified c", false},
        {".00", false}, {"Status Data", true}, {"NA", true}, {"7 0", false}};
    const auto cut = [&](const std::string& text) {
        const std::size_t at = random() % text.size();
        const std::size_t length = 1 + random() % std::min<std::size_t>(14, text.size() - at);
        std::string piece = text.substr(at, length);
        const bool matchCase = random() % 2 == 0;
        if (random() % 3 == 0) {
            for (char& c : piece) {
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
                else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            }
        }
        queries.emplace_back(piece, matchCase);
    };
    std::uniform_int_distribution<std::int64_t> pick(0, load.count - 1);
    for (int i = 0; i < 42; ++i) {
        const std::int64_t serial = pick(random);
        const CRecord& record = load.records[static_cast<std::size_t>(serial)];
        std::string text;
        if (i % 6 == 5) {
            const DetailRows rows = BuildDetailRows(record, *decoders.blockTransfer, *decoders.modbus);
            if (rows.rows.empty()) continue;
            const auto& row = rows.rows[random() % rows.rows.size()];
            text = row[random() % row.size()];
        } else {
            text = RecordColumnText(CFormatRecord(&record), kAllRecordColumns[static_cast<std::size_t>(i % 7)], serial + 1);
        }
        if (!text.empty()) cut(text);
    }
    // A cut out of every column of the detail rows in turn.
    for (std::size_t found = 0, tries = 0; found < 12 && tries < 20000; ++tries) {
        const CRecord& record = load.records[static_cast<std::size_t>(pick(random))];
        const DetailRows rows = BuildDetailRows(record, *decoders.blockTransfer, *decoders.modbus);
        if (rows.rows.empty()) continue;
        const auto& row = rows.rows[random() % rows.rows.size()];
        const std::string& text = row[found % row.size()];
        if (text.empty()) continue;
        cut(text);
        ++found;
    }
    return queries;
}

void ExpectSameFinds(const Load& load, const CRecordMatcher& matcher, const std::string& label, std::mt19937& random) {
    CFastRecordMatcher fast(matcher, load.store.Settings().modbusBaseAddress);
    std::vector<FindMatch> expected;
    for (std::int64_t s = 0; s < load.count; ++s) {
        const auto& frame = load.frames[static_cast<std::size_t>(s)];
        const int want = ReferenceColumn(matcher, s, load.records[static_cast<std::size_t>(s)]);
        const int got = fast.Match(s, frame.data(), static_cast<int>(frame.size()));
        ASSERT_EQ(got, want) << label << " Sr.No. " << s + 1;
        if (want != kNoMatch) expected.push_back({s, want});
    }
    // Blocks of a prime size, so that blocks straddle day files and the threads interleave.
    CParallelFind parallel(load.store, matcher, 2, 97);
    const std::atomic<bool> cancel{false};
    std::vector<FindMatch> all;
    parallel.All(0, load.count - 1, cancel, [&](const std::vector<FindMatch>& batch) {
        all.insert(all.end(), batch.begin(), batch.end());
    });
    EXPECT_EQ(all, expected) << label;

    std::uniform_int_distribution<std::int64_t> pick(-1, load.count - 1);
    for (int i = 0; i < 3; ++i) {
        SearchRequest request;
        request.matcher = matcher;
        request.count = load.count;
        request.from = pick(random);
        request.direction = i % 2 == 0 ? SearchDirection::Forward : SearchDirection::Backward;
        const SearchNotification want = RunReferenceSearch(load.store, request, cancel, {});
        const SearchNotification got = RunSearch(load.store, request, cancel, {});
        EXPECT_EQ(got.found, want.found) << label << " from " << request.from << " direction " << i % 2;
        EXPECT_EQ(got.wrapped, want.wrapped) << label;
    }
}

TEST_P(FastFindProperty, AnswersAsTheReferenceDoes) {
    const Load load(data->Path(), GetParam());
    ASSERT_GT(load.count, 1000);
    std::mt19937 random(7);
    for (const auto& [text, matchCase] : Queries(load, *decoders, random)) {
        CRecordMatcher plain = CRecordMatcher::Text(text, matchCase);
        ExpectSameFinds(load, plain, "\"" + text + "\" case " + std::to_string(matchCase), random);
        CRecordMatcher decoded = plain;
        decoded.SetDetailDecoders(decoders);
        ExpectSameFinds(load, decoded, "decoded \"" + text + "\" case " + std::to_string(matchCase), random);
    }
    std::uniform_int_distribution<std::int64_t> pick(0, load.count - 1);
    for (int i = 0; i < 12; ++i) {
        const auto message = load.records[static_cast<std::size_t>(pick(random))].MessageBytes();
        if (message.empty()) continue;
        const std::size_t at = random() % message.size();
        const std::size_t length = 1 + random() % std::min<std::size_t>(4, message.size() - at);
        const std::vector<std::uint8_t> bytes(message.begin() + static_cast<std::ptrdiff_t>(at),
                                              message.begin() + static_cast<std::ptrdiff_t>(at + length));
        ExpectSameFinds(load, CRecordMatcher::Bytes(bytes), "bytes " + FormatHexBytes(bytes.data(), bytes.size()), random);
    }
}

INSTANTIATE_TEST_SUITE_P(Loads, FastFindProperty,
                         ::testing::Values(LoadCase{"Stored", LoadOrder::Stored, false},
                                           LoadCase{"Ascending", LoadOrder::Ascending, false},
                                           LoadCase{"Descending", LoadOrder::Descending, false},
                                           LoadCase{"FilteredStored", LoadOrder::Stored, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vyx
