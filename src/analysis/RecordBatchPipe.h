#pragma once
// The events pass's records on their way from the thread that merges the day files in time order to the
// thread that turns their reports into events: batches of record bytes, each decoded into reports on
// whichever of the two has time for it.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "analysis/FcuEventExtractor.h"
#include "analysis/FcuReports.h"
#include "logdata/Parse.h"

namespace vyx {

// A batch of the merge's records that may give events, and their reports. The merging thread decodes a batch
// itself as it fills it when the events thread has work queued; otherwise it copies the records' bytes out of
// its read windows for the events thread to decode. So neither waits long for the other, whatever the mix of
// records, and a record's bytes are copied only when it changes threads.
struct CRecordBatch {
    struct Entry {
        RecordPlace place;
        std::uint32_t time = 0;
        std::uint32_t first = 0;  // in bytes
        std::uint16_t size = 0;
        std::uint8_t channel = 0;
        std::uint8_t messageMode = 0;
    };
    // Filled: records and bytes, for the events thread to decode; Decoding: decoded as it is filled, by the
    // merging thread; Decoded: handed on so.
    enum class State : std::uint8_t { Filled, Decoding, Decoded };

    void Add(const RecordPlace& place, std::uint32_t time, int channel, int messageMode, const std::uint8_t* bytes,
             int size) {
        records.push_back({place, time, static_cast<std::uint32_t>(this->bytes.size()),
                           static_cast<std::uint16_t>(size), static_cast<std::uint8_t>(channel),
                           static_cast<std::uint8_t>(messageMode)});
        this->bytes.insert(this->bytes.end(), bytes, bytes + size);
    }
    void Clear() {
        records.clear();
        bytes.clear();
        reports.Clear();
        count = 0;
        state = State::Filled;
    }

    std::vector<Entry> records;
    std::vector<std::uint8_t> bytes;
    CFcuReportList reports;
    std::size_t count = 0;  // records taken, in either state
    State state = State::Filled;
};

// Records per batch: a few hundred kilobytes, large enough that handing one over costs next to nothing.
constexpr std::size_t kRecordsPerBatch = 4096;
constexpr std::size_t kRecordBatches = 6;

// Decodes a batch's records into its reports; each thread has its own parse and record.
class CBatchDecoder {
public:
    CBatchDecoder(const CFcuEventExtractor& extractor, std::uint8_t modbusBaseAddress)
        : m_extractor(extractor), m_parse(modbusBaseAddress) {}

    // The reports of one record, from its bytes.
    void Decode(const RecordPlace& place, std::uint32_t time, int channel, int messageMode,
                const std::uint8_t* bytes, int size, CFcuReportList& reports);
    // Those of a Filled batch's records.
    void Decode(CRecordBatch& batch);

private:
    const CFcuEventExtractor& m_extractor;
    CParse m_parse;
    CRecord m_record;
};

// The batches between the merging thread and the events thread, in the merge's order, a few at a time, so
// memory stays the same whatever the folder's size.
class CRecordBatchPipe {
public:
    explicit CRecordBatchPipe(std::size_t batches);

    // Merging side: an empty batch to fill, Decoding when the events thread has a Filled batch queued, else
    // Filled; null once the pipe is stopped.
    std::unique_ptr<CRecordBatch> Empty();
    // Hands a batch on (a Decoding one as Decoded).
    void Send(std::unique_ptr<CRecordBatch> batch);
    void Finish();

    // Events side: the next batch in order, Decoded or Filled (to be decoded by the caller); null after the
    // last one, or once the pipe is stopped.
    std::unique_ptr<CRecordBatch> Next();
    void Recycle(std::unique_ptr<CRecordBatch> batch);

    // Either side gives up (a failure, a cancel): neither waits for the other any more.
    void Stop();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<CRecordBatch>> m_free;
    std::deque<std::unique_ptr<CRecordBatch>> m_queue;
    bool m_finished = false;
    bool m_stopped = false;
};

}  // namespace vyx
