#include "app/AnalysisWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "analysis/AlarmTables.h"
#include "analysis/FolderEvents.h"
#include "app/AlarmChartWidget.h"
#include "app/AnalysisTableModel.h"
#include "app/FigureCard.h"
#include "app/QueuedDelivery.h"
#include "decode/FormatRecord.h"
#include "platform/FileError.h"

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
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("analysisProgress");
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName("analysisCancel");
    busy->addWidget(m_status, 1);
    busy->addWidget(m_progress, 1);
    busy->addWidget(m_cancelButton);
    layout->addLayout(busy);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { Cancel(); });
    m_cardGrid = new QGridLayout;
    m_cardGrid->setSpacing(6);
    layout->addLayout(m_cardGrid);
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
    resize(1200, 860);
}

AnalysisWindow::~AnalysisWindow() {
    if (m_cancel) m_cancel->store(true);
    Join();
}

QTableView* AnalysisWindow::AddTable(const QString& name, const char* objectName) {
    auto* view = new QTableView(m_tabs);
    view->setObjectName(QString::fromLatin1(objectName));
    auto* model = new AnalysisTableModel(view);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->horizontalHeader()->setStretchLastSection(true);
    view->verticalHeader()->setDefaultSectionSize(22);
    connect(view, &QTableView::doubleClicked, this, [this, model](const QModelIndex& index) {
        RowActivated(model, index.row());
    });
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
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_done = false;
    const std::uint64_t generation = ++m_generation;
    m_heading->setText(QStringLiteral("Folder: %1").arg(QString::fromStdString(m_source.folder)));
    m_status->setText(QStringLiteral("Finding the loop's events..."));
    m_progress->setRange(0, 0);
    m_progress->show();
    m_cancelButton->setEnabled(true);
    const QueuedDelivery delivery(this);
    const AnalysisSource source = m_source;
    const auto cancel = m_cancel;
    m_worker = std::thread([this, delivery, source, cancel, generation] {
        std::shared_ptr<LoopAnalysis> result;
        QString failure;
        try {
            FolderEventsRequest request;
            request.folder = source.folder;
            request.modbusBaseAddress = source.modbusBaseAddress;
            request.recover = source.recover;
            request.build.tempFolder = source.tempFolder;
            request.build.cancel = cancel.get();
            // Posted to the window: it runs on the UI thread, and not at all once the window has gone.
            request.build.progress = [this, delivery, generation](std::int64_t done, std::int64_t total) {
                delivery.Post([this, generation, done, total] {
                    Progress(generation, QStringLiteral("Finding the loop's events..."), static_cast<std::uint64_t>(done),
                             static_cast<std::uint64_t>(total));
                });
            };
            const auto events = BuildFolderFcuEvents(request);
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
        delivery.Post([this, generation, result, failure] { Finished(generation, result, failure); });
    });
}

void AnalysisWindow::Cancel() {
    if (m_cancel) m_cancel->store(true);
    m_status->setText(QStringLiteral("Cancelling..."));
    m_cancelButton->setEnabled(false);
}

void AnalysisWindow::closeEvent(QCloseEvent* event) {
    if (m_cancel) m_cancel->store(true);
    QWidget::closeEvent(event);
}

void AnalysisWindow::Progress(std::uint64_t generation, const QString& text, std::uint64_t done, std::uint64_t total) {
    // A run started again drops what the one before it still posted.
    if (m_done || generation != m_generation) return;
    m_status->setText(total ? QStringLiteral("%1 %2 of %3").arg(text).arg(done).arg(total)
                            : QStringLiteral("%1 %2").arg(text).arg(done));
    if (total > 0) {
        m_progress->setRange(0, 1000);
        m_progress->setValue(static_cast<int>(done * 1000 / total));
    } else {
        m_progress->setRange(0, 0);
    }
}

void AnalysisWindow::Finished(std::uint64_t generation, std::shared_ptr<LoopAnalysis> result, const QString& failure) {
    if (generation != m_generation) return;
    Join();
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
    Show();
}

void AnalysisWindow::Show() {
    const AlarmFigures& f = m_result->alarms;
    m_status->setText(QStringLiteral("%1 alarm activations, %2 commands checked.")
                          .arg(f.activations)
                          .arg(m_result->responses->CheckCount()));
    m_heading->setText(QStringLiteral("Folder: %1\nSpan: %2 to %3%4")
                           .arg(QString::fromStdString(m_source.folder),
                                QString::fromStdString(FormatTimeValue(f.from)),
                                QString::fromStdString(FormatTimeValue(f.to)),
                                f.indicative ? QStringLiteral("  (under 30 days: the figures are indicative)")
                                             : QString()));
    const AnalysisTable figures = FiguresTable(f);
    for (FigureCard* card : m_cards) delete card;
    m_cards.clear();
    int column = 0;
    int row = 0;
    for (std::size_t i = 2; i < figures.rows.size(); ++i) {  // the span and the count are in the heading
        const auto& cells = figures.rows[i];
        auto* card = new FigureCard(QString::fromStdString(cells[0]), this);
        card->setObjectName(QStringLiteral("card%1").arg(i));
        card->Set(QString::fromStdString(cells[1]), QString::fromStdString(cells[3]), figures.bands[i]);
        m_cardGrid->addWidget(card, row, column);
        m_cards.push_back(card);
        if (++column == 7) {
            column = 0;
            ++row;
        }
    }
    m_chart->SetFigures(&f);
    const CCommandResponses& responses = *m_result->responses;
    m_models[0]->SetTable(FloodsTable(f));
    m_models[1]->SetTable(TopAlarmsTable(f));
    m_models[2]->SetTable(ChatteringTable(f));
    m_models[3]->SetTable(StaleTable(f));
    m_models[4]->SetTable(ResponderTable(responses, true));
    m_models[5]->SetTable(RollCallTable(responses));
    m_models[6]->SetTable(StandingPerDayTable(f));
    m_models[7]->SetTable(AlarmCodesTable());
    for (int i = 0; i < m_tabs->count(); ++i) {
        auto* view = static_cast<QTableView*>(m_tabs->widget(i));
        view->resizeColumnsToContents();
    }
}

void AnalysisWindow::RowActivated(const AnalysisTableModel* model, int row) {
    if (!m_result) return;
    const auto place = model->PlaceOf(row);
    if (!place || place->dayFile >= m_result->dayFiles.size()) return;
    m_goTo(m_result->dayFiles[place->dayFile], place->offset, place->serial);
}

void AnalysisWindow::NoteFolderGrew(std::uint32_t newestTime) {
    if (!m_result || Running()) return;
    m_status->setText(QStringLiteral("%1 alarm activations, %2 commands checked. New records have come since (the "
                                     "newest at %3): the figures after %4 may be stale. Choose Report > Alarm "
                                     "Analysis... again to include them.")
                          .arg(m_result->alarms.activations)
                          .arg(m_result->responses->CheckCount())
                          .arg(QString::fromStdString(FormatTimeValue(newestTime)),
                               QString::fromStdString(FormatTimeValue(m_result->alarms.to))));
}

QString AnalysisWindow::StatusText() const { return m_status->text(); }

}  // namespace vyx::gui
