// vyx find: the Sr.No. of every matching record, one per line, checked against the records of the same load
// read here; the filter and order options; refused queries.

#include <gtest/gtest.h>

#include <sstream>

#include "controller/RecordMatcher.h"
#include "decode/FormatRecord.h"
#include "logdata/LoadPipeline.h"
#include "logdata/RecordDatabase.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

class CliFind : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data = new test::TempDir;
        const auto gen = RunCommand(kVyx + " gen " + ShellQuote(data->Path()) +
                                    " --days 2 --records-per-day 1500 --seed 8 --clock-jumps");
        ASSERT_EQ(gen.exitCode, 0) << gen.err;
    }
    static void TearDownTestSuite() { delete data; }

    static test::CommandResult Find(const std::string& options) {
        return RunCommand(kVyx + " find " + ShellQuote(data->Path()) + " " + options);
    }
    static std::vector<std::int64_t> Numbers(const std::string& out) {
        std::vector<std::int64_t> numbers;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) numbers.push_back(std::stoll(line));
        return numbers;
    }
    // The Sr.No. of every record of the folder, loaded in that order here, that the matcher accepts.
    static std::vector<std::int64_t> Expected(const CRecordMatcher& matcher, LoadOrder order) {
        test::TempDir temp;
        CRecordDatabase store(temp.Path(), nullptr);
        FilterList filters;
        LoadRequest request;
        request.folder = data->Path();
        request.order = order;
        EXPECT_TRUE(RunLoadSequence(store, filters, {}, request).started);
        store.WaitForLoad();
        std::vector<std::int64_t> numbers;
        CRecord record;
        std::string scratch;
        for (std::int64_t serial = 0; store.GetRecord(serial, record); ++serial) {
            if (matcher.Matches(serial, record, scratch)) numbers.push_back(serial + 1);
        }
        return numbers;
    }

    static test::TempDir* data;
};

test::TempDir* CliFind::data = nullptr;

TEST_F(CliFind, PrintsTheSrNoOfEveryMatchInTheLoadsOrder) {
    struct Case {
        std::string options;
        CRecordMatcher matcher;
        LoadOrder order;
    };
    const Case cases[] = {
        {"--text 'set time'", CRecordMatcher::Text("set time", false), LoadOrder::Stored},
        {"--text 'Set Time' --match-case", CRecordMatcher::Text("Set Time", true), LoadOrder::Stored},
        {"--text ':59:' --order desc", CRecordMatcher::Text(":59:", false), LoadOrder::Descending},
        {"--hex 'f0 03'", CRecordMatcher::Bytes({0xF0, 0x03}), LoadOrder::Stored},
        {"--hex F003 --order asc", CRecordMatcher::Bytes({0xF0, 0x03}), LoadOrder::Ascending},
    };
    for (const Case& c : cases) {
        const auto r = Find(c.options);
        ASSERT_EQ(r.exitCode, 0) << c.options << ": " << r.err;
        const std::vector<std::int64_t> expected = Expected(c.matcher, c.order);
        EXPECT_FALSE(expected.empty()) << c.options;
        EXPECT_EQ(Numbers(r.out), expected) << c.options;
    }
    EXPECT_EQ(Find("--text 'SET TIME' --match-case").out, "");
}

TEST_F(CliFind, FilterOptionsNarrowTheRecordsSearched) {
    const auto count = RunCommand(kVyx + " count " + ShellQuote(data->Path()) + " --channel B");
    ASSERT_EQ(count.exitCode, 0);
    const auto onB = Find("--channel B --text 'MS_B(right)'");
    ASSERT_EQ(onB.exitCode, 0) << onB.err;
    EXPECT_EQ("Total Record Found:- " + std::to_string(Numbers(onB.out).size()) + "\n", count.out);
    // Serial numbers of the filtered load: 1, 2, 3 ... without gaps.
    const auto numbers = Numbers(onB.out);
    for (std::size_t i = 0; i < numbers.size(); ++i) ASSERT_EQ(numbers[i], static_cast<std::int64_t>(i + 1));

    const auto none = Find("--channel A --text 'MS_B(right)'");
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "");
    // after the invalid-records notice of the folder's damaged frames
    EXPECT_TRUE(none.err.ends_with("\nNo record matches.\n")) << none.err;
}

TEST_F(CliFind, RefusedQueriesExitTwo) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "error: find needs --text TEXT or --hex \"01 A0\" (see vyx find --help)\n"},
        {"--hex '0 1'", "error: --hex takes pairs of hex digits, e.g. \"01 A0\": 0 1\n"},
        {"--text ''", "error: --text needs a text to look for\n"},
    };
    for (const auto& [options, message] : cases) {
        const auto r = Find(options);
        EXPECT_EQ(r.exitCode, 2) << options;
        EXPECT_EQ(r.err, message) << options;
        EXPECT_EQ(r.out, "") << options;
    }
    EXPECT_EQ(Find("--text a --hex 01").exitCode, 2);
}

}  // namespace
}  // namespace vyx
