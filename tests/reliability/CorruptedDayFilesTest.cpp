// Randomly damaged day files through the real store: simulator output with bytes flipped, lengths
// rewritten, tails cut, pieces of other files spliced in. Each folder is loaded in all three orders and
// once more with a filter (which decodes every record instead of classifying it by its class byte); every
// count and every record must agree with an independent reading of the same bytes.
// VYX_CORRUPT_FILES sets how many damaged files (default 600), VYX_CORRUPT_SEED the seed (default 1).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>

#include "ReliabilitySupport.h"
#include "decode/FormatRecord.h"
#include "logdata/DataFolder.h"
#include "report/ReportGenerator.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

class KeepAll : public CFilterCriteria {
public:
    int Test(const CRecord&) const override { return 1; }
};

// Day files of a few simulator runs, small enough to load thousands of times.
std::vector<Bytes> Material() {
    std::vector<Bytes> files;
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        TempDir folder;
        sim::SimulatorOptions options;
        options.days = 3;
        options.recordsPerDay = 40 + static_cast<int>(seed) * 20;
        options.seed = seed;
        options.clockJumps = seed % 2 == 0;
        for (const auto& path : sim::GenerateDataFolder(folder.Path(), options).dayFiles) {
            Bytes bytes = ReadBytes(path);
            if (!bytes.empty()) files.push_back(std::move(bytes));
        }
    }
    return files;
}

// One to four kinds of damage on a copy of a piece of material.
Bytes Damage(const std::vector<Bytes>& material, std::mt19937& random) {
    const auto pick = [&](std::size_t n) { return n == 0 ? std::size_t{0} : static_cast<std::size_t>(random() % n); };
    Bytes bytes = material[pick(material.size())];
    const int damages = 1 + static_cast<int>(random() % 4);
    for (int d = 0; d < damages && !bytes.empty(); ++d) {
        switch (random() % 7) {
            case 0:  // flipped bits
                for (int i = 0, n = 1 + static_cast<int>(random() % 8); i < n; ++i) {
                    bytes[pick(bytes.size())] ^= static_cast<std::uint8_t>(1 + random() % 255);
                }
                break;
            case 1: {  // a length field rewritten, often to a value at a limit
                static const int kLengths[] = {0, 1, 2, 3, 6, 7, 8, 17, 301, 302, 303, 304, 1000, 0xFFFF};
                const int length =
                    random() % 3 ? kLengths[pick(std::size(kLengths))] : static_cast<int>(random() % 65536);
                const std::size_t at = pick(bytes.size() - 1);
                bytes[at] = static_cast<std::uint8_t>(length >> 8);
                bytes[at + 1] = static_cast<std::uint8_t>(length);
                break;
            }
            case 2:  // cut short
                bytes.resize(pick(bytes.size() + 1));
                break;
            case 3: {  // a piece of another file spliced in
                const Bytes& other = material[pick(material.size())];
                const std::size_t from = pick(other.size());
                const std::size_t length = pick(std::min<std::size_t>(other.size() - from, 2000) + 1);
                bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(pick(bytes.size() + 1)),
                             other.begin() + static_cast<std::ptrdiff_t>(from),
                             other.begin() + static_cast<std::ptrdiff_t>(from + length));
                break;
            }
            case 4: {  // a stretch of random bytes
                const std::size_t at = pick(bytes.size() + 1);
                Bytes noise(1 + pick(64));
                for (auto& b : noise) b = static_cast<std::uint8_t>(random());
                bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), noise.begin(), noise.end());
                break;
            }
            case 5: {  // a stretch removed, so frames lose their start
                const std::size_t at = pick(bytes.size());
                const std::size_t length = 1 + pick(std::min<std::size_t>(bytes.size() - at, 300));
                bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                            bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
                break;
            }
            default:  // a class byte somewhere made unknown
                bytes[pick(bytes.size())] = static_cast<std::uint8_t>(random() % 2 ? 0x07 : 0x3F);
        }
    }
    return bytes;
}

TEST(CorruptedDayFiles, LoadInEveryOrderAsTheirBytesSay) {
    const int files = CountFromEnvironment("VYX_CORRUPT_FILES", 600);
    const int seed = CountFromEnvironment("VYX_CORRUPT_SEED", 1);
    const auto started = std::chrono::steady_clock::now();
    const std::vector<Bytes> material = Material();
    std::mt19937 random(static_cast<unsigned>(seed));
    TempDir temp;
    TempDir out;
    LoadRecorder recorder;
    CRecordDatabase database(temp.Path(), &recorder);
    Watchdog watchdog;
    const ProcessResources baseline = CountProcessResources();
    FilterList keepAll;
    keepAll.push_back(std::make_unique<KeepAll>());
    const FilterList none;
    const char* names[] = {"LG050109.txt", "LG060109.txt", "LG070109.txt"};

    std::int64_t made = 0;
    std::int64_t loads = 0;
    std::int64_t records = 0;
    std::int64_t invalid = 0;
    for (int folderNumber = 0; made < files; ++folderNumber) {
        TempDir data;
        const int count = static_cast<int>(std::min<std::int64_t>(1 + random() % 3, files - made));
        for (int i = 0; i < count; ++i) WriteBytes(data.File(names[i]), Damage(material, random));
        made += count;
        SealedFolder seal(data.Path());
        const ExpectedLoad expected = ExpectLoadOf(data.Path());
        const std::string where = "folder " + std::to_string(folderNumber) + " (seed " + std::to_string(seed) + ")";

        struct Pass {
            LoadOrder order;
            const FilterList* filters;
        };
        for (const Pass pass : {Pass{LoadOrder::Stored, &none}, Pass{LoadOrder::Ascending, &none},
                                Pass{LoadOrder::Descending, &none}, Pass{LoadOrder::Stored, &keepAll}}) {
            recorder.Clear();
            database.Reset();
            ScanDataFolder(data.Path(), database);
            database.SetLoadOrder(pass.order);
            watchdog.Arm("loading " + where, 30s);
            database.StartLoad(*pass.filters);
            database.WaitForLoad();
            ++loads;

            const auto all = recorder.All();
            ASSERT_FALSE(all.empty()) << where;
            std::int64_t finished = -1;
            std::int64_t invalidNotice = 0;
            for (const auto& n : all) {
                ASSERT_NE(n.message, UM_LOAD_FAILED) << where << ": " << n.text;
                if (n.message == UM_LOAD_FINISHED) finished = n.count;
                if (n.message == UM_INVALID_RECORDS) invalidNotice = n.count;
            }
            ASSERT_EQ(finished, expected.Total()) << where << " order " << static_cast<int>(pass.order);
            ASSERT_EQ(invalidNotice, expected.Invalid()) << where;
            const auto sequence = expected.Sequence(pass.order, finished);
            CRecord record;
            for (std::int64_t s = 0; s < finished; ++s) {
                ASSERT_TRUE(database.GetRecord(s, record)) << where << " serial " << s;
                ASSERT_TRUE(HoldsRecord(pass.order, sequence, s, record)) << where;
                // Every column text of every record, as the list shows them.
                const CFormatRecord format(&record);
                const std::size_t length = format.FormatDateTime().size() + format.FormatMessageContent().size() +
                                           format.FormatMessageMode().size() + format.FormatSource().size() +
                                           format.FormatFCU().size() + format.FormatChannel().size();
                ASSERT_GT(length, 0u);
            }
            ASSERT_FALSE(database.GetRecord(finished, record)) << where;
            records += finished;
            invalid += invalidNotice;
        }

        // Now and then the whole load as a report, which reads the store its own way.
        if (folderNumber % 10 == 0 && expected.Total() > 0) {
            ReportRecorder receiver;
            CReportGenerator generator(&database, &receiver);
            const std::string path = out.File("log.csv");
            generator.Start(CReportCriteria(path, 0, static_cast<std::int32_t>(expected.Total() - 1), kReportTypeCsv));
            generator.Wait();
            EXPECT_EQ(receiver.Events().back(), "completed") << where;
            const auto bytes = ReadBytes(path);
            std::int64_t lines = 0;
            for (std::size_t i = 1; i < bytes.size(); ++i) lines += bytes[i - 1] == '\r' && bytes[i] == '\n';
            EXPECT_GE(lines, expected.Total() + 1) << where;
        }
        ASSERT_EQ(seal.Changes(), std::vector<std::string>{}) << where;
    }
    watchdog.Disarm();
    database.Reset();
    EXPECT_EQ(SettledProcessResources(baseline), baseline);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count() /
        1000.0;
    std::printf(
        "%lld damaged day files (seed %d): %lld loads, %lld records fetched and checked, %lld invalid records "
        "logged, %.1f s\n",
        static_cast<long long>(made), seed, static_cast<long long>(loads), static_cast<long long>(records),
        static_cast<long long>(invalid), seconds);
}

}  // namespace
}  // namespace vyx::test
