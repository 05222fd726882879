#include "app/AnalysisWindow.h"

#include <algorithm>

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "analysis/AlarmTables.h"
#include "analysis/FolderEvents.h"
#include "app/AlarmChartWidget.h"
#include "app/AnalysisTableModel.h"
#include "app/FigureCard.h"
#include "app/LoopWindow.h"
#include "app/QueuedDelivery.h"
#include "app/ToolWindows.h"
#include "decode/FormatRecord.h"
#include "platform/FileError.h"
#include "platform/OutputPathCheck.h"
#include "report/AnalysisReportFile.h"

namespace vyx::gui {

AnalysisWindow::AnalysisWindow(AnalysisSource source, GoTo goTo, QWidget* parent)
    : QWidget(parent, Qt::Window), m_source(std::move(source)), m_goTo(std::move(goTo)) {
    setObjectName("analysisWindow");
    setWindowTitle(QStringLiteral("Alarm Analysis"));
    auto* layout = new QVBoxLayout(this);
    m_heading = new QLabel(this);
    m_heading->setObjectName("analysisHeading");
    m_heading->setWordWrap(true);
    layout->addWidget(m_heading);
    auto* busy = new QHBoxLayout;
    m_status = new QLabel(this);
    m_status->setObjectName("analysisStatus");
    m_status->setWordWrap(true);  // a long status takes lines, not the width of the screen
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("analysisProgress");
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName("analysisCancel");
    busy->addWidget(m_status, 1);
    busy->addWidget(m_progress, 1);
    busy->addWidget(m_cancelButton);
    m_saveButton = new QPushButton(QStringLiteral("&Save Report..."), this);
    m_saveButton->setObjectName("analysisSave");
    m_saveButton->setToolTip(QStringLiteral("Save the figures and tables as an HTML page, CSV or an Excel workbook"));
    m_saveButton->setEnabled(false);
    busy->addWidget(m_saveButton);
    layout->addLayout(busy);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { Cancel(); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { SaveReport(); });
    // The cards take the rows they need at the window's width: their box asks for no width of its own, so a
    // narrow screen holds the window.
    m_cardBox = new QWidget(this);
    m_cardBox->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_cardGrid = new QGridLayout(m_cardBox);
    m_cardGrid->setContentsMargins(0, 0, 0, 0);
    m_cardGrid->setSpacing(6);
    layout->addWidget(m_cardBox);
    m_chart = new AlarmChartWidget(this);
    m_chart->setObjectName("analysisChart");
    layout->addWidget(m_chart, 1);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName("analysisTabs");
    layout->addWidget(m_tabs, 2);
    AddTable(QStringLiteral("Floods"), "floodsTable");
    AddTable(QStringLiteral("Top 10"), "topTable");
    AddTable(QStringLiteral("Chattering"), "chatteringTable");
    AddTable(QStringLiteral("Stale"), "staleTable");
    AddTable(QStringLiteral("Slow or silent"), "respondersTable");
    AddTable(QStringLiteral("Global ESD roll call"), "rollCallTable");
    AddTable(QStringLiteral("Standing per day"), "standingTable");
    AddTable(QStringLiteral("Alarm codes"), "codesTable");
    PlaceToolWindow(this, {1200, 860});
}

AnalysisWindow::~AnalysisWindow() {
    if (m_cancel) m_cancel->store(true);
    m_stopSaving = true;
    if (m_saver.joinable()) m_saver.join();  // a report cut short leaves nothing under its name
    Join();
    StopLive();
}

void AnalysisWindow::StopLive() {
    if (m_live && m_source.liveRecords) m_source.liveRecords->Remove(m_live.get());
    m_live.reset();
}

QTableView* AnalysisWindow::AddTable(const QString& name, const char* objectName) {
    auto* view = new QTableView(m_tabs);
    view->setObjectName(QString::fromLatin1(objectName));
    auto* model = new AnalysisTableModel(view);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->horizontalHeader()->setStretchLastSection(true);
    // A column of long texts is wider than the view: its name at the left edge stays in sight.
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->verticalHeader()->setDefaultSectionSize(22);
    connect(view, &QTableView::doubleClicked, this, [this, model](const QModelIndex& index) {
        RowActivated(model, index.row());
    });
    // Ctrl+C and the context menu copy rows with their header; the view's own Ctrl+C copies one cell.
    auto* copy = new QAction(QStringLiteral("&Copy"), view);
    copy->setObjectName("analysisCopy");
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    copy->setToolTip(QStringLiteral("Copy the selected rows, or the whole table when none is selected"));
    connect(copy, &QAction::triggered, this, [this, view, model] { CopyRows(view, model); });
    view->addAction(copy);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_tabs->addTab(view, name);
    m_models.push_back(model);
    return view;
}

void AnalysisWindow::Join() {
    if (m_worker.joinable()) m_worker.join();
}

void AnalysisWindow::Start() {
    if (m_cancel) m_cancel->store(true);
    Join();
    StopLive();
    m_events.reset();
    m_grown.reset();
    m_liveFailure.clear();
    // Listening before the events' load reads the folder: what the follow reads meanwhile is not missed.
    if (m_source.liveRecords) {
        m_live = std::make_unique<CLiveFcuEvents>(m_source.folder, m_source.modbusBaseAddress, m_source.recover);
        m_source.liveRecords->Add(m_live.get());
    }
    m_heading->setText(QStringLiteral("Folder: %1").arg(QString::fromStdString(m_source.folder)));
    m_status->setText(QStringLiteral("Finding the loop's events..."));
    m_progress->setRange(0, 0);
    m_progress->show();
    m_cancelButton->setEnabled(true);
    Run(nullptr);
}

void AnalysisWindow::Run(std::shared_ptr<const CFcuEvents> given) {
    Join();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_done = false;
    m_updating = given != nullptr;
    m_runStarted = std::chrono::steady_clock::now();
    const std::uint64_t generation = ++m_generation;
    const QueuedDelivery delivery(this);
    const AnalysisSource source = m_source;
    const auto cancel = m_cancel;
    m_worker = std::thread([this, delivery, source, cancel, generation, given, live = m_live.get()] {
        std::shared_ptr<LoopAnalysis> result;
        std::shared_ptr<const CFcuEvents> events = given;
        QString failure;
        try {
            if (!events) {
                FolderEventsRequest request;
                request.folder = source.folder;
                request.modbusBaseAddress = source.modbusBaseAddress;
                request.recover = source.recover;
                request.build.tempFolder = source.tempFolder;
                request.build.cancel = cancel.get();
                // Posted to the window: it runs on the UI thread, and not at all once the window has gone.
                request.build.progress = [this, delivery, generation](std::int64_t done, std::int64_t total) {
                    delivery.Post([this, generation, done, total] {
                        Progress(generation, QStringLiteral("Finding the loop's events..."),
                                 static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(total));
                    });
                };
                std::unique_ptr<CFcuEvents> computed = BuildFolderFcuEvents(request);
                if (computed && live && !cancel->load()) {
                    events = live->Attach(*computed, [this, delivery](std::shared_ptr<const CFcuEvents> grown,
                                                                      const std::string& text) {
                        delivery.Post([this, grown, t = QString::fromStdString(text)] { OnGrown(grown, t); });
                    });
                } else {
                    events = std::move(computed);
                }
            }
            if (events && !cancel->load()) {
                LoopAnalysisOptions options;
                options.tempFolder = source.tempFolder;
                options.cancel = cancel.get();
                options.progress = [this, delivery, generation](std::uint64_t done, std::uint64_t total) {
                    delivery.Post([this, generation, done, total] {
                        Progress(generation, QStringLiteral("Analysing the alarms..."), done, total);
                    });
                };
                result = AnalyseLoop(*events, options);
            }
        } catch (const CVyxError& e) {
            failure = QString::fromStdString(e.what());
        } catch (const std::exception& e) {
            failure = QString::fromStdString(e.what());
        }
        m_done = true;
        delivery.Post([this, generation, events, result, failure] { Finished(generation, events, result, failure); });
    });
}

void AnalysisWindow::OnGrown(std::shared_ptr<const CFcuEvents> events, const QString& failure) {
    if (!failure.isEmpty()) {
        m_liveFailure = failure;
        if (m_result) Show(true);
        return;
    }
    if (!events) return;
    m_grown = std::move(events);
    UpdateForGrowth();
}

void AnalysisWindow::UpdateForGrowth() {
    // Once the first figures are shown and no run is under way; at most every few seconds, and never for
    // more than a fifth of the time.
    if (!m_grown || !m_result || Running() || !isVisible() ||
        (m_events && m_grown->RecordCount() <= m_events->RecordCount())) {
        return;  // a closed window computes nothing; shown again, it catches up
    }
    const auto now = std::chrono::steady_clock::now();
    if (now < m_updateDue) {
        if (!m_updateTimer) {
            m_updateTimer = true;
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(m_updateDue - now);
            QTimer::singleShot(wait + std::chrono::milliseconds(1), this, [this] {
                m_updateTimer = false;
                UpdateForGrowth();
            });
        }
        return;
    }
    Run(std::exchange(m_grown, nullptr));
}

void AnalysisWindow::Cancel() {
    if (m_cancel) m_cancel->store(true);
    m_status->setText(QStringLiteral("Cancelling..."));
    m_cancelButton->setEnabled(false);
}

void AnalysisWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateForGrowth();
}

void AnalysisWindow::closeEvent(QCloseEvent* event) {
    if (m_cancel) m_cancel->store(true);
    QWidget::closeEvent(event);
}

void AnalysisWindow::keyPressEvent(QKeyEvent* event) {
    if (IsToolWindowCloseKey(*event)) {
        close();  // as the close box
        return;
    }
    QWidget::keyPressEvent(event);
}

void AnalysisWindow::Progress(std::uint64_t generation, const QString& text, std::uint64_t done, std::uint64_t total) {
    // A run started again drops what the one before it still posted; figures computed again run quietly.
    if (m_done || generation != m_generation || m_updating) return;
    m_status->setText(total ? QStringLiteral("%1 %2 of %3").arg(text).arg(done).arg(total)
                            : QStringLiteral("%1 %2").arg(text).arg(done));
    if (total > 0) {
        m_progress->setRange(0, 1000);
        m_progress->setValue(static_cast<int>(done * 1000 / total));
    } else {
        m_progress->setRange(0, 0);
    }
}

void AnalysisWindow::Finished(std::uint64_t generation, std::shared_ptr<const CFcuEvents> events,
                              std::shared_ptr<LoopAnalysis> result, const QString& failure) {
    if (generation != m_generation) return;
    Join();
    const auto took = std::chrono::steady_clock::now() - m_runStarted;
    m_updateDue = std::chrono::steady_clock::now() +
                  std::max<std::chrono::steady_clock::duration>(std::chrono::seconds(5), took * 4);
    if (m_updating) {
        m_updating = false;
        if (failure.isEmpty() && result) {
            m_result = std::move(result);
            m_events = std::move(events);
            ++m_updates;
            Show(true);
        } else if (!failure.isEmpty()) {
            m_liveFailure = failure;
            Show(true);
        }
        UpdateForGrowth();
        return;
    }
    m_cancelButton->setEnabled(false);
    m_progress->hide();
    if (!failure.isEmpty()) {
        m_status->setText(QStringLiteral("The analysis failed: %1").arg(failure));
        return;
    }
    if (!result) {
        m_status->setText(QStringLiteral("Cancelled."));
        return;
    }
    m_result = std::move(result);
    m_events = std::move(events);
    Show();
    UpdateForGrowth();  // the follow may have added records during the run
}

void AnalysisWindow::MakeCards(const AnalysisTable& figures) {
    for (FigureCard* card : m_cards) delete card;
    m_cards.clear();
    for (std::size_t i = 2; i < figures.rows.size(); ++i) {
        const auto& cells = figures.rows[i];
        auto* card = new FigureCard(QString::fromStdString(cells[0]), m_cardBox);
        card->setObjectName(QStringLiteral("card%1").arg(i));
        card->Set(QString::fromStdString(cells[1]), QString::fromStdString(cells[3]), figures.bands[i]);
        m_cards.push_back(card);
    }
    m_cardColumns = 0;
    ArrangeCards();
}

void AnalysisWindow::ArrangeCards() {
    if (m_cards.empty()) return;
    int cardWidth = 1;
    for (const FigureCard* card : m_cards) {
        cardWidth = std::max({cardWidth, card->minimumSizeHint().width(), card->minimumWidth()});
    }
    const QMargins margins = layout()->contentsMargins();
    const int room = width() - margins.left() - margins.right();
    const int spacing = m_cardGrid->horizontalSpacing();
    const int columns = std::clamp((room + spacing) / (cardWidth + spacing), 1, 7);
    if (columns == m_cardColumns) return;
    m_cardColumns = columns;
    for (FigureCard* card : m_cards) m_cardGrid->removeWidget(card);
    for (std::size_t i = 0; i < m_cards.size(); ++i) {
        const int at = static_cast<int>(i);
        m_cardGrid->addWidget(m_cards[i], at / columns, at % columns);
    }
}

void AnalysisWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ArrangeCards();
}

AnalysisReportChooser DefaultAnalysisReportChooser() {
    return [](QWidget* parent, QString& type) {
        static const QStringList filters = {QStringLiteral("HTML page (*.html)"), QStringLiteral("CSV (*.csv)"),
                                            QStringLiteral("Excel workbook (*.xlsx)")};
        static const QStringList types = {QStringLiteral("html"), QStringLiteral("csv"), QStringLiteral("xlsx")};
        QFileDialog dialog(parent, QStringLiteral("Save Alarm Analysis Report"), QString(), filters.join(QStringLiteral(";;")));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(types[0]);
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            dialog.setDefaultSuffix(types[static_cast<int>(std::max<qsizetype>(0, filters.indexOf(filter)))]);
        });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
        const QString path = dialog.selectedFiles().front();
        // The name's own extension says the form, else the filter chosen.
        const int named = static_cast<int>(types.indexOf(QFileInfo(path).suffix().toLower()));
        type = types[named >= 0 ? named : static_cast<int>(std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter())))];
        return path;
    };
}

void AnalysisWindow::SaveReport() {
    if (!m_result || Saving()) return;
    QString type;
    const QString path = m_chooser(this, type);
    if (path.isEmpty()) return;
    const std::string out = path.toStdString();
    if (PlaceOfOutput(out, m_source.folder) != OutputPlace::Outside) {
        SaveFinished(path, QStringLiteral("it lies in the data folder, which is never written to"));
        return;
    }
    // The report is put together from the figures shown now; the figures may grow while it is written.
    AnalysisReport report = AlarmAnalysisReport(
        *m_result,
        AnalysisReportFacts(m_result->alarms, m_source.folder,
                            "none: every record of the folder (the loop counted as one console)", 0),
        type == QStringLiteral("html"));
    report.tables.push_back(ResponderTable(*m_result->responses, false));
    report.tables.push_back(RollCallTable(*m_result->responses));
    if (m_saver.joinable()) m_saver.join();
    m_saved = false;
    m_stopSaving = false;
    m_saveButton->setEnabled(false);
    m_status->setText(QStringLiteral("Saving the report to %1...").arg(path));
    const QueuedDelivery delivery(this);
    m_saver = std::thread([this, delivery, path, out, type = type.toStdString(), report = std::move(report)] {
        QString failure;
        try {
            WriteAnalysisReportFile(type, out, report, [this] {
                if (m_stopSaving) throw CVyxError("the window was closed");
            });
        } catch (const std::exception& e) {
            failure = QString::fromStdString(e.what());
        }
        m_saved = true;
        delivery.Post([this, path, failure] { SaveFinished(path, failure); });
    });
}

void AnalysisWindow::SaveFinished(const QString& path, const QString& failure) {
    if (m_saver.joinable() && m_saved) m_saver.join();
    m_saveButton->setEnabled(m_result != nullptr);
    m_status->setText(failure.isEmpty() ? QStringLiteral("The report was saved to %1.").arg(path)
                                        : QStringLiteral("The report was not saved to %1: %2.").arg(path, failure));
}

void AnalysisWindow::Show(bool keepPlace) {
    const AlarmFigures& f = m_result->alarms;
    QString status = QStringLiteral("%1 alarm activations, %2 commands checked.")
                         .arg(f.activations)
                         .arg(m_result->responses->CheckCount());
    if (m_updates > 0) status += QStringLiteral(" Growing with the followed folder.");
    if (m_events && m_events->OutOfOrderRecords() > 0) {
        status += QStringLiteral(" %1 records came out of time order (a clock step back): the figures from %2 on may "
                                 "be off. Choose Report > Alarm Analysis... again to put them in order.")
                      .arg(m_events->OutOfOrderRecords())
                      .arg(QString::fromStdString(FormatTimeValue(m_events->StaleFrom())));
    }
    if (!m_liveFailure.isEmpty()) {
        status += QStringLiteral(" The figures stopped growing with the folder (%1): choose Report > Alarm Analysis... "
                                 "again to include the newer records.")
                      .arg(m_liveFailure);
    }
    m_status->setText(status);
    m_saveButton->setEnabled(!Saving());
    m_heading->setText(QStringLiteral("Folder: %1\nSpan: %2 to %3%4")
                           .arg(QString::fromStdString(m_source.folder),
                                QString::fromStdString(FormatTimeValue(f.from)),
                                QString::fromStdString(FormatTimeValue(f.to)),
                                f.indicative ? QStringLiteral("  (under 30 days: the figures are indicative)")
                                             : QString()));
    const AnalysisTable figures = FiguresTable(f);
    // The span and the count are in the heading. Grown figures are set on the cards there are, without a flash.
    if (keepPlace && m_cards.size() + 2 == figures.rows.size()) {
        for (std::size_t i = 2; i < figures.rows.size(); ++i) {
            const auto& cells = figures.rows[i];
            m_cards[i - 2]->Set(QString::fromStdString(cells[1]), QString::fromStdString(cells[3]), figures.bands[i]);
        }
    } else {
        MakeCards(figures);
    }
    m_chart->SetFigures(&f);
    const CCommandResponses& responses = *m_result->responses;
    AnalysisTable tables[] = {FloodsTable(f),
                              TopAlarmsTable(f),
                              ChatteringTable(f),
                              StaleTable(f),
                              ResponderTable(responses, true),
                              RollCallTable(responses),
                              StandingPerDayTable(f),
                              AlarmCodesTable()};
    // Figures computed again as the folder grows keep the reader's place: the selected row, the scroll position and
    // the column widths.
    for (std::size_t i = 0; i < m_models.size() && i < std::size(tables); ++i) {
        auto* view = static_cast<QTableView*>(m_tabs->widget(static_cast<int>(i)));
        AnalysisTableModel* model = m_models[i];
        const int selected = view->selectionModel()->currentIndex().row();
        const bool hadSelection = view->selectionModel()->hasSelection() && selected >= 0;
        const auto place = model->PlaceOf(selected);
        // A row is known by its record and its first two cells past a rank (a time, or an FCU and its alarm):
        // one record can bring several alarms.
        const std::ptrdiff_t from =
            !model->Table().columns.empty() && model->Table().columns[0].label == "Rank" ? 1 : 0;
        const auto keyOf = [from](const std::vector<std::string>& cells) {
            const std::ptrdiff_t size = std::ssize(cells);
            return std::vector<std::string>(cells.begin() + std::min(from, size),
                                            cells.begin() + std::min(from + 2, size));
        };
        const std::vector<std::string> key =
            hadSelection ? keyOf(model->Table().rows[static_cast<std::size_t>(selected)]) : std::vector<std::string>();
        const int column = view->selectionModel()->currentIndex().column();
        const int scrolled = view->verticalScrollBar()->value();
        model->SetTable(std::move(tables[i]));
        view->verticalHeader()->setVisible(!model->Numbered());
        if (!keepPlace) {
            view->resizeColumnsToContents();
            // The cells' tooltips hold the whole text of a column cut down to half the view.
            // Only the shown tab has its size yet; all of them take the tab widget's.
            const int widest = std::max(200, m_tabs->width() / 2);
            for (int c = 0; c + 1 < view->model()->columnCount(); ++c) {
                if (view->columnWidth(c) > widest) view->setColumnWidth(c, widest);
            }
            continue;
        }
        view->verticalScrollBar()->setValue(scrolled);
        if (!hadSelection) continue;
        const AnalysisTable& now = model->Table();
        int found = -1;
        for (std::size_t r = 0; r < now.rows.size() && found < 0; ++r) {
            if (model->PlaceOf(static_cast<int>(r)) == place && keyOf(now.rows[r]) == key) {
                found = static_cast<int>(r);
            }
        }
        if (found >= 0) {
            view->selectionModel()->setCurrentIndex(model->index(found, std::max(column, 0)),
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    }
}

void AnalysisWindow::RowActivated(const AnalysisTableModel* model, int row) {
    if (!m_result) return;
    const auto place = model->PlaceOf(row);
    if (!place || place->dayFile >= m_result->dayFiles.size()) return;
    m_goTo(m_result->dayFiles[place->dayFile], place->offset, place->serial);
}

void AnalysisWindow::CopyRows(const QTableView* view, const AnalysisTableModel* model) {
    std::vector<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows.push_back(index.row());
    QGuiApplication::clipboard()->setText(model->TabSeparated(std::move(rows)));
}

QString AnalysisWindow::StatusText() const { return m_status->text(); }

}  // namespace vyx::gui
