// One day file of any bytes, read every way the program reads one, with recovery off and on: the load's walk,
// the follow that reads the file while it grows, and the fetches that read a record again at its offset.
// Every frame read must lie within the file and hold the file's own bytes; the records and the damage noted
// must cover every byte of the file exactly once, so nothing is lost or left unsaid; the follow, given the
// bytes in pieces, must take exactly the records one walk of the whole file takes; and a record fetched again
// by its offset, through the store's index or a report's window, must be the one the walk read.
//
// Input: an options byte (bits 0-2 the walk's block size, 3-5 the follow's, 6-7 the fetch window's), a
// growth byte (bits 0-2 the largest piece the logger appends at a time, 3-4 the order of the fetches, 5-7
// the seed of the piece sizes), then the bytes of the day file.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "logdata/DataFolder.h"
#include "logdata/DayFileReader.h"
#include "logdata/FileHandleCache.h"
#include "logdata/FrameReading.h"
#include "logdata/LiveFollow.h"
#include "logdata/RecordFile.h"
#include "platform/File.h"

namespace {

using namespace vyx;
using Bytes = std::span<const std::uint8_t>;

constexpr std::size_t kReaderBlocks[] = {1, 7, 302, 303, 1000, 4096, std::size_t{1} << 16, std::size_t{1} << 20};
constexpr std::size_t kWindowBlocks[] = {302, 400, 4096, std::size_t{1} << 20};
constexpr std::size_t kLargestPieces[] = {1, 2, 5, 16, 64, 303, 1000, 5000};
constexpr const char* kDayFileName = "LG250909.txt";

// A temporary folder that holds the day file and the store's index file, removed at the end of the run.
struct Folder {
    std::string path;
    Folder() {
        std::string name = (std::filesystem::temp_directory_path() / "vyx-fuzz-day-file-XXXXXX").string();
        VYX_FUZZ_CHECK(::mkdtemp(name.data()) != nullptr);
        path = name;
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

// A stretch of the file: a record's frame (its length field included) or a damaged stretch.
struct Stretch {
    std::uint64_t offset = 0;
    std::uint64_t bytes = 0;
    bool operator==(const Stretch&) const = default;
};

struct Reading {
    std::vector<Stretch> records;  // the decodable frames taken, in file order
    std::vector<DayFileDamage> damage;
};

// Reads frames until the reader ends, each checked against the bytes the file holds, and appends the
// decodable ones. A reader that has resynchronised takes plausible frames only from there on.
void ReadFrames(CDayFileReader& reader, Bytes file, const DayFileReadOptions& options, std::vector<Stretch>& records) {
    std::uint64_t end = reader.Offset();
    Frame frame;
    while (reader.Next(frame)) {
        VYX_FUZZ_CHECK(frame.offset >= end && frame.length > 2);
        end = std::uint64_t{frame.offset} + static_cast<std::uint64_t>(frame.length);
        VYX_FUZZ_CHECK(end <= file.size());
        VYX_FUZZ_CHECK(FrameLength(file.data() + frame.offset) == frame.length);
        VYX_FUZZ_CHECK(
            std::memcmp(frame.bytes, file.data() + frame.offset + 2, static_cast<std::size_t>(frame.length) - 2) == 0);
        const auto& damage = reader.Damage();
        const bool resynchronised = std::any_of(
            damage.begin(), damage.end(), [](const DayFileDamage& d) { return d.kind == DamageKind::Resynchronised; });
        if (options.recover) VYX_FUZZ_CHECK(frame.IsDecodable());
        if (resynchronised) {
            VYX_FUZZ_CHECK(IsPlausibleFrame(file.data() + frame.offset, frame.length, options.dayStart));
        }
        if (frame.IsDecodable()) records.push_back({frame.offset, static_cast<std::uint64_t>(frame.length)});
    }
    VYX_FUZZ_CHECK(reader.EndReason() != FrameEnd::None);
}

// The records and the damage, in file order each, together cover the bytes 0 .. size - 1, every byte once.
bool CoversAll(const Reading& reading, std::uint64_t size, bool recover) {
    std::vector<Stretch> stretches = reading.records;
    std::uint64_t previous = 0;
    for (const DayFileDamage& d : reading.damage) {
        if (d.bytes == 0 || d.offset < previous) return false;
        if (d.kind == (recover ? DamageKind::SkippedFrame : DamageKind::Resynchronised)) return false;
        previous = d.offset;
        stretches.push_back({d.offset, d.bytes});
    }
    std::sort(stretches.begin(), stretches.end(),
              [](const Stretch& a, const Stretch& b) { return a.offset < b.offset; });
    std::uint64_t at = 0;
    for (const Stretch& s : stretches) {
        if (s.offset != at) return false;
        at += s.bytes;
    }
    return at == size;
}

// The follow as the logger writes: the file grows by pieces, and after each one the file is read on from
// where the last look left it (the load's first look included), as a file that may grow; what needs more bytes
// to be judged is read again at the next look (a frame cut short from its first byte, recovery's search for a
// chain of plausible frames from where the bytes ran out), through the follow's own rules; a walk that stopped for good is not read again, but what is appended after it is
// noted as not read. Once the file is whole and quiet, what is still undecided is judged as a load would.
Reading Follow(const std::string& path, Bytes file, const DayFileReadOptions& options, std::size_t blockBytes,
               std::uint8_t growth) {
    Reading followed;
    COutputFile logger(path);
    CDayFileReader reader(blockBytes);
    std::shared_ptr<const CInputFile> handle;
    std::uint32_t random = 0x9E3779B9u ^ (growth >> 5);
    std::size_t written = 0;
    FollowStart start;
    start.dayStart = options.dayStart;
    const auto look = [&](bool mayGrow) {
        reader.Open(handle, FollowReadOptions(start, options.recover, mayGrow), start.resume);
        ReadFrames(reader, file.first(written), options, followed.records);
        std::vector<DayFileDamage> damage = reader.Damage();
        LeaveWalk(start, reader, damage, mayGrow);
        reader.Close();
        followed.damage.insert(followed.damage.end(), damage.begin(), damage.end());
    };
    // The pieces grow with the file: a large one takes some tens of looks, not thousands.
    const std::size_t largest = std::max(kLargestPieces[growth & 7], file.size() / 32);
    while (written < file.size() && !start.ended) {
        random ^= random << 13;
        random ^= random >> 17;
        random ^= random << 5;
        const std::size_t piece = std::min<std::size_t>(1 + random % largest, file.size() - written);
        logger.Write(file.data() + written, piece);
        written += piece;
        if (!handle) handle = std::make_shared<CInputFile>(path);
        look(true);
        // A walk that may grow ends only where a load of any longer file would end too.
        VYX_FUZZ_CHECK(!start.ended || !options.recover || reader.EndReason() == FrameEnd::OffsetLimit);
    }
    if (written < file.size()) logger.Write(file.data() + written, file.size() - written);
    logger.Close();
    if (start.ended) {
        if (start.notedTo < file.size()) {
            followed.damage.push_back(
                {start.ending.kind, start.notedTo, file.size() - start.notedTo, start.ending.frameLength});
        }
    } else if (start.incomplete) {
        written = file.size();
        look(false);
    }
    return followed;
}

bool SameRecord(const CRecord& a, const CRecord& b) {
    return a.m_nDataLength == b.m_nDataLength && a.m_pData == b.m_pData && a.m_nTime == b.m_nTime &&
           a.m_nChannel == b.m_nChannel && a.m_nMessageMode == b.m_nMessageMode &&
           a.m_nDatabaseType == b.m_nDatabaseType && a.m_bFCUValid == b.m_bFCUValid && a.m_nFCU == b.m_nFCU &&
           a.m_bCommandValid == b.m_bCommandValid && a.m_nCommand == b.m_nCommand &&
           a.m_bSourceValid == b.m_bSourceValid && a.m_nSource == b.m_nSource && a.m_bMultipleFCU == b.m_bMultipleFCU;
}

// Every record read again at its offset, in the order the growth byte picks: through the store (an index
// file of the offsets, published as far as the walk read) and through a report's window (limited to the end
// of the last record). Both must give the walk's bytes and the record they decode to.
void FetchAgain(const std::string& folder, const std::string& path, Bytes file, const std::vector<Stretch>& records,
                std::uint64_t loaded, std::uint32_t dayStart, std::size_t windowBytes, int order) {
    if (records.empty()) return;
    VYX_FUZZ_CHECK(records.back().offset + records.back().bytes <= loaded);
    CFileHandleCache handles(4);
    CRecordFile store(path, dayStart, folder, handles);
    store.OpenForLoad();
    std::vector<std::uint8_t> entries;  // little-endian 32-bit offsets
    for (const Stretch& r : records) {
        for (int shift = 0; shift < 32; shift += 8) entries.push_back(static_cast<std::uint8_t>(r.offset >> shift));
    }
    COutputFile index(store.IndexPath());
    index.Write(entries.data(), entries.size());
    index.Close();
    store.Publish(0, static_cast<SerialNumber>(records.size()) - 1, loaded);

    CFileWindow window(windowBytes);
    window.Attach(std::make_shared<CInputFile>(path));
    window.SetLimit(records.back().offset + records.back().bytes);
    const CParse parse;
    CRecord expected;
    CRecord fetched;
    const std::size_t n = records.size();
    for (std::size_t i = 0; i < n; ++i) {
        // Forwards, backwards, or from both ends in turn.
        const std::size_t k = order == 1 ? n - 1 - i : order == 2 ? (i % 2 == 0 ? i / 2 : n - 1 - i / 2) : i;
        const Stretch& r = records[k];
        const std::uint8_t* frame = file.data() + r.offset;
        parse.Parse(frame + 2, static_cast<int>(r.bytes) - 2, expected);

        store.ReadRecord(static_cast<std::int64_t>(k), parse, fetched);
        VYX_FUZZ_CHECK(SameRecord(fetched, expected));

        std::size_t got = 0;
        const std::uint8_t* head = window.Bytes(r.offset, format::kMaxDecodedFrameLength, got);
        const std::uint8_t* bytes = nullptr;
        int size = 0;
        VYX_FUZZ_CHECK(FrameRecordAt(head, got, bytes, size) == RecordReadStatus::Ok);
        VYX_FUZZ_CHECK(static_cast<std::uint64_t>(size) + 2 == r.bytes &&
                       std::memcmp(bytes, frame + 2, static_cast<std::size_t>(size)) == 0);
        VYX_FUZZ_CHECK(ReadRecordAt(window, r.offset, parse, fetched) == RecordReadStatus::Ok);
        VYX_FUZZ_CHECK(SameRecord(fetched, expected));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Folder folder;
    static const std::string path = folder.path + "/" + kDayFileName;
    static const std::uint32_t dayStart = DayStartFromFileName(kDayFileName).value();
    if (size < 2) return 0;
    const std::uint8_t options = data[0];
    const std::uint8_t growth = data[1];
    const Bytes file(data + 2, size - 2);

    Reading walks[2];
    for (const bool recover : {false, true}) {
        const DayFileReadOptions readOptions{recover, dayStart};
        const Reading followed = Follow(path, file, readOptions, kReaderBlocks[(options >> 3) & 7], growth);

        Reading& walk = walks[recover ? 1 : 0];
        CDayFileReader reader(kReaderBlocks[options & 7]);
        reader.Open(path, readOptions);
        ReadFrames(reader, file, readOptions, walk.records);
        walk.damage = reader.Damage();
        VYX_FUZZ_CHECK(CoversAll(walk, file.size(), recover));

        VYX_FUZZ_CHECK(followed.records == walk.records);
        VYX_FUZZ_CHECK(CoversAll(followed, file.size(), recover));

        FetchAgain(folder.path, path, file, walk.records, reader.Offset(), dayStart, kWindowBlocks[options >> 6],
                   (growth >> 3) % 3);
    }
    // Recovery has nothing to do in a sound file: with no damage either way, both walks read the same.
    if (walks[0].damage.empty() || walks[1].damage.empty()) {
        VYX_FUZZ_CHECK(walks[0].damage.empty() && walks[1].damage.empty() && walks[0].records == walks[1].records);
    }
    return 0;
}
