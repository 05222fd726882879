#include "analysis/FcuEventsBuilder.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <exception>
#include <limits>
#include <memory>
#include <queue>
#include <thread>

#include "analysis/FcuEventExtractor.h"
#include "analysis/RecordBatchPipe.h"
#include "logdata/DayFileFormat.h"
#include "logdata/FrameReading.h"
#include "logdata/RecordBytes.h"
#include "logdata/RecordDatabase.h"
#include "platform/BackgroundFileWriter.h"
#include "platform/DirectOutputFile.h"
#include "platform/FileError.h"

namespace vyx {
namespace {

// A new empty file of a unique name in the folder.
std::string CreateUniqueFile(const std::string& folder, const char* stem) {
    std::string pattern = folder + "/" + stem + "-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) throw CFileError(errno, folder + "/" + stem);
    ::close(fd);
    return pattern;
}

// The read buffers of a day file in the merge: the index file's window and, where the clock stepped back and
// the time order takes records from two (or more) stretches of the file in turn, a window for each stretch,
// so none is read twice.
struct CursorWindows {
    static constexpr std::size_t kData = 6;
    static constexpr std::size_t kDataBytes = std::size_t{1} << 18;
    CFileWindow index{std::size_t{1} << 18};
    std::array<CFileWindow, kData> data{CFileWindow(kDataBytes), CFileWindow(kDataBytes), CFileWindow(kDataBytes),
                                        CFileWindow(kDataBytes), CFileWindow(kDataBytes), CFileWindow(kDataBytes)};
    std::array<std::uint64_t, kData> lastUse{};
    std::uint64_t uses = 0;
};

// Buffers of the files that left the merge, for those that join it: a folder of years has thousands of day
// files, of which only those whose times overlap are open at once, and fresh memory is dear.
class CWindowPool {
public:
    std::unique_ptr<CursorWindows> Take() {
        if (m_free.empty()) return std::make_unique<CursorWindows>();
        auto windows = std::move(m_free.back());
        m_free.pop_back();
        return windows;
    }
    void Give(std::unique_ptr<CursorWindows> windows) {
        windows->index.Detach();
        for (CFileWindow& window : windows->data) window.Detach();
        windows->lastUse = {};
        windows->uses = 0;
        m_free.push_back(std::move(windows));
    }

private:
    std::vector<std::unique_ptr<CursorWindows>> m_free;
};

// One day file's records in the order of its index file (time order within the file). A record is read as
// far as its head (time, channel, message mode); the rest is decoded only for the records that can give an
// event.
class CDayFileCursor {
public:
    CDayFileCursor(CRecordFile& file, std::size_t fileIndex, CWindowPool& pool)
        : m_file(file), m_fileIndex(fileIndex), m_pool(pool) {}

    // Once the load has finished the file: how many records it has.
    void Take() {
        // A file without accepted records keeps first and last serial -1.
        m_count = m_file.FirstSerial() < 0 ? 0 : m_file.LastSerial() - m_file.FirstSerial() + 1;
    }

    std::int64_t Count() const { return m_count; }
    // How far the load read the file: every record starting before is in it.
    std::uint64_t LoadedBytes() const { return m_file.LoadedBytes(); }
    SerialNumber FirstSerial() const { return m_file.FirstSerial(); }
    std::uint32_t DayStart() const { return m_file.DayStart(); }
    bool Empty() const { return m_count <= 0; }

    // The read buffers are the file's only while it takes part in the merge.
    void Open() {
        m_windows = m_pool.Take();
        m_windows->index.Attach(m_file.IndexHandle());
        const std::shared_ptr<const CInputFile> data = m_file.DataHandle();
        for (CFileWindow& window : m_windows->data) {
            window.Attach(data);
            window.SetLimit(m_file.LoadedBytes());
        }
        m_windows->index.SetLimit(static_cast<std::uint64_t>(m_count) * format::kIndexEntryBytes);
    }
    void Close() { m_pool.Give(std::move(m_windows)); }

    // Reads the head of record k.
    void Read(std::int64_t k) {
        std::uint64_t offset = 0;
        if (!ReadIndexEntry(m_windows->index, k, offset)) Unreadable(k, RecordReadStatus::NoIndexEntry);
        std::size_t got = 0;
        const std::uint8_t* frame = Frame(offset, got);
        const RecordReadStatus status = FrameRecordAt(frame, got, m_bytes, m_size);
        if (status != RecordReadStatus::Ok) Unreadable(k, status);
        m_head = ParseHead(m_bytes);
        m_position = k;
        m_offset = offset;
    }

    std::uint32_t Time() const { return m_head.m_nTime; }
    int Channel() const { return m_head.m_nChannel; }
    int MessageMode() const { return m_head.m_nMessageMode; }
    // The record bytes read last (valid until the next Read).
    const std::uint8_t* Bytes() const { return m_bytes; }
    int Size() const { return m_size; }

    std::size_t FileIndex() const { return m_fileIndex; }
    std::int64_t Position() const { return m_position; }
    SerialNumber Serial() const { return m_file.FirstSerial() + m_position; }
    std::uint64_t Offset() const { return m_offset; }

private:
    [[noreturn]] void Unreadable(std::int64_t k, RecordReadStatus status) const {
        throw CRecordUnreadable(m_file.Path(), m_file.FirstSerial() + k, RecordReadStatusText(status));
    }

    CRecordFile& m_file;
    std::size_t m_fileIndex;
    std::int64_t m_count = 0;
    // The frame at offset from the window that holds it, else read into the window used longest ago. When
    // another window starts a little after it (the time order stepping back, around records that came out of
    // time order), the read ends where that window starts, so that the steps back and the records between
    // find their bytes read.
    const std::uint8_t* Frame(std::uint64_t offset, std::size_t& got) {
        constexpr std::size_t kFrame = format::kMaxDecodedFrameLength;
        CursorWindows& w = *m_windows;
        std::size_t chosen = 0;
        std::uint64_t nextStart = 0;  // the nearest window start after offset, within a block
        for (std::size_t i = 0; i < CursorWindows::kData; ++i) {
            const CFileWindow& window = w.data[i];
            if (window.Holds(offset, kFrame)) {
                w.lastUse[i] = ++w.uses;
                return w.data[i].Bytes(offset, kFrame, got);
            }
            if (window.Valid() && window.Start() > offset && window.Start() - offset <= CursorWindows::kDataBytes &&
                (nextStart == 0 || window.Start() < nextStart)) {
                nextStart = window.Start();
            }
            if (w.lastUse[i] < w.lastUse[chosen]) chosen = i;
        }
        w.lastUse[chosen] = ++w.uses;
        return w.data[chosen].Bytes(offset, kFrame, got, nextStart == 0 ? 0 : nextStart + kFrame);
    }
    CWindowPool& m_pool;
    std::unique_ptr<CursorWindows> m_windows;
    CRecordHead m_head;
    const std::uint8_t* m_bytes = nullptr;
    int m_size = 0;
    std::int64_t m_position = -1;
    std::uint64_t m_offset = 0;
};

}  // namespace

// Appends the events and writes a checkpoint of the state at the end of the first record after every
// interval of them. Both files are written on threads of their own: the events of a large folder are hundreds
// of megabytes.
class CFcuEventsWriter final : public IFcuEventSink {
public:
    CFcuEventsWriter(CFcuEvents& events, const LoopState& state, std::uint64_t interval)
        : m_events(events), m_state(state), m_interval(std::max<std::uint64_t>(interval, 1)) {
        // Around the page cache: the file is read back a few blocks at a time, by queries.
        m_eventOutput.Open(events.EventsPath());
        m_eventFile.Start([this](const char* data, std::size_t count) { m_eventOutput.Write(data, count); },
                          std::size_t{1} << 21, 4);
        m_checkpointOutput.Open(events.CheckpointsPath());
        m_checkpointFile.Start([this](const char* data, std::size_t count) { m_checkpointOutput.Write(data, count); },
                               sizeof(LoopState) * 4, 3);
        m_events.m_checkpointInterval = m_interval;
    }

    void AddRecord(std::span<const FcuEvent> events) override {
        for (std::size_t i = 0; i < events.size();) {
            if (m_pendingCount == 0) {
                m_packer.Begin(static_cast<std::uint8_t*>(m_eventFile.Reserve(kEventBlockEvents * kPackedEventBytes)));
                m_whole = false;
            }
            // A record's events may go on in the next block.
            const std::size_t n = std::min(events.size() - i, kEventBlockEvents - m_pendingCount);
            if (!m_whole && !m_packer.AddRecord(events.data() + i, n)) {
                // This block is stored whole.
                m_packer.Unpack(m_pending.data());
                m_whole = true;
            }
            if (m_whole) std::copy_n(events.data() + i, n, m_pending.data() + m_pendingCount);
            m_pendingCount += n;
            i += n;
            if (m_pendingCount == kEventBlockEvents) WriteBlock();
        }
        m_count += events.size();
        if (!events.empty() && CheckpointDue(m_events.m_checkpoints, m_count, m_interval)) {
            m_checkpointFile.Write(&m_state, sizeof m_state);
            m_events.m_checkpoints.push_back({m_count, events.back().time});
        }
    }

    void Close() {
        m_events.m_eventCount = m_count;
        // The events after the last whole block are stored whole, where later ones may follow them.
        m_events.m_tailOffset = m_written;
        if (m_pendingCount > 0 && !m_whole) m_packer.Unpack(m_pending.data());
        m_eventFile.Write(m_pending.data(), m_pendingCount * sizeof(FcuEvent));
        m_eventFile.Close();
        m_eventOutput.Close();
        m_checkpointFile.Close();
        m_checkpointOutput.Close();
    }

private:
    void WriteBlock() {
        FcuEventBlock block;
        block.fileOffset = m_written;
        if (m_whole) {
            m_eventFile.Write(m_pending.data(), block.Bytes());
        } else {
            m_packer.Finish(block);
            m_eventFile.Commit(block.Bytes());
        }
        m_written += block.Bytes();
        m_events.m_blocks.push_back(block);
        m_pendingCount = 0;
    }

    CFcuEvents& m_events;
    std::size_t m_pendingCount = 0;  // events of the block being written
    CEventBlockPacker m_packer;      // packs them into the room reserved for the block
    bool m_whole = false;            // the block does not pack: its events are kept whole, in m_pending
    std::vector<FcuEvent> m_pending = std::vector<FcuEvent>(kEventBlockEvents);
    std::uint64_t m_written = 0;  // bytes of the events file
    const LoopState& m_state;
    std::uint64_t m_interval;
    std::uint64_t m_count = 0;
    // The outputs outlive the threads that write them.
    CDirectOutputFile m_eventOutput;
    CDirectOutputFile m_checkpointOutput;
    CBackgroundFileWriter m_eventFile;
    CBackgroundFileWriter m_checkpointFile;
};

namespace {

struct Head {
    std::uint32_t time;
    std::size_t rank;  // the file's place by day start: equal times keep the load's order of files
    CDayFileCursor* cursor;
    bool operator>(const Head& other) const {
        return time != other.time ? time > other.time : rank > other.rank;
    }
};

}  // namespace

// One pass; with `follow`, beside a load that may still run (see FcuEventsBuildOptions::loadEnded). Null when
// cancelled, or with misordered set when a day file the load finished later has records before those the
// pass has passed.
class CFcuEventsPass {
public:
    static std::unique_ptr<CFcuEvents> Run(const CRecordDatabase& database, const FCUConfigurationList& configuration,
                                           const FcuEventsBuildOptions& options, bool follow, bool& misordered);
};

std::unique_ptr<CFcuEvents> CFcuEventsPass::Run(const CRecordDatabase& database,
                                                const FCUConfigurationList& configuration,
                                                const FcuEventsBuildOptions& options, bool follow, bool& misordered) {
    misordered = false;
    auto events = std::make_unique<CFcuEvents>();
    events->m_listings = ListingsOf(configuration);
    events->m_files->events = CreateUniqueFile(options.tempFolder, "fcu-events");
    events->m_files->checkpoints = CreateUniqueFile(options.tempFolder, "fcu-checkpoints");

    const std::uint8_t base = database.Settings().modbusBaseAddress;
    const CRecordToParameterXferConverter converter(configuration);
    auto state = std::make_unique<LoopState>();
    CFcuEventExtractor extractor(converter, base, *state);
    CFcuEventsWriter writer(*events, *state, options.checkpointInterval);

    // This thread merges and decodes; the events thread compares the reports with the state and writes the
    // events, and decodes the batches this thread has no time for. It is stopped and joined before
    // anything it uses goes.
    CRecordBatchPipe pipe(kRecordBatches);
    std::exception_ptr eventsFailure;
    std::thread eventsThread([&] {
        try {
            CBatchDecoder decoder(extractor, base);
            while (auto batch = pipe.Next()) {
                if (batch->state == CRecordBatch::State::Filled) decoder.Decode(*batch);
                extractor.Extract(batch->reports, writer);
                pipe.Recycle(std::move(batch));
            }
        } catch (...) {
            eventsFailure = std::current_exception();
            pipe.Stop();
        }
    });
    struct Joiner {
        CRecordBatchPipe& pipe;
        std::thread& thread;
        ~Joiner() {
            pipe.Stop();
            if (thread.joinable()) thread.join();
        }
    } joiner{pipe, eventsThread};
    CBatchDecoder decoder(extractor, base);
    std::unique_ptr<CRecordBatch> batch = pipe.Empty();
    // Hands the batch on; false once the pipe is stopped (the events thread failed).
    const auto send = [&] {
        pipe.Send(std::move(batch));
        batch = pipe.Empty();
        return batch != nullptr;
    };

    // Cursors in the load's order of files (by day start), which is the order of their serial numbers; the
    // rank of a file is its place there.
    CWindowPool pool;
    std::vector<std::unique_ptr<CDayFileCursor>> cursors;
    for (const auto& file : database.Files()) {
        if (database.Settings().window.Excludes(file->DayStart())) continue;
        events->m_dayFiles.push_back(file->Path());
        events->m_dayFileEnds.push_back(0);  // once the load has finished the file
        cursors.push_back(std::make_unique<CDayFileCursor>(*file, events->m_dayFiles.size() - 1, pool));
    }
    if (events->m_dayFiles.size() > std::numeric_limits<std::uint16_t>::max()) {
        throw CVyxError("more day files than the events can name");
    }
    std::stable_sort(cursors.begin(), cursors.end(),
                     [](const auto& a, const auto& b) { return a->DayStart() < b->DayStart(); });
    struct Pending {
        std::uint32_t firstTime;
        std::size_t rank;
    };
    // Files come into the merge when the merge reaches their first time, so only files whose times overlap
    // are open at once; equal first times keep the order of ranks.
    std::vector<Pending> pending;
    std::size_t nextPending = 0;
    std::size_t taken = 0;  // cursors taken into the merge (the load has finished their files)
    std::size_t finishedBelow = 0;
    std::int64_t total = 0;
    bool first = true;
    // Takes the files the load has finished since; false when one of them comes too late for the order.
    const auto takeFinished = [&] {
        if (!follow || options.loadEnded->load()) {
            finishedBelow = cursors.size();
        } else {
            // The load works through the files in this order: once one has records, those before are done.
            for (std::size_t k = finishedBelow; k < cursors.size(); ++k) {
                if (cursors[k]->FirstSerial() >= 0) finishedBelow = k;
            }
        }
        for (; taken < finishedBelow; ++taken) {
            CDayFileCursor& c = *cursors[taken];
            c.Take();
            events->m_dayFileEnds[c.FileIndex()] = c.LoadedBytes();
            if (c.Empty()) continue;
            c.Open();
            c.Read(0);
            const Pending p{c.Time(), taken};
            c.Close();
            if (!first && p.firstTime < events->m_lastTime) return false;
            total += c.Count();
            pending.insert(std::upper_bound(pending.begin() + static_cast<std::ptrdiff_t>(nextPending), pending.end(),
                                            p, [](const Pending& a, const Pending& b) { return a.firstTime < b.firstTime; }),
                           p);
        }
        return true;
    };
    std::priority_queue<Head, std::vector<Head>, std::greater<>> heads;
    const auto activate = [&](const Pending& p) {
        CDayFileCursor& c = *cursors[p.rank];
        c.Open();
        c.Read(0);
        heads.push({c.Time(), p.rank, &c});
    };

    std::int64_t done = 0;
    // The file whose record comes next, out of the heap: within a file the records are in time order and
    // files overlap only around their day's edges, so it mostly stays next for long runs of records.
    CDayFileCursor* current = nullptr;
    std::size_t currentRank = 0;
    while (true) {
        if (current == nullptr) {
            if (taken < cursors.size() && !takeFinished()) {
                misordered = true;
                return nullptr;
            }
            while (nextPending < pending.size() &&
                   (heads.empty() || pending[nextPending].firstTime <= heads.top().time)) {
                activate(pending[nextPending++]);
            }
            if (heads.empty()) {
                if (taken == cursors.size()) break;
                // Ahead of the load: wait for its next file.
                if (options.cancel && options.cancel->load()) return nullptr;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            const Head head = heads.top();
            heads.pop();
            current = head.cursor;
            currentRank = head.rank;
        }
        CDayFileCursor& c = *current;
        const std::uint32_t time = c.Time();
        if (first) {
            events->m_firstTime = time;
            first = false;
        }
        events->m_lastTime = std::max(events->m_lastTime, time);
        if (CFcuEventExtractor::MayGiveEvents(c.MessageMode())) {
            if (!batch) break;  // the events thread failed
            const RecordPlace place{static_cast<std::uint16_t>(c.FileIndex()), static_cast<std::uint32_t>(c.Offset()),
                                    c.Serial()};
            if (batch->state == CRecordBatch::State::Decoding) {
                decoder.Decode(place, time, c.Channel(), c.MessageMode(), c.Bytes(), c.Size(), batch->reports);
            } else {
                batch->Add(place, time, c.Channel(), c.MessageMode(), c.Bytes(), c.Size());
            }
            if (++batch->count >= kRecordsPerBatch && !send()) break;
        }
        ++done;
        if ((done & 4095) == 0 && options.cancel && options.cancel->load()) return nullptr;
        if ((done & 65535) == 0 && options.progress) options.progress(done, total);
        if (c.Position() + 1 < c.Count()) {
            c.Read(c.Position() + 1);
            const Head next{c.Time(), currentRank, &c};
            // It stays next while it comes before every other file's record and before the next file to join
            // (at an equal time the heap decides, as for any other record).
            // Beside a running load it also goes back now and then, so that the files finished since join.
            const bool stays = (nextPending == pending.size() || next.time < pending[nextPending].firstTime) &&
                               (heads.empty() || heads.top() > next) &&
                               (taken == cursors.size() || (done & 4095) != 0);
            if (!stays) {
                heads.push(next);
                current = nullptr;
            }
        } else {
            c.Close();
            current = nullptr;
        }
    }
    if (batch && (batch->count == 0 || send())) pipe.Finish();
    eventsThread.join();
    if (eventsFailure) std::rethrow_exception(eventsFailure);
    writer.Close();
    events->m_recordCount = done;
    if (options.progress) options.progress(done, total);
    return events;
}

std::unique_ptr<CFcuEvents> BuildFcuEvents(const CRecordDatabase& database, const FCUConfigurationList& configuration,
                                           const FcuEventsBuildOptions& options) {
    bool misordered = false;
    if (options.loadEnded != nullptr) {
        auto events = CFcuEventsPass::Run(database, configuration, options, true, misordered);
        if (!misordered) return events;
        // Records of a later file go before what was passed: once the load is done, the pass starts again.
        while (!options.loadEnded->load()) {
            if (options.cancel && options.cancel->load()) return nullptr;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return CFcuEventsPass::Run(database, configuration, options, false, misordered);
}

}  // namespace vyx
