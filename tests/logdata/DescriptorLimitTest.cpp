// Ten years of day files, and days of millions of records, with few descriptors: no descriptor is kept per
// day file or per run, and the merge of hundreds of runs keeps the tie rule of the time-ordered load.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <random>

#include "logdata/DataFolder.h"
#include "logdata/LoadTestSupport.h"
#include "logdata/RunFiles.h"
#include "report/ReportGenerator.h"

namespace vyx {
namespace {

using test::LoadFixture;

// Lowers the soft descriptor limit for the test's lifetime.
class DescriptorLimit {
public:
    explicit DescriptorLimit(rlim_t soft) {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = soft;
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }

private:
    rlimit m_saved{};
};

// Whether a report ran to its end.
class Outcome final : public IReportGenerationMsgRcvr {
public:
    std::int32_t OnStarted(std::int32_t, std::int32_t) override { return 0; }
    std::int32_t OnProgress(std::int32_t, std::int32_t) override { return 0; }
    std::int32_t OnCompleted(std::int32_t, std::int32_t) override { return completed = true, 0; }
    std::int32_t OnFailed(std::int32_t, std::int32_t) override { return 0; }
    void OnMessage(const std::string& text, MessageIcon) override { message = text; }
    void OnOpenDocument(const std::string&) override {}
    bool completed = false;
    std::string message;
};

// The merge as the time-ordered load defines it: the candidate is the head of the run chosen last (else of
// the lowest-numbered run left); a head of another run replaces it only when strictly earlier.
std::vector<RunEntry> ReferenceMerge(const std::vector<std::vector<RunEntry>>& runs, bool descending) {
    std::vector<std::size_t> position(runs.size(), 0);
    std::vector<RunEntry> merged;
    int last = -1;
    for (;;) {
        int chosen = last >= 0 && position[static_cast<std::size_t>(last)] < runs[static_cast<std::size_t>(last)].size()
                         ? last
                         : -1;
        for (std::size_t r = 0; r < runs.size(); ++r) {
            if (position[r] == runs[r].size()) continue;
            if (chosen < 0) {
                chosen = static_cast<int>(r);
                continue;
            }
            const auto& head = runs[r][position[r]];
            const auto& best = runs[static_cast<std::size_t>(chosen)][position[static_cast<std::size_t>(chosen)]];
            if (descending ? head.time > best.time : head.time < best.time) chosen = static_cast<int>(r);
        }
        if (chosen < 0) return merged;
        merged.push_back(runs[static_cast<std::size_t>(chosen)][position[static_cast<std::size_t>(chosen)]++]);
        last = chosen;
    }
}

TEST(DescriptorLimits, HundredsOfRunsMergeThroughAFewDescriptorsWithTheTieRule) {
    test::TempDir temp;
    constexpr int kRuns = 300;
    for (bool descending : {false, true}) {
        std::mt19937 random(descending ? 2 : 1);
        std::vector<std::vector<RunEntry>> runs(kRuns);
        std::vector<RunEntry> scratch;
        std::uint32_t offset = 0;
        for (int r = 0; r < kRuns; ++r) {
            // Few distinct times, so that ties between runs are everywhere.
            for (int i = 0; i < 150; ++i) runs[r].push_back({static_cast<std::uint32_t>(1000u + random() % 40u), offset++});
            SortRun(runs[r], scratch, descending);
            WriteRunFile(RunFilePath(temp.Path(), r + 1), runs[r]);
        }
        const DescriptorLimit limit(40);
        CRunMerger merger(temp.Path(), kRuns, descending);
        std::vector<RunEntry> merged;
        for (RunEntry e; merger.Next(e);) merged.push_back(e);
        merger.Close();
        EXPECT_TRUE(merged == ReferenceMerge(runs, descending)) << "descending " << descending;
        DeleteRunFiles(temp.Path(), kRuns);
    }
}

TEST(DescriptorLimits, AFolderOfManyDayFilesLoadsAndReportsWithoutADescriptorPerFile) {
    const DescriptorLimit limit(48);
    LoadFixture f;
    constexpr int kDays = 400;
    for (int d = 0; d < kDays; ++d) {
        test::DayFileBytes().Records(3, LoadFixture::Day(d), static_cast<std::uint32_t>(d * 3)).WriteTo(f.DayFile(d));
    }
    for (LoadOrder order : {LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending}) {
        f.target.Clear();
        f.Load(order);
        ASSERT_EQ(f.target.Texts(UM_LOAD_FAILED), std::vector<std::string>{});
        ASSERT_EQ(f.target.Counts(UM_LOAD_FINISHED), std::vector<std::int64_t>{3 * kDays});
        // Every record can be fetched, in any order, and a report reads them all.
        const auto tags = f.FetchTags(3 * kDays);
        ASSERT_EQ(tags.size(), static_cast<std::size_t>(3 * kDays));
        Outcome outcome;
        CReportGenerator generator(&f.database, &outcome);
        generator.Start(CReportCriteria(f.temp.File("all.csv"), 0, 3 * kDays - 1, kReportTypeCsv));
        generator.Wait();
        EXPECT_TRUE(outcome.completed) << outcome.message;
    }
}

}  // namespace
}  // namespace vyx
