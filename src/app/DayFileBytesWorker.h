#pragma once
// The overview bar's first figures, the bytes of a folder's day files by day, measured off the user-interface
// thread: on a network share listing and sizing thousands of files would freeze the window. One measure runs
// at a time; a folder asked for meanwhile is measured after it, and a result that is no longer wanted (another
// folder was asked for, or Drop) is not delivered.

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "analysis/TimeHistogram.h"

namespace vyx::gui {

class DayFileBytesWorker {
public:
    // How a folder is measured: lists it and sizes its day files unless cancelled (tests put in their own).
    using Measure = std::function<TimeHistogram(const std::string& folder, const std::atomic<bool>& cancel)>;

    // Results are delivered on the receiver's thread (and dropped once the receiver or this object has gone).
    explicit DayFileBytesWorker(QObject* receiver, Measure measure = {});
    ~DayFileBytesWorker();  // cancels and waits for the measure
    DayFileBytesWorker(const DayFileBytesWorker&) = delete;
    DayFileBytesWorker& operator=(const DayFileBytesWorker&) = delete;

    // Measures the folder; ready gets its figures on the receiver's thread unless Start or Drop came since.
    void Start(std::string folder, std::function<void(const TimeHistogram&)> ready);
    // The result of the measure asked for last is no longer wanted.
    void Drop();
    bool Running() const { return m_worker.joinable(); }

private:
    void Launch();
    void Finished(unsigned generation, const TimeHistogram& histogram);

    QObject* m_receiver;
    Measure m_measure;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    unsigned m_generation = 0;  // of the last Start or Drop
    unsigned m_running = 0;     // the generation the worker measures
    std::optional<std::string> m_next;  // asked for while a measure ran
    std::function<void(const TimeHistogram&)> m_ready;
    std::shared_ptr<char> m_alive = std::make_shared<char>();  // a posted result checks it is still wanted
};

}  // namespace vyx::gui
