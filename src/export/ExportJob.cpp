#include "export/ExportJob.h"

#include "export/RecordExport.h"
#include "logdata/RecordDatabase.h"
#include "platform/FileError.h"

namespace vyx {

namespace {

std::int64_t RowsOf(const std::vector<SerialSpan>& spans) {
    std::int64_t rows = 0;
    for (const SerialSpan& span : spans) rows += span.count;
    return rows;
}

}  // namespace

CExportJob::CExportJob(const CRecordDatabase& database, ExportRequest request, std::vector<SerialSpan> spans,
                       std::function<void()> onEnded)
    : m_database(database),
      m_request(std::move(request)),
      m_spans(std::move(spans)),
      m_count(RowsOf(m_spans)),
      m_onEnded(std::move(onEnded)),
      m_worker([this] { Run(); }) {}

CExportJob::~CExportJob() {
    m_cancel = true;
    if (m_worker.joinable()) m_worker.join();
}

std::string CExportJob::FailureText() const {
    std::lock_guard lock(m_mutex);
    return m_failure;
}

void CExportJob::Run() {
    ExportOutcome outcome = ExportOutcome::Failed;
    try {
        // Destroyed before the outcome is told: an unfinished sink removes its partial output first.
        std::unique_ptr<IExportSink> sink = OpenExportSink(m_request, m_database.TempFolder());
        const bool completed = ExportRecordSpans(m_database, m_spans, *sink, [this](std::int64_t written) {
            m_written = written;
            return !m_cancel.load();
        });
        sink.reset();
        outcome = completed ? ExportOutcome::Completed : ExportOutcome::Cancelled;
    } catch (const std::exception& e) {
        std::lock_guard lock(m_mutex);
        m_failure = e.what();
    } catch (...) {
        std::lock_guard lock(m_mutex);
        m_failure = "an unexpected error";
    }
    m_outcome = outcome;
    if (m_onEnded) m_onEnded();
}

}  // namespace vyx
