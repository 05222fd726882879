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

// The records of the merge that may give events, copied out of the read windows, and once decoded, their
// reports. A batch is decoded by whichever of the pass's two threads has time for it: the events thread
// decodes the batches it takes, unless the merging thread, finding work queued for the events thread,
// decoded them already. So neither waits long for the other, whatever the mix of records.
struct CRecordBatch {
    struct Entry {
        RecordPlace place;
        std::uint32_t time = 0;
        std::uint32_t first = 0;  // in bytes
        std::uint16_t size = 0;
        std::uint8_t channel = 0;
        std::uint8_t messageMode = 0;
    };
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
        state = State::Filled;
    }

    std::vector<Entry> records;
    std::vector<std::uint8_t> bytes;
    CFcuReportList reports;
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

    // Merging side: an empty batch to fill; null once the pipe is stopped.
    std::unique_ptr<CRecordBatch> Empty();
    // Hands a filled batch on. True when the caller is to decode it (and then call Decoded): when the events
    // thread has another batch still to decode before it, so that it stays busy while this one is decoded
    // here. It takes the batches from the front, this side from the back, so they never want the same one.
    bool Send(std::unique_ptr<CRecordBatch> batch, CRecordBatch*& sent);
    void Decoded(CRecordBatch& batch);
    void Finish();

    // Events side: the next batch in order, decoded or still to be decoded (then by the caller: its state is
    // Filled); null after the last one, or once the pipe is stopped.
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
