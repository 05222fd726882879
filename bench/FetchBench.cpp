// bench_fetch DIR [ROUNDS]: how soon the first 1000 records of a stored-order load can be fetched, and how
// long 50 consecutive rows take to fetch by serial number once loaded (the list's page).

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <vector>

#include "logdata/DataFolder.h"
#include "logdata/RecordDatabase.h"
#include "platform/TempFolder.h"

namespace {

using Clock = std::chrono::steady_clock;

// Wakes the bench when the first 1000 records are announced, as the list would be.
class FirstPageWatch : public vyx::ILoadNotificationTarget {
public:
    void Post(vyx::LoadNotification n) override {
        if (n.message != vyx::UM_LOAD_PROGRESS && n.message != vyx::UM_LOAD_FINISHED &&
            n.message != vyx::UM_LOAD_FAILED) {
            return;
        }
        std::lock_guard lock(m_mutex);
        if (n.count >= 1000 || n.message != vyx::UM_LOAD_PROGRESS) m_ready = true;
        m_cv.notify_all();
    }
    void Wait() {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return m_ready; });
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_ready = false;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_ready = false;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_fetch DIR [ROUNDS]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    vyx::CScopedTempFolder temp;
    FirstPageWatch watch;
    vyx::CRecordDatabase database(temp.Path(), &watch);

    std::vector<double> firstPage;
    for (int round = 0; round < rounds; ++round) {
        database.Reset();
        vyx::ScanDataFolder(folder, database);
        database.SetLoadOrder(vyx::LoadOrder::Stored);
        watch.Clear();
        const auto start = Clock::now();
        database.StartLoad({});
        watch.Wait();
        vyx::CRecord record;
        for (std::int64_t s = 0; s < 1000; ++s) {
            if (!database.GetRecord(s, record)) {
                std::fprintf(stderr, "record %lld not fetchable\n", static_cast<long long>(s));
                return 1;
            }
        }
        firstPage.push_back(Milliseconds(Clock::now() - start));
        database.StopLoad();
    }

    // A complete load, then pages of 50 rows at random places, as a user scrolling the list.
    for (vyx::LoadOrder order : {vyx::LoadOrder::Stored, vyx::LoadOrder::Ascending}) {
        database.Reset();
        vyx::ScanDataFolder(folder, database);
        database.SetLoadOrder(order);
        database.StartLoad({});
        database.WaitForLoad();
        std::int64_t total = 0;
        for (const auto& file : database.Files()) total = std::max<std::int64_t>(total, file->LastSerial() + 1);
        std::mt19937 random(1);
        std::vector<double> pages;
        vyx::CRecord record;
        for (int page = 0; page < 2000 && total > 50; ++page) {
            const std::int64_t first = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(total - 50));
            const auto start = Clock::now();
            for (std::int64_t s = first; s < first + 50; ++s) database.GetRecord(s, record);
            pages.push_back(Milliseconds(Clock::now() - start));
        }
        std::printf("fetch 50 rows (%s order): median %.3f ms, worst %.3f ms over %zu pages of %lld records\n",
                    order == vyx::LoadOrder::Stored ? "stored" : "ascending", Median(pages),
                    *std::max_element(pages.begin(), pages.end()), pages.size(), static_cast<long long>(total));
    }
    std::printf("first 1000 records fetchable after start: median %.2f ms over %d loads\n", Median(firstPage), rounds);
    return 0;
}
