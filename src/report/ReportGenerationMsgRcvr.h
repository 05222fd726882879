#pragma once
// What the report worker tells its dialog. The worker runs on its own thread and never touches the user
// interface: the viewer's receiver delivers each call to the UI thread as a queued call, the command-line
// tool's receiver handles it directly. The ids keep the window message numbers the dialog always used.

#include <cstdint>
#include <string>

#include "platform/MessageIcon.h"

namespace vyx {

enum ReportMessage : std::uint32_t {
    UM_REPORT_STARTED = 0x415,    // writing has begun
    UM_REPORT_PROGRESS = 0x416,   // one more step (a batch of 1000 records, or 200 for short runs)
    UM_REPORT_COMPLETED = 0x417,  // the run has ended, also after a stop
    UM_REPORT_FAILED = 0x41F,     // the run has ended after a failure, which OnMessage has already told
};

// One run sends OnStarted once, OnProgress once per step, then exactly one of OnCompleted and OnFailed. A run
// whose output cannot be opened sends none of them, only OnMessage. Called on the worker's thread; none of
// them may wait for the UI thread, which may itself be waiting in Stop for the worker to end.
class IReportGenerationMsgRcvr {
public:
    virtual ~IReportGenerationMsgRcvr() = default;
    // The generator always passes 0 and 0; the result is not looked at.
    virtual std::int32_t OnStarted(std::int32_t wParam, std::int32_t lParam) = 0;
    virtual std::int32_t OnProgress(std::int32_t wParam, std::int32_t lParam) = 0;
    virtual std::int32_t OnCompleted(std::int32_t wParam, std::int32_t lParam) = 0;
    virtual std::int32_t OnFailed(std::int32_t wParam, std::int32_t lParam) = 0;

    // A message box for the user (a failure), sent before the OnFailed of the same failure.
    virtual void OnMessage(const std::string& text, MessageIcon icon) = 0;
    // A finished HTML report, sent after OnCompleted, for the desktop to open; the command-line tool ignores it.
    virtual void OnOpenDocument(const std::string& path) = 0;
};

}  // namespace vyx
