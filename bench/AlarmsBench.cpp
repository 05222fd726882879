// bench_alarms DIR [RUNS]: the events pass of a folder after its time-ordered load, then the alarm analysis
// and command-response check over those events, RUNS times. Prints the median analysis time as a ratio to
// the events pass, and how far the process's peak resident memory rose above what it held before the
// analysis (the peak is reset first through /proc/self/clear_refs).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/FcuEventsBuilder.h"
#include "analysis/LoopAnalysis.h"
#include "decode/FCUParse.h"
#include "filter/FilterCriteria.h"
#include "logdata/DataFolder.h"
#include "logdata/LoadPipeline.h"
#include "logdata/RecordDatabase.h"
#include "platform/TempFolder.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_alarms DIR [RUNS]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const vyx::CScopedTempFolder temp;
    vyx::CRecordDatabase database(temp.Path(), nullptr);
    vyx::FilterList filters;
    vyx::LoadRequest request;
    request.folder = folder;
    request.order = vyx::LoadOrder::Ascending;
    if (!vyx::RunLoadSequence(database, filters, {}, request).started) {
        std::fprintf(stderr, "bench_alarms: no day files in %s\n", folder.c_str());
        return 1;
    }
    database.WaitForLoad();
    const auto eventsStart = Clock::now();
    vyx::FcuEventsBuildOptions options;
    options.tempFolder = temp.Path();
    const auto events = vyx::BuildFcuEvents(
        database, vyx::CFCUParse().ReadFCUConfigurationList(vyx::FCUInformationFilePath(folder)), options);
    const double eventsPass = Seconds(Clock::now() - eventsStart);

    std::vector<double> times;
    long growth = 0;
    std::uint64_t activations = 0, checks = 0;
    for (int i = 0; i < runs; ++i) {
        const long before = StatusKb("VmRSS:");
        { std::ofstream("/proc/self/clear_refs") << "5"; }
        vyx::LoopAnalysisOptions analysis;
        analysis.tempFolder = temp.Path();
        const auto start = Clock::now();
        const auto result = vyx::AnalyseLoop(*events, analysis);
        times.push_back(Seconds(Clock::now() - start));
        growth = std::max(growth, StatusKb("VmHWM:") - before);
        activations = result->alarms.activations;
        checks = result->responses->CheckCount();
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("records %lld, events %llu, activations %llu, commands checked %llu\n",
                static_cast<long long>(events->RecordCount()), static_cast<unsigned long long>(events->EventCount()),
                static_cast<unsigned long long>(activations), static_cast<unsigned long long>(checks));
    std::printf("events pass %.3f s, analysis median of %d %.3f s = %.2fx the events pass (target <= 1.5x)\n",
                eventsPass, runs, median, median / eventsPass);
    std::printf("peak memory above the events: %.1f MB (target <= 64 MB)\n", growth / 1024.0);
    return 0;
}
