#pragma once
// An export run on a worker thread of its own, for the viewer: the rows of a finished load (all, or a range
// such as the selection) written to a checked request's output, with a count of rows written, cancel, and
// one call at the end on the worker's thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "export/ExportRequest.h"
#include "export/RecordExport.h"
#include "logdata/SerialNumber.h"

namespace vyx {

class CRecordDatabase;

enum class ExportOutcome { Running, Completed, Cancelled, Failed };

class CExportJob {
public:
    // Starts at once. The store must not be stopped, reset or reloaded until the job has ended: the caller
    // refuses a new load while Running. onEnded runs once on the worker's thread when the job ends, however
    // it ends; it must not wait for the caller's thread.
    CExportJob(const CRecordDatabase& database, ExportRequest request, std::vector<SerialSpan> spans,
               std::function<void()> onEnded);
    // Cancels and waits for the worker: an unfinished export leaves no output under its name.
    ~CExportJob();
    CExportJob(const CExportJob&) = delete;
    CExportJob& operator=(const CExportJob&) = delete;

    void Cancel() { m_cancel = true; }
    std::int64_t Written() const { return m_written.load(); }
    // The rows asked for.
    std::int64_t Count() const { return m_count; }
    ExportOutcome Outcome() const { return m_outcome.load(); }
    // Why it failed, once Outcome() is Failed.
    std::string FailureText() const;
    const ExportRequest& Request() const { return m_request; }

private:
    void Run();

    const CRecordDatabase& m_database;
    ExportRequest m_request;
    std::vector<SerialSpan> m_spans;
    std::int64_t m_count = 0;
    std::function<void()> m_onEnded;
    std::atomic<bool> m_cancel{false};
    std::atomic<std::int64_t> m_written{0};
    std::atomic<ExportOutcome> m_outcome{ExportOutcome::Running};
    mutable std::mutex m_mutex;
    std::string m_failure;
    std::thread m_worker;  // last: started when everything it uses is in place
};

}  // namespace vyx
