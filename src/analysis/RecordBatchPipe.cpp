#include "analysis/RecordBatchPipe.h"

#include <algorithm>

#include "logdata/RecordBytes.h"

namespace vyx {

void CBatchDecoder::Decode(CRecordBatch& batch) {
    for (const CRecordBatch::Entry& r : batch.records) {
        const std::uint8_t* bytes = batch.bytes.data() + r.first;
        if (r.messageMode == kModeParameterBlockTransfer) {
            // The most common record and the only one whose reports need nothing but the message bytes.
            batch.reports.BeginRecord(r.place, r.time, r.channel, SourceOf(bytes, r.size));
            m_extractor.ReportBlockTransfer(
                {bytes + kMessageFirstByte, static_cast<std::size_t>(MessageLengthOf(r.size))}, batch.reports);
        } else {
            m_parse.Parse(bytes, r.size, m_record);
            m_extractor.Report(m_record, r.place, batch.reports);
        }
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
    return batch;
}

bool CRecordBatchPipe::Send(std::unique_ptr<CRecordBatch> batch, CRecordBatch*& sent) {
    std::lock_guard lock(m_mutex);
    const bool decodeHere = std::any_of(m_queue.begin(), m_queue.end(), [](const auto& queued) {
        return queued->state == CRecordBatch::State::Filled;
    });
    batch->state = decodeHere ? CRecordBatch::State::Decoding : CRecordBatch::State::Filled;
    sent = batch.get();
    m_queue.push_back(std::move(batch));
    m_changed.notify_all();
    return decodeHere;
}

void CRecordBatchPipe::Decoded(CRecordBatch& batch) {
    std::lock_guard lock(m_mutex);
    batch.state = CRecordBatch::State::Decoded;
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
        return m_stopped || (m_queue.empty() ? m_finished : m_queue.front()->state != CRecordBatch::State::Decoding);
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
