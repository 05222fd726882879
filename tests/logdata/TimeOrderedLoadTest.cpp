// Time-ordered loads: run sorting, run files, the merge and its tie rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "LoadTestSupport.h"
#include "logdata/RunFiles.h"
#include "platform/File.h"

namespace vyx::test {
namespace {

// Records what the worker writes to run files, through the write seam.
class RunWriteSpy {
public:
    RunWriteSpy() {
        SetWriteFaultHook([this](const std::string& path, std::size_t bytes) {
            const std::string name = path.substr(path.find_last_of('/') + 1);
            if (name.rfind("temp_", 0) == 0) writes.emplace_back(name, bytes);
            return 0;
        });
    }
    ~RunWriteSpy() { SetWriteFaultHook(nullptr); }
    std::vector<std::pair<std::string, std::size_t>> writes;
};

struct RunSizeCase {
    int records;
    std::vector<std::pair<std::string, std::size_t>> runs;
};

class RunSizeTest : public ::testing::TestWithParam<RunSizeCase> {};

TEST_P(RunSizeTest, WritesFullRunsAndOneRemainderThenDeletesThem) {
    LoadFixture f;
    // Times run backwards, so the whole file must be reordered across runs.
    DayFileBytes bytes;
    const int n = GetParam().records;
    for (int i = 0; i < n; ++i) bytes.Record(LoadFixture::Day(0) + static_cast<std::uint32_t>(n - 1 - i) / 3, i);
    bytes.WriteTo(f.DayFile(0));
    {
        RunWriteSpy spy;
        f.Load(LoadOrder::Ascending);
        EXPECT_EQ(spy.writes, GetParam().runs);
    }
    EXPECT_EQ(f.TempFiles(), (std::vector<std::string>{"InvalidRecordLogFile.csv", "LG050109.txt_filter"}));
    ASSERT_EQ(f.target.Counts(UM_LOAD_FINISHED), (std::vector<std::int64_t>{n}));
    // Every record once, by ascending time (ties across runs follow the merge rule, tested below).
    std::vector<std::uint32_t> times;
    std::vector<std::uint32_t> tags;
    for (std::int64_t s = 0; s < n; ++s) {
        CRecord record;
        ASSERT_TRUE(f.database.GetRecord(s, record));
        times.push_back(record.m_nTime);
        tags.push_back(TagOf(record));
    }
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
    std::sort(tags.begin(), tags.end());
    for (int i = 0; i < n; ++i) ASSERT_EQ(tags[static_cast<std::size_t>(i)], static_cast<std::uint32_t>(i));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, RunSizeTest,
    ::testing::Values(RunSizeCase{2 * 10240 + 5, {{"temp_1.dat", 81920}, {"temp_2.dat", 81920}, {"temp_3.dat", 40}}},
                      RunSizeCase{10240, {{"temp_1.dat", 81920}}}, RunSizeCase{1, {{"temp_1.dat", 8}}}));

TEST(TimeOrderedLoadTest, ProgressDuringMergeAndScanPulsesOverTheWholeLoad) {
    LoadFixture f;
    f.target.WatchRanges(&f.database);
    DayFileBytes().Records(1500, LoadFixture::Day(0), 0).WriteTo(f.DayFile(0));
    DayFileBytes().Records(1500, LoadFixture::Day(1), 5000).WriteTo(f.DayFile(1));
    // Every third record rejected: the scan counter still counts them all, across both files.
    const FilterList filters = Filters([](const CRecord& r) { return TagOf(r) % 3 != 0; });
    f.Load(LoadOrder::Descending, filters);
    EXPECT_EQ(f.target.Counts(UM_SCAN_PROGRESS), (std::vector<std::int64_t>{1000, 2000, 3000}));
    // Each day: once at its 1000th merged record, once at its end.
    EXPECT_EQ(f.target.Counts(UM_LOAD_PROGRESS), (std::vector<std::int64_t>{1000, 1000, 2000, 2000}));
    // Newest day first: its range is published during its merge, then the older day follows.
    const auto ranges = f.target.RangesAtProgress();
    ASSERT_EQ(ranges.size(), 4u);
    EXPECT_EQ(ranges[0], (std::vector<std::pair<int, int>>{{-1, -1}, {0, 999}}));
    EXPECT_EQ(ranges[2], (std::vector<std::pair<int, int>>{{1000, 1999}, {0, 999}}));
    CRecord first;
    ASSERT_TRUE(f.database.GetRecord(0, first));
    EXPECT_EQ(TagOf(first), 5000u + 1499u);
}

TEST(RunSortTest, MatchesAStableReferenceInBothDirections) {
    std::mt19937 random(7);
    for (std::size_t n : {0u, 1u, 2u, 777u, 10240u}) {
        for (bool wide : {false, true}) {
            std::vector<RunEntry> entries(n);
            for (std::size_t i = 0; i < n; ++i) {
                // Narrow: many equal stamps within a day; wide: every byte of the stamp varies.
                const std::uint32_t time = wide ? static_cast<std::uint32_t>(random()) : 1231113600u + random() % 50;
                entries[i] = {time, static_cast<std::uint32_t>(i * 40)};
            }
            for (bool descending : {false, true}) {
                std::vector<RunEntry> expected = entries;
                std::sort(expected.begin(), expected.end(), [&](const RunEntry& a, const RunEntry& b) {
                    const auto ka = std::make_pair(a.time, a.offset);
                    const auto kb = std::make_pair(b.time, b.offset);
                    return descending ? ka > kb : ka < kb;
                });
                std::vector<RunEntry> sorted = entries;
                std::vector<RunEntry> scratch;
                SortRun(sorted, scratch, descending);
                EXPECT_EQ(sorted, expected) << "n=" << n << " wide=" << wide << " descending=" << descending;
            }
        }
    }
}

struct MergeCase {
    const char* name;
    bool descending;
    std::vector<std::vector<RunEntry>> runs;
    std::vector<std::uint32_t> offsets;
};

class MergeTieTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeTieTest, ChoosesInOrder) {
    TempDir temp;
    const auto& runs = GetParam().runs;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        WriteRunFile(RunFilePath(temp.Path(), static_cast<int>(i) + 1), runs[i]);
    }
    CRunMerger merger(temp.Path(), static_cast<int>(runs.size()), GetParam().descending);
    std::vector<std::uint32_t> offsets;
    RunEntry entry;
    while (merger.Next(entry)) offsets.push_back(entry.offset);
    EXPECT_EQ(offsets, GetParam().offsets);
}

INSTANTIATE_TEST_SUITE_P(Ties, MergeTieTest,
                         ::testing::Values(
                             // After run 2 was chosen, its equal stamps come before run 1's.
                             MergeCase{"RunChosenLastKeepsTies",
                                       false,
                                       {{{10, 100}, {20, 101}}, {{5, 200}, {10, 201}, {10, 202}}},
                                       {200, 201, 202, 100, 101}},
                             // When the run chosen last is used up, the lowest-numbered run wins a tie.
                             MergeCase{"LowestRunAfterExhaustion", false, {{{10, 1}}, {{10, 2}}, {{3, 3}}}, {3, 1, 2}},
                             // At the start run 1 holds the candidate.
                             MergeCase{"RunOneFirstOnEqualStart", false, {{{7, 1}, {8, 3}}, {{7, 2}}}, {1, 2, 3}},
                             MergeCase{
                                 "DescendingKeepsTies", true, {{{10, 1}, {5, 4}}, {{20, 2}, {10, 3}}}, {2, 3, 1, 4}},
                             // Offsets never break ties, even when they would sort the other way.
                             MergeCase{"OffsetsIgnored", false, {{{4, 900}, {4, 950}}, {{4, 10}}}, {900, 950, 10}},
                             // A run without a whole first entry is exhausted from the start.
                             MergeCase{"EmptyRunIsExhausted", false, {{}, {{1, 5}, {2, 6}}}, {5, 6}}),
                         [](const auto& info) { return std::string(info.param.name); });

// The merge rule applied literally: the run chosen last is the first candidate (else the lowest run not
// used up), and a scan from run 1 replaces it only by a strictly earlier stamp.
std::vector<std::uint32_t> LiteralMerge(const std::vector<std::vector<RunEntry>>& runs, bool descending) {
    std::vector<std::size_t> next(runs.size(), 0);
    auto done = [&](std::size_t r) { return next[r] >= runs[r].size(); };
    std::vector<std::uint32_t> out;
    std::size_t last = 0;
    for (;;) {
        std::size_t candidate = runs.size();
        if (!out.empty() && !done(last)) {
            candidate = last;
        } else {
            for (std::size_t r = 0; r < runs.size() && candidate == runs.size(); ++r) {
                if (!done(r)) candidate = r;
            }
        }
        if (candidate == runs.size()) return out;
        for (std::size_t r = 0; r < runs.size(); ++r) {
            if (done(r)) continue;
            const std::uint32_t t = runs[r][next[r]].time;
            const std::uint32_t c = runs[candidate][next[candidate]].time;
            if (descending ? t > c : t < c) candidate = r;
        }
        out.push_back(runs[candidate][next[candidate]++].offset);
        last = candidate;
    }
}

TEST(RunMergerTest, ManyRunsFollowTheLiteralRule) {
    for (bool descending : {false, true}) {
        TempDir temp;
        std::mt19937 random(3);
        std::vector<std::vector<RunEntry>> runs(70);  // more runs than a linear scan would suit
        for (std::size_t run = 0; run < runs.size(); ++run) {
            for (std::uint32_t i = 0; i < 150; ++i) {
                runs[run].push_back(
                    {static_cast<std::uint32_t>(random() % 300), static_cast<std::uint32_t>(run * 1000 + i)});
            }
            std::vector<RunEntry> scratch;
            SortRun(runs[run], scratch, descending);
            WriteRunFile(RunFilePath(temp.Path(), static_cast<int>(run) + 1), runs[run]);
        }
        CRunMerger merger(temp.Path(), static_cast<int>(runs.size()), descending);
        std::vector<std::uint32_t> offsets;
        RunEntry entry;
        while (merger.Next(entry)) offsets.push_back(entry.offset);
        EXPECT_EQ(offsets, LiteralMerge(runs, descending)) << "descending=" << descending;
    }
}

}  // namespace
}  // namespace vyx::test
