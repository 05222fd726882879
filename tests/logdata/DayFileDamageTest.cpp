// Damaged day files are never silent: every place where the walk stops early, jumps or meets an unfinished
// last frame is noted; recovery resynchronises on chains of plausible frames and finds nothing in garbage.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>

#include "logdata/DayFileFormat.h"
#include "logdata/DayFileReader.h"
#include "logdata/LoadTestSupport.h"
#include "platform/File.h"
#include "simulator/RecordBuilder.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::LoadFixture;

constexpr std::uint32_t kDay = 1231113600u;  // 05-01-2009

// A valid record of the day, tagged by its payload.
void AppendRecord(Bytes& out, std::uint32_t time, std::uint8_t tag, int classCode = sim::kClassStartupSequence) {
    sim::RecordSpec spec;
    spec.time = time;
    spec.classCode = classCode;
    spec.payload = {tag, 0x10, 0x20, static_cast<std::uint8_t>(tag * 7)};
    sim::AppendFrame(out, sim::BuildRecordBytes(spec));
}

// Frame offsets of `count` records of the day.
std::vector<std::uint64_t> AppendRecords(Bytes& out, int count, std::uint32_t firstTime = kDay) {
    std::vector<std::uint64_t> offsets;
    for (int i = 0; i < count; ++i) {
        offsets.push_back(out.size());
        AppendRecord(out, firstTime + static_cast<std::uint32_t>(i), static_cast<std::uint8_t>(i));
    }
    return offsets;
}

struct Walk {
    std::vector<std::uint64_t> offsets;  // frames handed out
    std::vector<DayFileDamage> damage;
    FrameEnd end = FrameEnd::None;
};

Walk WalkBytes(const Bytes& content, bool recover, std::size_t block = 1 << 20, bool mayGrow = false) {
    test::TempDir dir;
    const std::string path = dir.File("LG050109.txt");
    COutputFile out(path);
    out.Write(content.data(), content.size());
    out.Close();
    CDayFileReader reader(block);
    reader.Open(path, {recover, kDay, false, mayGrow});
    Walk walk;
    Frame frame;
    while (reader.Next(frame)) walk.offsets.push_back(frame.offset);
    walk.damage = reader.Damage();
    walk.end = reader.EndReason();
    return walk;
}

struct Noted {
    DamageKind kind;
    std::uint64_t offset;
    std::uint64_t bytes;
    bool operator==(const Noted&) const = default;
};

std::vector<Noted> Simplified(const std::vector<DayFileDamage>& damage) {
    std::vector<Noted> noted;
    for (const auto& d : damage) noted.push_back({d.kind, d.offset, d.bytes});
    return noted;
}

void PrintTo(const Noted& n, std::ostream* os) {
    *os << "{kind " << static_cast<int>(n.kind) << ", offset " << n.offset << ", bytes " << n.bytes << "}";
}

// ---- without recovery the frame rules stay exact, and each departure from a clean walk is noted

struct PlainCase {
    const char* name;
    std::function<void(Bytes&)> build;
    std::vector<Noted> damage;
    std::size_t frames;
};

class PlainWalk : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainWalk, NotesWhereItStopsJumpsOrEndsInsideAFrame) {
    Bytes content;
    GetParam().build(content);
    const Walk walk = WalkBytes(content, false);
    EXPECT_EQ(Simplified(walk.damage), GetParam().damage);
    EXPECT_EQ(walk.offsets.size(), GetParam().frames);
}

// Each record frame of AppendRecords is 2 + 11 + 4 = 17 bytes.
INSTANTIATE_TEST_SUITE_P(
    Cases, PlainWalk,
    ::testing::Values(
        PlainCase{"Clean", [](Bytes& b) { AppendRecords(b, 3); }, {}, 3},
        PlainCase{"LengthOneStopsTheWalk",
                  [](Bytes& b) {
                      AppendRecords(b, 2);
                      sim::AppendRawFrame(b, 1, {});
                      AppendRecords(b, 2);
                  },
                  {{DamageKind::WalkStopped, 34, 2 + 34}}, 2},
        PlainCase{"UndecodableLengthIsJumpedAndNoted",
                  [](Bytes& b) {
                      AppendRecords(b, 1);
                      sim::AppendRawFrame(b, 400, Bytes(398, 0x55));
                      AppendRecords(b, 1);
                  },
                  {{DamageKind::SkippedFrame, 17, 400}}, 3},
        PlainCase{"CutShortLastFrameIsIncomplete",
                  [](Bytes& b) {
                      AppendRecords(b, 2);
                      b.resize(b.size() - 5);
                  },
                  {{DamageKind::IncompleteLastFrame, 17, 12}}, 1},
        PlainCase{"OneByteOfALengthFieldIsIncomplete",
                  [](Bytes& b) {
                      AppendRecords(b, 2);
                      b.push_back(0);
                  },
                  {{DamageKind::IncompleteLastFrame, 34, 1}}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- recovery

bool Intact(std::uint64_t offset, std::uint64_t from, std::uint64_t count) {
    return offset + 17 <= from || offset >= from + count;
}

TEST(Recovery, AfterAnOverwriteInTheMiddleEveryIntactRecordIsFoundAndNothingElse) {
    std::size_t found = 0;
    std::size_t intact = 0;
    std::size_t straddling = 0;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        Bytes content;
        const auto offsets = AppendRecords(content, 3000);
        std::mt19937 random(seed);
        const std::uint64_t at = 10000 + random() % 20000;
        for (std::uint64_t i = at; i < at + 4096; ++i) content[i] = static_cast<std::uint8_t>(random());
        const Walk walk = WalkBytes(content, true, 4096);
        const std::set<std::uint64_t> original(offsets.begin(), offsets.end());
        std::size_t damagedTaken = 0;
        for (const std::uint64_t o : walk.offsets) {
            ASSERT_TRUE(original.count(o)) << "seed " << seed << ": garbage at " << o << " taken as a record";
            if (Intact(o, at, 4096)) {
                ++found;
            } else {
                ++damagedTaken;
            }
        }
        for (const std::uint64_t o : offsets) intact += Intact(o, at, 4096) ? 1 : 0;
        // Only the frame the overwrite begins in can still look whole: its length field came before it.
        EXPECT_LE(damagedTaken, 1u) << seed;
        straddling += damagedTaken;
        ASSERT_FALSE(walk.damage.empty());
        EXPECT_EQ(walk.damage.back().kind, DamageKind::Resynchronised) << seed;
    }
    EXPECT_EQ(found, intact);
    std::printf("recovery after a 4 KiB overwrite: %zu of %zu intact records found in 20 files, %zu partly "
                "overwritten frames taken\n",
                found, intact, straddling);
}

TEST(Recovery, FindsNoRecordsInRandomBytes) {
    std::size_t found = 0;
    std::uint64_t bytes = 0;
    for (unsigned seed = 1; seed <= 8; ++seed) {
        Bytes content(1 << 20);
        std::mt19937 random(seed * 7919);
        for (auto& b : content) b = static_cast<std::uint8_t>(random());
        found += WalkBytes(content, true).offsets.size();
        bytes += content.size();
    }
    std::printf("recovery over %llu random bytes: %zu records\n", static_cast<unsigned long long>(bytes), found);
    // The walk before the first resynchronisation takes a frame by the plain rules; after it, nothing
    // random passes three tests eight times over.
    EXPECT_LE(found, 1u);
}

struct RecoveryCase {
    const char* name;
    std::function<void(Bytes&)> build;
    std::size_t frames;
    std::vector<DamageKind> kinds;
    bool mayGrow = false;  // the file is followed: what its end leaves undecided waits for more bytes
};

class RecoveryWalk : public ::testing::TestWithParam<RecoveryCase> {};

TEST_P(RecoveryWalk, ResynchronisesAndHoldsLaterFramesToTheSameTests) {
    Bytes content;
    GetParam().build(content);
    const Walk walk = WalkBytes(content, true, 64, GetParam().mayGrow);
    EXPECT_EQ(walk.offsets.size(), GetParam().frames);
    std::vector<DamageKind> kinds;
    for (const auto& d : walk.damage) kinds.push_back(d.kind);
    EXPECT_EQ(kinds, GetParam().kinds);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecoveryWalk,
    ::testing::Values(
        RecoveryCase{"SoundFileIsReadAsWithoutRecovery", [](Bytes& b) { AppendRecords(b, 20); }, 20, {}},
        RecoveryCase{"GoesOnAfterALengthThatWouldStopTheWalk",
                     [](Bytes& b) {
                         AppendRecords(b, 10);
                         sim::AppendRawFrame(b, 0, {});
                         AppendRecords(b, 10);
                     },
                     20, {DamageKind::Resynchronised}},
        RecoveryCase{"AShortChainThatRunsToTheEndIsTaken",
                     [](Bytes& b) {
                         AppendRecords(b, 10);
                         sim::AppendRawFrame(b, 2, {});
                         AppendRecords(b, 3);
                     },
                     13, {DamageKind::Resynchronised}},
        RecoveryCase{"AfterResynchronisingAnUnknownClassStartsTheSearchAgain",
                     [](Bytes& b) {
                         AppendRecords(b, 5);
                         sim::AppendRawFrame(b, 1, {});
                         AppendRecords(b, 9);
                         AppendRecord(b, kDay + 50, 99, 6);  // no such message class
                         AppendRecords(b, 9, kDay + 60);
                     },
                     23, {DamageKind::Resynchronised, DamageKind::Resynchronised}},
        RecoveryCase{"AfterResynchronisingATimeDaysAwayStartsTheSearchAgain",
                     [](Bytes& b) {
                         AppendRecords(b, 5);
                         sim::AppendRawFrame(b, 1, {});
                         AppendRecords(b, 9);
                         AppendRecord(b, kDay + 5 * 86400, 99);
                         AppendRecords(b, 9, kDay + 60);
                     },
                     23, {DamageKind::Resynchronised, DamageKind::Resynchronised}},
        RecoveryCase{"ACutShortLastFrameStaysAnIncompleteLastFrame",
                     [](Bytes& b) {
                         AppendRecords(b, 4);
                         b.resize(b.size() - 3);
                     },
                     3, {DamageKind::IncompleteLastFrame}},
        RecoveryCase{"GarbageToTheEndIsNotedAsNotRead",
                     [](Bytes& b) {
                         AppendRecords(b, 4);
                         sim::AppendRawFrame(b, 1, Bytes(300, 0xEE));
                     },
                     4, {DamageKind::WalkStopped}},
        // A frame cut by the end whose bytes hold frames that look like records (a record cut mid-write, say).
        RecoveryCase{"AFrameCutByTheEndIsSearchedForFrames",
                     [](Bytes& b) {
                         AppendRecords(b, 4);
                         Bytes inside;
                         AppendRecords(inside, 3, kDay + 30);
                         sim::AppendRawFrame(b, 300, inside);
                     },
                     7, {DamageKind::Resynchronised}},
        RecoveryCase{"InAGrowingFileAFrameCutByTheEndIsAwaited",
                     [](Bytes& b) {
                         AppendRecords(b, 4);
                         Bytes inside;
                         AppendRecords(inside, 3, kDay + 30);
                         sim::AppendRawFrame(b, 300, inside);
                     },
                     4, {DamageKind::IncompleteLastFrame}, true},
        RecoveryCase{"InAGrowingFileAShortChainAtTheEndIsAwaited",
                     [](Bytes& b) {
                         AppendRecords(b, 10);
                         sim::AppendRawFrame(b, 2, {});
                         AppendRecords(b, 3);
                     },
                     10, {DamageKind::IncompleteLastFrame}, true},
        RecoveryCase{"InAGrowingFileGarbageToTheEndIsAwaited",
                     [](Bytes& b) {
                         AppendRecords(b, 4);
                         sim::AppendRawFrame(b, 1, Bytes(300, 0xEE));
                     },
                     4, {DamageKind::IncompleteLastFrame}, true},
        RecoveryCase{"InAGrowingFileAWholeChainIsTaken",
                     [](Bytes& b) {
                         AppendRecords(b, 10);
                         sim::AppendRawFrame(b, 2, {});
                         AppendRecords(b, 8);
                     },
                     18, {DamageKind::Resynchronised}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A search for plausible frames that the end of a growing file left open goes on where the bytes ran out, not
// from the damage again (a day of implausible frames would be searched through at every look), and notes the
// damage from its first byte once it finds frames. So does one a judgement of the file as it was ended.
TEST(Recovery, ASearchLeftOpenGoesOnWhereTheBytesRanOut) {
    Bytes content;
    AppendRecords(content, 4);
    const std::uint64_t damage = content.size();
    sim::AppendRawFrame(content, 1, Bytes(3000, 0xEE));
    const std::size_t grownAt = content.size();
    AppendRecords(content, 9, kDay + 100);
    test::TempDir dir;
    const std::string path = dir.File("LG050109.txt");
    for (const bool mayGrow : {true, false}) {
        SCOPED_TRACE(mayGrow ? "a look" : "a judgement");
        {
            COutputFile out(path);
            out.Write(content.data(), grownAt);
            out.Close();
        }
        CDayFileReader reader(256);
        reader.Open(path, {true, kDay, false, mayGrow});
        Frame frame;
        int frames = 0;
        while (reader.Next(frame)) ++frames;
        EXPECT_EQ(frames, 4);
        ASSERT_TRUE(reader.Pending().has_value());
        const PendingSearch search = *reader.Pending();
        EXPECT_EQ(search.damageStart, damage);
        EXPECT_GT(search.resume, grownAt - 2 * 17) << "the bytes searched are not searched again";
        ASSERT_EQ(reader.Damage().size(), 1u);
        EXPECT_EQ(reader.Damage()[0].kind, mayGrow ? DamageKind::IncompleteLastFrame : DamageKind::WalkStopped);
        // The search found nothing; the length did not stop the walk.
        if (!mayGrow) {
            EXPECT_EQ(DamageReason(reader.Damage()[0]), "no plausible frame follows: the rest was not read");
        }
        reader.Close();

        COutputFile out(path);
        out.Write(content.data(), content.size());
        out.Close();
        DayFileReadOptions options{true, kDay, false, true};
        options.search = search;
        reader.Open(std::make_shared<CInputFile>(path), options, search.resume);
        frames = 0;
        while (reader.Next(frame)) ++frames;
        EXPECT_EQ(frames, 9);
        EXPECT_EQ(Simplified(reader.Damage()),
                  (std::vector<Noted>{{DamageKind::Resynchronised, damage, grownAt - damage}}));
        EXPECT_FALSE(reader.Pending().has_value());
    }
}

// ---- through the load: the damage log, the notice, the 4 GiB limit

TEST(DamageOfALoad, IsLoggedAndNoticedButAnUnfinishedLastFrameIsOnlyLogged) {
    LoadFixture f;
    test::DayFileBytes().Records(5, LoadFixture::Day(0)).Raw(1, 0).Records(5, LoadFixture::Day(0) + 10).WriteTo(
        f.DayFile(0));
    Bytes cut = test::DayFileBytes().Records(3, LoadFixture::Day(1)).Bytes();
    cut.resize(cut.size() - 4);
    {
        COutputFile out(f.DayFile(1));
        out.Write(cut.data(), cut.size());
        out.Close();
    }
    f.Load(LoadOrder::Stored);
    const auto notices = f.target.Texts(UM_DAMAGED_FILES);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("1 day file is damaged"), std::string::npos) << notices[0];
    EXPECT_NE(notices[0].find("LG050109.txt"), std::string::npos) << notices[0];
    EXPECT_EQ(notices[0].find("LG060109.txt"), std::string::npos) << "an unfinished last frame is no damage notice";
    EXPECT_EQ(f.target.Counts(UM_LOAD_FINISHED), std::vector<std::int64_t>{7});

    std::ifstream log(f.temp.File(format::kDamageLogName));
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Day file,Offset,Bytes not read,Reason\r");
    EXPECT_EQ(lines[1].rfind(f.DayFile(0) + ",", 0), 0u) << lines[1];
    EXPECT_NE(lines[2].find("incomplete last frame"), std::string::npos) << lines[2];

    // With recovery the records after the bad length are read; the damage is still told.
    f.target.Clear();
    f.database.SetRecovery(true);
    f.Load(LoadOrder::Ascending);
    EXPECT_EQ(f.target.Counts(UM_LOAD_FINISHED), std::vector<std::int64_t>{12});
    EXPECT_EQ(f.target.Texts(UM_DAMAGED_FILES).size(), 1u);
}

TEST(DamageOfALoad, ADayFileBeyondFourGibIsRefusedByNameNotCut) {
    LoadFixture f;
    test::DayFileBytes().Records(5, LoadFixture::Day(0)).WriteTo(f.DayFile(0));
    test::DayFileBytes().Records(5, LoadFixture::Day(1)).WriteTo(f.DayFile(1));
    std::error_code ec;
    std::filesystem::resize_file(f.DayFile(1), (std::uint64_t{1} << 32) + 17, ec);  // sparse: no disk used
    if (ec) GTEST_SKIP() << "no sparse file here: " << ec.message();
    f.Load(LoadOrder::Stored);
    EXPECT_EQ(f.target.Counts(UM_LOAD_FINISHED), std::vector<std::int64_t>{5});
    const auto notices = f.target.Texts(UM_DAMAGED_FILES);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("LG060109.txt"), std::string::npos);
    EXPECT_NE(notices[0].find("4 GiB"), std::string::npos) << notices[0];
}

}  // namespace
}  // namespace vyx
