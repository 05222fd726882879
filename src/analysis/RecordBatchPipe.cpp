#include "analysis/RecordBatchPipe.h"

#include <algorithm>

#include "logdata/RecordBytes.h"

namespace vyx {

void CBatchDecoder::Decode(const RecordPlace& place, std::uint32_t time, int channel, int messageMode,
                           const std::uint8_t* bytes, int size, CFcuReportList& reports) {
    if (messageMode == kModeParameterBlockTransfer) {
        // The most common record and the only one whose reports need nothing but the message bytes.
        reports.BeginRecord(place, time, channel, SourceOf(bytes, size));
        m_extractor.ReportBlockTransfer({bytes + kMessageFirstByte, static_cast<std::size_t>(MessageLengthOf(size))},
                                        reports);
    } else {
        m_parse.Parse(bytes, size, m_record);
        m_extractor.Report(m_record, place, reports);
    }
}

void CBatchDecoder::Decode(CRecordBatch& batch) {
    for (const CRecordBatch::Entry& r : batch.records) {
        Decode(r.place, r.time, r.channel, r.messageMode, batch.bytes.data() + r.first, r.size, batch.reports);
    }
}

CRecordBatchPipe::CRecordBatchPipe(std::size_t batches) {
    for (std::size_t i = 0; i < batches; ++i) m_free.push_back(std::make_unique<CRecordBatch>());
}

std::unique_ptr<CRecordBatch> CRecordBatchPipe::Empty() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_stopped || !m_free.empty(); });
    if (m_stopped) return nullptr;
    auto batch = std::move(m_free.back());
    m_free.pop_back();
    const bool queued = std::any_of(m_queue.begin(), m_queue.end(), [](const auto& waiting) {
        return waiting->state == CRecordBatch::State::Filled;
    });
    batch->state = queued ? CRecordBatch::State::Decoding : CRecordBatch::State::Filled;
    return batch;
}

void CRecordBatchPipe::Send(std::unique_ptr<CRecordBatch> batch) {
    std::lock_guard lock(m_mutex);
    if (batch->state == CRecordBatch::State::Decoding) batch->state = CRecordBatch::State::Decoded;
    m_queue.push_back(std::move(batch));
    m_changed.notify_all();
}

void CRecordBatchPipe::Finish() {
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_changed.notify_all();
}

std::unique_ptr<CRecordBatch> CRecordBatchPipe::Next() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] {
        return m_stopped || !m_queue.empty() || m_finished;
    });
    if (m_stopped || m_queue.empty()) return nullptr;
    auto batch = std::move(m_queue.front());
    m_queue.pop_front();
    return batch;
}

void CRecordBatchPipe::Recycle(std::unique_ptr<CRecordBatch> batch) {
    batch->Clear();
    std::lock_guard lock(m_mutex);
    m_free.push_back(std::move(batch));
    m_changed.notify_all();
}

void CRecordBatchPipe::Stop() {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_changed.notify_all();
}

}  // namespace vyx
