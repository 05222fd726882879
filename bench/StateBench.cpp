// bench_state DIR [QUERIES]: the loop's events of a folder and its state at random moments. Prints the
// time-ordered load, the events pass after it, and the latency of a state query: from a fresh query object
// (a checkpoint read and a replay) and from one that answered a moment a few seconds before (a slider).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "analysis/FcuEventsBuilder.h"
#include "analysis/LoopStateQuery.h"
#include "decode/FCUParse.h"
#include "filter/FilterCriteria.h"
#include "logdata/DataFolder.h"
#include "logdata/LoadPipeline.h"
#include "logdata/RecordDatabase.h"
#include "platform/TempFolder.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_state DIR [QUERIES]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int queries = argc > 2 ? std::atoi(argv[2]) : 21;
    const vyx::CScopedTempFolder temp;
    vyx::CRecordDatabase database(temp.Path(), nullptr);
    vyx::FilterList filters;
    vyx::LoadRequest request;
    request.folder = folder;
    request.order = vyx::LoadOrder::Ascending;

    const auto loadStart = Clock::now();
    if (!vyx::RunLoadSequence(database, filters, {}, request).started) {
        std::fprintf(stderr, "bench_state: no day files in %s\n", folder.c_str());
        return 1;
    }
    database.WaitForLoad();
    const auto eventsStart = Clock::now();
    vyx::FcuEventsBuildOptions options;
    options.tempFolder = temp.Path();
    const auto events = vyx::BuildFcuEvents(
        database, vyx::CFCUParse().ReadFCUConfigurationList(vyx::FCUInformationFilePath(folder)), options);
    const auto eventsEnd = Clock::now();

    std::printf("records %lld, events %llu, checkpoints %zu (every %llu events)\n",
                static_cast<long long>(events->RecordCount()), static_cast<unsigned long long>(events->EventCount()),
                events->Checkpoints().size(), static_cast<unsigned long long>(events->CheckpointInterval()));
    std::printf("time-ordered load %.3f s, events pass %.3f s (load + events %.2fx the load)\n",
                Milliseconds(eventsStart - loadStart) / 1000, Milliseconds(eventsEnd - eventsStart) / 1000,
                Milliseconds(eventsEnd - loadStart) / Milliseconds(eventsStart - loadStart));
    std::fflush(stdout);
    if (queries < 1) return 0;
    std::mt19937 random(18);
    std::uniform_int_distribution<std::uint32_t> moment(events->FirstTime(), events->LastTime());
    std::vector<double> cold;
    std::vector<double> warm;
    vyx::CLoopStateQuery slider(*events);
    std::uint64_t check = 0;  // keeps the answers from being optimised away
    for (int i = 0; i < queries; ++i) {
        const std::uint32_t t = moment(random);
        {
            const auto start = Clock::now();
            vyx::CLoopStateQuery query(*events);
            check += query.StateAt(t).eventsApplied;
            cold.push_back(Milliseconds(Clock::now() - start));
        }
        slider.StateAt(t);
        const auto start = Clock::now();
        check += slider.StateAt(t + 5).eventsApplied;
        warm.push_back(Milliseconds(Clock::now() - start));
    }
    std::printf("state at T, median of %d: fresh query %.3f ms (max %.3f), slider step %.3f ms [%llu]\n", queries,
                Median(cold), *std::max_element(cold.begin(), cold.end()), Median(warm),
                static_cast<unsigned long long>(check % 10));
    return 0;
}
