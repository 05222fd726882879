#pragma once
// The Analysis window: the alarm figures of the open folder as cards coloured by their band, the chart of
// activations per 10 minutes, and the tables (floods with first-out, top 10, chattering, stale, slow or
// silent responders, the Global ESD roll call). The events pass and the analysis run on a worker thread of
// the window, with progress and Cancel; a double click on a row asks the main window to select its record.

#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <chrono>

#include "analysis/AlarmTables.h"
#include "analysis/FcuEvents.h"
#include "analysis/LiveFcuEvents.h"
#include "analysis/LoopAnalysis.h"
#include "logdata/LiveRecordFanOut.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QGridLayout;

namespace vyx::gui {

class AlarmChartWidget;
class AnalysisTableModel;
class FigureCard;

struct AnalysisSource {
    std::string folder;
    std::uint8_t modbusBaseAddress = 0;
    bool recover = false;
    std::string tempFolder;
    // The records the list's follow reads: the figures are computed again as the events grow with them.
    CLiveRecordFanOut* liveRecords = nullptr;
};

// Asks where to save the report and in which form ("html", "csv" or "xlsx", set in `type`); empty: cancelled.
// A file that is there has been confirmed, as a save dialog does.
using AnalysisReportChooser = std::function<QString(QWidget* parent, QString& type)>;
AnalysisReportChooser DefaultAnalysisReportChooser();

class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
    // goTo gets the record's day file path, its offset and its Sr.No. - 1 in the time-ordered whole folder.
    using GoTo = std::function<void(const std::string& dayFile, std::uint32_t offset, std::int64_t folderSerial)>;
    AnalysisWindow(AnalysisSource source, GoTo goTo, QWidget* parent = nullptr);
    ~AnalysisWindow() override;  // cancels and joins the worker

    // Starts (again) for the folder given.
    void Start();
    void Cancel();
    bool Running() const { return m_worker.joinable() && !m_done; }
    bool HasResult() const { return m_result != nullptr; }
    const LoopAnalysis* Result() const { return m_result.get(); }
    QString StatusText() const;
    // How many times the figures were computed again for records the follow read.
    std::uint64_t Updates() const { return m_updates; }
    void SetReportChooser(AnalysisReportChooser chooser) { m_chooser = std::move(chooser); }
    bool Saving() const { return m_saver.joinable() && !m_saved; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;  // Escape and Ctrl+W close the window
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Events null: computes the folder's events first, then the figures; else the figures of those events.
    void Run(std::shared_ptr<const CFcuEvents> events);
    void OnGrown(std::shared_ptr<const CFcuEvents> events, const QString& failure);
    void UpdateForGrowth();
    void StopLive();
    void Progress(std::uint64_t generation, const QString& text, std::uint64_t done, std::uint64_t total);
    void Finished(std::uint64_t generation, std::shared_ptr<const CFcuEvents> events, std::shared_ptr<LoopAnalysis> result,
                  const QString& failure);
    // keepPlace: the same figures grown, shown keeping the selected rows, scroll positions and column widths.
    void Show(bool keepPlace = false);
    void MakeCards(const AnalysisTable& figures);
    // As many cards to a row as the window's width holds, seven at most.
    void ArrangeCards();
    void Join();
    QTableView* AddTable(const QString& name, const char* objectName);
    void RowActivated(const AnalysisTableModel* model, int row);
    // The selected rows, or the whole table when none is selected, to the clipboard as tab-separated text.
    void CopyRows(const QTableView* view, const AnalysisTableModel* model);
    // The report of the figures shown, as `vyx alarms` writes it with the responders and the roll call, written
    // on a thread of its own; the status line says where it went or why it could not be written.
    void SaveReport();
    void SaveFinished(const QString& path, const QString& failure);

    AnalysisSource m_source;
    GoTo m_goTo;
    std::thread m_worker;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::atomic<bool> m_done{false};
    std::uint64_t m_generation = 0;  // of the run whose notifications count
    std::shared_ptr<LoopAnalysis> m_result;
    std::shared_ptr<const CFcuEvents> m_events;  // those of the figures shown
    std::shared_ptr<const CFcuEvents> m_grown;   // newer ones, waiting for the figures to be computed again
    std::unique_ptr<CLiveFcuEvents> m_live;
    QString m_liveFailure;
    bool m_updating = false;  // the run under way computes the figures again for grown events
    std::uint64_t m_updates = 0;
    std::chrono::steady_clock::time_point m_runStarted{};
    std::chrono::steady_clock::time_point m_updateDue{};
    bool m_updateTimer = false;

    QLabel* m_heading = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    AnalysisReportChooser m_chooser = DefaultAnalysisReportChooser();
    std::thread m_saver;
    std::atomic<bool> m_saved{false};
    std::atomic<bool> m_stopSaving{false};
    QWidget* m_cardBox = nullptr;
    QGridLayout* m_cardGrid = nullptr;
    std::vector<FigureCard*> m_cards;
    int m_cardColumns = 0;
    AlarmChartWidget* m_chart = nullptr;
    QTabWidget* m_tabs = nullptr;
    std::vector<AnalysisTableModel*> m_models;
};

}  // namespace vyx::gui
