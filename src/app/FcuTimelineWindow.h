#pragma once
// The timeline of one FCU over a span: its events read on a worker (the span may hold millions of the
// loop's events), then painted lane by lane. A mark's tooltip is its record's text; a double click shows
// the record in the main list.

#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "analysis/EventRecordReader.h"
#include "analysis/FcuEvents.h"
#include "analysis/FcuTimeline.h"
#include "app/QueuedDelivery.h"

class QLabel;
class QTimer;

namespace vyx {
class FcuTimelineView;
}

namespace vyx::gui {

class FcuTimelineWindow : public QWidget {
    Q_OBJECT
public:
    FcuTimelineWindow(QWidget* parent, std::function<void(const RecordLocation&)> showRecord);
    ~FcuTimelineWindow() override;

    // Reads and shows the FCU's events from `from` to `to` (both included).
    void Show(std::shared_ptr<const CFcuEvents> events, std::uint8_t modbusBaseAddress, int fcu, std::uint32_t from,
              std::uint32_t to);

    // The events grew: a timeline that reaches the end of the events it shows is read again up to the new
    // end, at most once a second, and the view keeps its place (or, showing all, shows all).
    void Extend(std::shared_ptr<const CFcuEvents> events);

    FcuTimelineView* View() const { return m_view; }
    bool Ready() const { return m_shown != nullptr; }
    int Fcu() const { return m_fcu; }
    const FcuTimeline* Shown() const { return m_shown.get(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;  // Escape and Ctrl+W close the window

private:
    void StopWorker();
    void Collect(std::shared_ptr<const CFcuEvents> events, bool keepView);
    void OnCollected(std::shared_ptr<const FcuTimeline> timeline, bool keepView);
    QString MarkText(const FcuEvent& event);

    std::function<void(const RecordLocation&)> m_showRecord;
    QueuedDelivery m_delivery;
    QLabel* m_title = nullptr;
    QLabel* m_status = nullptr;
    FcuTimelineView* m_view = nullptr;

    std::shared_ptr<const CFcuEvents> m_events;
    std::unique_ptr<CEventRecordReader> m_records;
    std::shared_ptr<const FcuTimeline> m_shown;
    int m_fcu = 0;
    std::uint8_t m_modbusBaseAddress = 0;
    std::uint32_t m_from = 0;
    std::uint32_t m_to = 0;
    std::shared_ptr<const CFcuEvents> m_grown;  // waits for the next read again
    QTimer* m_extendTimer = nullptr;
    std::uint64_t m_job = 0;
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
};

}  // namespace vyx::gui
