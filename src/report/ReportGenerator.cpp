#include "report/ReportGenerator.h"

#include "logdata/RecordDatabase.h"
#include "platform/JobId.h"

namespace vyx {

CReportGenerator::CReportGenerator(const CRecordDatabase* database, IReportGenerationMsgRcvr* receiver)
    : m_pDatabase(database), m_pReceiver(receiver) {
    if (m_pDatabase) m_options.workbookTempFolder = m_pDatabase->TempFolder();
}

CReportGenerator::~CReportGenerator() {
    Stop();
    Join();
}

void CReportGenerator::Join() {
    // A receiver that stops the generator from inside a notification must not wait for its own thread.
    if (m_worker.joinable() && m_worker.get_id() != std::this_thread::get_id()) m_worker.join();
}

void CReportGenerator::Start(const CReportCriteria& criteria) {
    if (m_worker.joinable()) {
        Stop();
        Join();
    }
    CReportRecordReader reader = m_pDatabase ? CReportRecordReader(*m_pDatabase) : CReportRecordReader();
    {
        std::lock_guard lock(m_stateMutex);
        m_bStopRequested = false;
    }
    // A pause left over from a run that ended meanwhile (the cancel question was up when it finished) would
    // hold the new run at its first record for good.
    Resume();
    m_nJobId = NewJobId();
    m_ended.store(false);
    m_busy.store(true);
    m_worker = std::thread(&CReportGenerator::Run, this, criteria, std::move(reader), m_options);
}

void CReportGenerator::Run(CReportCriteria criteria, CReportRecordReader reader, MessageLogOptions options) {
    try {
        CMessageLogWriter writer(*this, m_pReceiver, reader, criteria, options);
        writer.Write();
    } catch (...) {
        // The writer turns every error it expects into a message; anything else (memory) must not end the
        // program from this thread: the run ends as failed.
        EndWriting();
        try {
            if (m_pReceiver) m_pReceiver->OnFailed(0, 0);
        } catch (...) {
        }
    }
    m_busy.store(false);
}

void CReportGenerator::Stop() {
    {
        std::lock_guard lock(m_stateMutex);
        if (!m_busy.load()) {
            // Nothing to stop, but a pause requested meanwhile must not outlive the run.
            Resume();
            return;
        }
        m_bStopRequested = true;
    }
    // Cleared before the resume, so a paused worker leaves its loop without writing another record, and
    // it is never left waiting at its pause point.
    m_bRunning.store(0);
    Resume();
    Join();
}

void CReportGenerator::Wait() {
    Join();
}

void CReportGenerator::JoinIfEnded() {
    if (m_ended.load()) Join();
}

void CReportGenerator::Pause() {
    std::lock_guard lock(m_pauseMutex);
    if (m_bPaused.load() != 0) return;
    m_bGateOpen = false;
    m_bPaused.store(1);
}

void CReportGenerator::Resume() {
    {
        std::lock_guard lock(m_pauseMutex);
        if (m_bPaused.load() == 0) return;
        m_bGateOpen = true;
        m_bPaused.store(0);
    }
    m_pauseGate.notify_all();
}

void CReportGenerator::BeginWriting() {
    std::lock_guard lock(m_stateMutex);
    if (!m_bStopRequested) m_bRunning.store(1);
}

void CReportGenerator::PausePoint() {
    if (m_bPaused.load(std::memory_order_relaxed) == 0) return;
    std::unique_lock lock(m_pauseMutex);
    m_pauseGate.wait(lock, [this] { return m_bGateOpen; });
    // Under the lock: a Pause issued meanwhile closed the gate again and keeps its flag.
    m_bPaused.store(0);
}

void CReportGenerator::EndWriting() {
    m_bRunning.store(0);
    m_ended.store(true);
}

}  // namespace vyx
