#pragma once
// The Message Log report generator: writes a range of the record store on a worker thread of its own and
// reports back through an IReportGenerationMsgRcvr. One generator runs one generation at a time.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "report/MessageLogWriter.h"
#include "report/ReportCriteria.h"
#include "report/ReportGenerationMsgRcvr.h"
#include "report/ReportRecordReader.h"

namespace vyx {

class CRecordDatabase;

class IReportGenerator {
public:
    // Starts a generation and returns at once.
    virtual void Start(const CReportCriteria& criteria) = 0;
    // True from the moment the output is open until the worker has finished writing.
    virtual bool IsRunning() const = 0;
    // Ends a running generation and returns once the worker has finished its output and its notification.
    virtual void Stop() = 0;
    // The worker halts after the record in progress until Resume (or Stop).
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual bool IsPaused() const = 0;

protected:
    ~IReportGenerator() = default;
};

class CReportGenerator final : public IReportGenerator {
public:
    // The store and the receiver must outlive the generator.
    CReportGenerator(const CRecordDatabase* database, IReportGenerationMsgRcvr* receiver);
    // Stops a running generation and waits for its worker.
    virtual ~CReportGenerator();
    CReportGenerator(const CReportGenerator&) = delete;
    CReportGenerator& operator=(const CReportGenerator&) = delete;

    // Takes its copy of the store here, on the caller's thread. A worker still alive from an earlier
    // Start is stopped and waited for first, so two generations never run at once.
    void Start(const CReportCriteria& criteria) override;
    bool IsRunning() const override { return m_bRunning.load() != 0; }
    void Stop() override;
    void Pause() override;
    void Resume() override;
    bool IsPaused() const override { return m_bPaused.load() != 0; }

    // True while a worker exists that has not ended: also while it opens its output, when IsRunning is
    // still false. The store must not be reset or reloaded while this is true.
    bool IsBusy() const { return m_busy.load(); }
    // Waits until the worker has ended by itself (for callers without an event loop).
    void Wait();
    // Joins the worker once it has finished writing, when all it has left is to post its last notifications:
    // then IsBusy no longer outlasts the run that the completion just reported. Never waits for writing.
    void JoinIfEnded();
    // The generation of the run started last (0 before the first).
    std::uint32_t JobId() const { return m_nJobId; }

    // CSV and HTML go to standard output as one file (the command-line tool).
    void SetStandardOutput(bool on) { m_options.standardOutput = on; }
    // A stop removes what the run wrote instead of keeping it (the command-line tool, ended by a signal).
    void SetDiscardOnStop(bool on) { m_options.discardOnStop = on; }
    // Where the spreadsheet form keeps its row files; the store's temporary folder by default.
    void SetWorkbookTempFolder(std::string folder) { m_options.workbookTempFolder = std::move(folder); }
    // Fewer records per sheet, so tests reach sheet and workbook changes with few records.
    void SetRecordsPerSheetForTest(std::int64_t records) { m_options.recordsPerSheet = records; }

private:
    void Run(CReportCriteria criteria, CReportRecordReader reader, MessageLogOptions options);
    void Join();

    // What the writer on the worker calls.
    friend class CMessageLogWriter;
    // Writing begins: the run counts as running from here on, unless a stop came first.
    void BeginWriting();
    // The record loop's test, read once per record.
    bool KeepWriting() const { return m_bRunning.load(std::memory_order_relaxed) != 0; }
    // Holds the worker here while a pause is requested.
    void PausePoint();
    // Writing has ended; the final notification follows.
    void EndWriting();

    const CRecordDatabase* m_pDatabase;
    IReportGenerationMsgRcvr* m_pReceiver;
    MessageLogOptions m_options;
    std::uint32_t m_nJobId = 0;

    std::atomic<std::int32_t> m_bRunning{0};
    std::atomic<std::int32_t> m_bPaused{0};
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_ended{false};  // the worker of the latest Start has finished writing

    // A stop that arrives while the worker is still opening its output must not be undone when the worker
    // then begins to write.
    std::mutex m_stateMutex;
    bool m_bStopRequested = false;

    // The pause gate: closed by Pause, opened by Resume.
    std::mutex m_pauseMutex;
    std::condition_variable m_pauseGate;
    bool m_bGateOpen = true;

    std::thread m_worker;
};

}  // namespace vyx
