#include "app/DayFileBytesWorker.h"

#include "app/QueuedDelivery.h"
#include "logdata/DataFolder.h"

namespace vyx::gui {

DayFileBytesWorker::DayFileBytesWorker(QObject* receiver, Measure measure)
    : m_receiver(receiver), m_measure(std::move(measure)) {
    if (!m_measure) {
        m_measure = [](const std::string& folder, const std::atomic<bool>& cancel) {
            return DayFileBytes(ListDayFiles(folder), &cancel);
        };
    }
}

DayFileBytesWorker::~DayFileBytesWorker() {
    m_alive.reset();
    m_cancel = true;
    if (m_worker.joinable()) m_worker.join();
}

void DayFileBytesWorker::Start(std::string folder, std::function<void(const TimeHistogram&)> ready) {
    ++m_generation;
    m_ready = std::move(ready);
    m_next = std::move(folder);
    if (m_worker.joinable()) {
        m_cancel = true;  // its result is not wanted; this folder follows when it has ended
        return;
    }
    Launch();
}

void DayFileBytesWorker::Drop() {
    ++m_generation;
    m_next.reset();
    m_cancel = true;
}

void DayFileBytesWorker::Launch() {
    const std::string folder = std::move(*m_next);
    m_next.reset();
    m_cancel = false;
    m_running = m_generation;
    const QueuedDelivery delivery(m_receiver);
    m_worker = std::thread([this, delivery, folder, generation = m_running, alive = std::weak_ptr<char>(m_alive)] {
        TimeHistogram histogram = m_measure(folder, m_cancel);
        delivery.Post([this, alive, generation, histogram = std::move(histogram)] {
            if (!alive.expired()) Finished(generation, histogram);
        });
    });
}

void DayFileBytesWorker::Finished(unsigned generation, const TimeHistogram& histogram) {
    if (m_worker.joinable()) m_worker.join();  // it has posted this as its last act
    if (generation == m_generation && m_ready) m_ready(histogram);
    if (m_next) Launch();
}

}  // namespace vyx::gui
