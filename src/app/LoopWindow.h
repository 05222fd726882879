#pragma once
// The Loop window: the state of every FCU of the folder at a moment. It computes the folder's events on a
// worker (with progress and Cancel), then shows a grid of FCU tiles at the moment of the time slider, the
// records over time by kind below the slider, and in compare mode what changed between two moments. A
// click on a tile opens that FCU's timeline.

#include <QColor>
#include <QStringList>
#include <QWidget>
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/FcuEvents.h"
#include "analysis/LiveFcuEvents.h"
#include "analysis/LoopStateWorker.h"
#include "analysis/LoopTiles.h"
#include "analysis/TimeHistogram.h"
#include "app/QueuedDelivery.h"
#include "logdata/LiveRecordFanOut.h"
#include "logdata/RecordLookup.h"

class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;

namespace vyx {
class FcuTileGrid;
class TimeHistogramView;
}  // namespace vyx

namespace vyx::gui {

class FcuTimelineWindow;

// The colours and names of the records' kinds in the histograms (the loop window's and the overview bar).
const std::vector<QColor>& RecordKindColours();
QStringList RecordKindNames();

// What the window needs of the main window.
struct LoopWindowHost {
    std::string folder;
    std::uint8_t modbusBaseAddress = 240;
    bool recover = false;
    std::string tempFolder;
    // Shows a record of the folder in the main list (a double click on a timeline mark).
    std::function<void(const RecordLocation&)> showRecord;
    // The records over time, once the events have been computed (for the overview bar).
    std::function<void(const std::string& folder, const TimeHistogram&)> histogramReady;
    // The records the list's follow reads, which the events take as they come; outlives the window.
    CLiveRecordFanOut* liveRecords = nullptr;
};

class LoopWindow : public QWidget {
    Q_OBJECT
public:
    LoopWindow(QWidget* parent, LoopWindowHost host);
    ~LoopWindow() override;

    const std::string& Folder() const { return m_host.folder; }
    // Computes the events anew (a new folder, or the window opened again after a cancel or failure).
    void Start(LoopWindowHost host);
    bool Ready() const { return m_events != nullptr; }
    bool Computing() const { return m_worker.joinable(); }
    QString StatusText() const;
    // How many times the events shown grew with records the follow read.
    std::uint64_t Growths() const { return m_growths; }

    // For tests and screenshots.
    FcuTileGrid* Tiles() const { return m_tiles; }
    TimeHistogramView* Histogram() const { return m_histogram; }
    QSlider* FirstSlider() const { return m_slider[0]; }
    QSlider* SecondSlider() const { return m_slider[1]; }
    QCheckBox* CompareBox() const { return m_compare; }
    FcuTimelineWindow* Timeline() const { return m_timeline; }
    // The moment the tiles show (the later one when comparing), once an answer has come.
    std::optional<std::uint32_t> ShownTime() const { return m_shownTime; }
    std::uint64_t AnswersShown() const { return m_answersShown; }
    std::uint64_t LastAsked() const { return m_lastAsked; }
    const CFcuEvents* Events() const { return m_events.get(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;  // Escape and Ctrl+W close the window; the events stay
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Built;
    void AlignHistogram();
    void BuildControls();
    void StopWorker();
    void OnProgress(std::int64_t done, std::int64_t total);
    void OnBuilt(std::shared_ptr<Built> built);
    void OnGrown(std::shared_ptr<const CFcuEvents> events, const QString& failure);
    // Where a slider stands: its moment, and whether it is at the end of the span.
    struct SliderPlace {
        std::uint32_t time = 0;
        bool atEnd = false;
    };
    SliderPlace PlaceOf(int which) const;
    // Shows the span and counts of m_events; sliders go to their places, or to their first places.
    void ShowEvents(std::optional<std::array<SliderPlace, 2>> places);
    void StartStateWorker();
    void RefreshHistogram();
    void StopLive();
    void OnFailed(const QString& text);
    void AskState();
    void ShowAnswer(const LoopStateAnswer& answer);
    void UpdateTiles();
    std::uint32_t SliderTime(int which) const;
    void SetSliderTime(int which, std::uint32_t t);
    void OpenTimeline(int fcu);
    QString ToolTipOf(int fcu) const;

    LoopWindowHost m_host;
    QueuedDelivery m_delivery;

    QLabel* m_statusText = nullptr;
    QString m_builtText;  // what the status says of the events shown
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_retry = nullptr;
    QSlider* m_slider[2] = {nullptr, nullptr};
    QDateTimeEdit* m_timeEdit[2] = {nullptr, nullptr};
    QCheckBox* m_compare = nullptr;
    QSpinBox* m_silentMinutes = nullptr;
    TimeHistogramView* m_histogram = nullptr;
    FcuTileGrid* m_tiles = nullptr;
    QLabel* m_summary = nullptr;
    FcuTimelineWindow* m_timeline = nullptr;

    std::shared_ptr<const CFcuEvents> m_events;
    std::vector<int> m_tileFcus;
    std::unique_ptr<CLoopStateWorker> m_stateWorker;
    std::optional<LoopStateAnswer> m_answer;
    std::optional<std::uint32_t> m_shownTime;
    std::uint64_t m_answersShown = 0;
    std::uint64_t m_lastAsked = 0;
    bool m_syncing = false;
    std::uint64_t m_job = 0;  // the events computation whose messages count

    std::atomic<bool> m_cancelFlag{false};
    std::thread m_worker;

    // Growth with the follow's records: the listener lives from the start of a computation to the next.
    std::unique_ptr<CLiveFcuEvents> m_live;
    std::shared_ptr<const CFcuEvents> m_grownEarly;  // grown before the first events were shown
    QString m_liveFailure;
    std::uint64_t m_growths = 0;
    // The histogram is recomputed on a thread of its own, at most every few seconds as the events grow.
    std::thread m_histogramWorker;
    std::atomic<bool> m_histogramCancel{false};
    bool m_histogramBusy = false;
    std::shared_ptr<const CFcuEvents> m_histogramOf;  // the events the histogram shows
    std::chrono::steady_clock::time_point m_histogramDue{};
    bool m_histogramTimer = false;
};

}  // namespace vyx::gui
