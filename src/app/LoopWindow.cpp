#include "app/LoopWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "analysis/FolderEvents.h"
#include "analysis/LoopStateQuery.h"
#include "app/FcuTimelineWindow.h"
#include "app/ToolWindows.h"
#include "decode/FormatRecord.h"
#include "platform/FileError.h"
#include "views/DateTimeTyping.h"
#include "views/FcuTileGrid.h"
#include "views/TimeHistogramView.h"

namespace vyx::gui {
namespace {

using namespace std::chrono_literals;

// Fine enough for any window width; a folder of years still walks its events once.
constexpr int kHistogramBuckets = 2048;

QDateTime AsDateTime(std::uint32_t t) { return QDateTime::fromSecsSinceEpoch(t, Qt::UTC); }

QLabel* Swatch(const QColor& colour, const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setText(QStringLiteral("<span style='background-color:%1'>&nbsp;&nbsp;&nbsp;&nbsp;</span> %2")
                       .arg(colour.name(), text.toHtmlEscaped()));
    return label;
}

}  // namespace

const std::vector<QColor>& RecordKindColours() {
    static const std::vector<QColor> colours = {QColor(220, 50, 50),  QColor(120, 50, 180), QColor(40, 110, 220),
                                                QColor(230, 140, 30), QColor(120, 170, 120), QColor(185, 185, 185)};
    return colours;
}

QStringList RecordKindNames() {
    QStringList names;
    for (int k = 0; k < kRecordKinds; ++k) names << QString::fromUtf8(RecordKindText(static_cast<RecordKind>(k)).data());
    return names;
}

struct LoopWindow::Built {
    std::shared_ptr<const CFcuEvents> events;
    TimeHistogram histogram;
    std::vector<int> fcus;
};

LoopWindow::LoopWindow(QWidget* parent, LoopWindowHost host) : QWidget(parent, Qt::Window), m_delivery(this) {
    setObjectName("loopWindow");
    setAttribute(Qt::WA_DeleteOnClose, false);
    BuildControls();
    PlaceToolWindow(this, {1000, 720});
    Start(std::move(host));
}

LoopWindow::~LoopWindow() {
    StopWorker();
    StopLive();
    m_stateWorker.reset();
}

void LoopWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* progressRow = new QHBoxLayout;
    m_statusText = new QLabel(this);
    m_statusText->setObjectName("loopStatus");
    m_statusText->setWordWrap(true);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("loopProgress");
    m_progress->setRange(0, 0);
    m_progress->setMaximumWidth(260);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName("loopCancel");
    m_retry = new QPushButton(QStringLiteral("Compute again"), this);
    m_retry->setObjectName("loopRetry");
    progressRow->addWidget(m_statusText, 1);
    progressRow->addWidget(m_progress);
    progressRow->addWidget(m_cancel);
    progressRow->addWidget(m_retry);
    layout->addLayout(progressRow);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelFlag = true; });
    connect(m_retry, &QPushButton::clicked, this, [this] { Start(m_host); });

    const QStringList names = {QStringLiteral("T1"), QStringLiteral("T2")};
    for (int which = 0; which < 2; ++which) {
        auto* row = new QHBoxLayout;
        if (which == 0) {
            row->addWidget(new QLabel(QStringLiteral("State at"), this));
        } else {
            m_compare = new QCheckBox(QStringLiteral("Compare with"), this);
            m_compare->setObjectName("loopCompare");
            row->addWidget(m_compare);
        }
        m_timeEdit[which] = new QDateTimeEdit(this);
        m_timeEdit[which]->setObjectName(which == 0 ? "loopTime1" : "loopTime2");
        m_timeEdit[which]->setDisplayFormat(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        m_timeEdit[which]->setTimeSpec(Qt::UTC);
        TypeDateTimeAsItReads(m_timeEdit[which]);
        m_slider[which] = new QSlider(Qt::Horizontal, this);
        m_slider[which]->setObjectName(which == 0 ? "loopSlider1" : "loopSlider2");
        m_slider[which]->setToolTip(names[which] + QStringLiteral(": drag, or use the arrow and Page keys"));
        row->addWidget(m_timeEdit[which]);
        row->addWidget(m_slider[which], 1);
        layout->addLayout(row);
        connect(m_slider[which], &QSlider::valueChanged, this, [this, which](int) {
            if (m_syncing || !m_events) return;
            m_syncing = true;
            m_timeEdit[which]->setDateTime(AsDateTime(SliderTime(which)));
            m_syncing = false;
            AskState();
        });
        connect(m_timeEdit[which], &QDateTimeEdit::dateTimeChanged, this, [this, which](const QDateTime& value) {
            if (m_syncing || !m_events) return;
            SetSliderTime(which, static_cast<std::uint32_t>(std::max<qint64>(0, value.toSecsSinceEpoch())));
        });
    }
    connect(m_compare, &QCheckBox::toggled, this, [this](bool on) {
        m_slider[1]->setEnabled(on && m_events);
        m_timeEdit[1]->setEnabled(on && m_events);
        AskState();
    });

    m_histogram = new TimeHistogramView(this);
    m_histogram->setObjectName("loopHistogram");
    m_histogram->setFixedHeight(90);
    m_histogram->SetEmptyText(QStringLiteral("Records over time appear here once the events are computed"));
    m_histogram->SetClickHint(QStringLiteral("Click: the moment goes here (Shift+click while comparing: the second)"));
    layout->addWidget(m_histogram);
    // A press on the histogram moves the first moment there (the second while comparing, with Shift).
    connect(m_histogram, &TimeHistogramView::timePicked, this, [this](std::uint32_t t) {
        const bool second = m_compare->isChecked() && (QApplication::keyboardModifiers() & Qt::ShiftModifier);
        SetSliderTime(second ? 1 : 0, t);
    });
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(new QLabel(QStringLiteral("Records by kind:"), this));
    for (int k = 0; k < kRecordKinds; ++k) kinds->addWidget(Swatch(RecordKindColours()[static_cast<std::size_t>(k)], RecordKindNames()[k], this));
    kinds->addStretch(1);
    layout->addLayout(kinds);

    m_tiles = new FcuTileGrid;
    m_tiles->setObjectName("loopTiles");
    m_tiles->SetToolTipSource([this](int fcu) { return ToolTipOf(fcu); });
    connect(m_tiles, &FcuTileGrid::tileClicked, this, [this](int fcu) { OpenTimeline(fcu); });
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("loopTileScroll");
    scroll->setWidgetResizable(true);
    scroll->setWidget(m_tiles);
    layout->addWidget(scroll, 1);

    auto* legend = new QHBoxLayout;
    for (TileCondition c : {TileCondition::Alarm, TileCondition::Stopped, TileCondition::Moving, TileCondition::Silent,
                            TileCondition::Normal, TileCondition::Unknown}) {
        legend->addWidget(Swatch(FcuTileGrid::ConditionColour(c), QString::fromUtf8(TileConditionText(c).data()), this));
    }
    // Wrapped on a narrow screen rather than widen the window past it.
    auto* heard = new QLabel(QStringLiteral("A/B: heard by that master station (red: silent)"), this);
    heard->setWordWrap(true);
    legend->addSpacing(8);
    legend->addWidget(heard, 1);
    legend->addWidget(new QLabel(QStringLiteral("Silent after"), this));
    m_silentMinutes = new QSpinBox(this);
    m_silentMinutes->setObjectName("loopSilentMinutes");
    m_silentMinutes->setRange(1, 7 * 24 * 60);
    m_silentMinutes->setValue(static_cast<int>(TileRules{}.silentAfter / 60));
    m_silentMinutes->setSuffix(QStringLiteral(" min"));
    legend->addWidget(m_silentMinutes);
    connect(m_silentMinutes, &QSpinBox::valueChanged, this, [this] { UpdateTiles(); });
    layout->addLayout(legend);

    m_summary = new QLabel(this);
    m_summary->setObjectName("loopSummary");
    layout->addWidget(m_summary);
}

void LoopWindow::StopWorker() {
    m_cancelFlag = true;
    if (m_worker.joinable()) m_worker.join();
    m_histogramCancel = true;
    if (m_histogramWorker.joinable()) m_histogramWorker.join();
    m_histogramBusy = false;
}

void LoopWindow::StopLive() {
    // Once removed, the follow calls it no more: then it can go.
    if (m_live && m_host.liveRecords) m_host.liveRecords->Remove(m_live.get());
    m_live.reset();
}

void LoopWindow::Start(LoopWindowHost host) {
    StopWorker();
    StopLive();
    // Its marks are the last folder's records. Deleted later: the call may come from inside it.
    if (m_timeline && host.folder != m_host.folder) {
        m_timeline->hide();
        m_timeline->deleteLater();
        m_timeline = nullptr;
    }
    m_stateWorker.reset();
    m_events.reset();
    m_grownEarly.reset();
    m_histogramOf.reset();
    m_liveFailure.clear();
    m_answer.reset();
    m_shownTime.reset();
    m_tileFcus.clear();
    m_tiles->SetTiles({});
    m_histogram->SetHistogram({}, {}, {});
    m_host = std::move(host);
    setWindowTitle(QStringLiteral("Loop - ") + QString::fromStdString(m_host.folder));
    for (int which = 0; which < 2; ++which) {
        m_slider[which]->setEnabled(false);
        m_timeEdit[which]->setEnabled(false);
    }
    m_statusText->setText(QStringLiteral("Computing the loop's events: loading the folder in time order..."));
    m_progress->setRange(0, 0);
    m_progress->show();
    m_cancel->show();
    m_retry->hide();
    m_summary->clear();
    m_cancelFlag = false;
    // Listening before the events' load reads the folder: what the follow reads meanwhile is not missed.
    if (m_host.liveRecords) {
        m_live = std::make_unique<CLiveFcuEvents>(m_host.folder, m_host.modbusBaseAddress, m_host.recover);
        m_host.liveRecords->Add(m_live.get());
    }

    FolderEventsRequest request;
    request.folder = m_host.folder;
    request.modbusBaseAddress = m_host.modbusBaseAddress;
    request.recover = m_host.recover;
    request.build.tempFolder = m_host.tempFolder;
    request.build.cancel = &m_cancelFlag;
    // What a computation that was stopped or replaced still posts is dropped on arrival.
    const std::uint64_t job = ++m_job;
    struct JobDelivery {
        QueuedDelivery delivery;
        LoopWindow* window;
        std::uint64_t job;
        void Post(std::function<void()> call) const {
            delivery.PostForJob([w = window, j = job] { return w->m_job == j; }, std::move(call));
        }
    };
    const JobDelivery delivery{m_delivery, this, job};
    request.build.progress = [this, delivery](std::int64_t done, std::int64_t total) {
        delivery.Post([this, done, total] { OnProgress(done, total); });
    };
    m_worker = std::thread([this, delivery, live = m_live.get(), request = std::move(request)] {
        try {
            std::unique_ptr<CFcuEvents> computed = BuildFolderFcuEvents(request);
            std::shared_ptr<const CFcuEvents> events;
            if (computed && live && !m_cancelFlag) {
                events = live->Attach(*computed, [this, delivery](std::shared_ptr<const CFcuEvents> grown,
                                                                  const std::string& failure) {
                    delivery.Post([this, grown, text = QString::fromStdString(failure)] { OnGrown(grown, text); });
                });
            } else {
                events = std::move(computed);
            }
            auto built = std::make_shared<Built>();
            if (events && !m_cancelFlag) built->histogram = RecordsByKind(*events, kHistogramBuckets, &m_cancelFlag);
            if (!events || m_cancelFlag) {
                delivery.Post([this] { OnFailed(QStringLiteral("Cancelled: the events were not computed.")); });
                return;
            }
            {
                CLoopStateQuery query(*events);
                built->fcus = TileFcus(*events, query.StateAt(events->LastTime()));
            }
            built->events = std::move(events);
            delivery.Post([this, built] { OnBuilt(built); });
        } catch (const CVyxError& e) {
            const QString text = QString::fromStdString(e.what());
            delivery.Post([this, text] { OnFailed(text); });
        } catch (const std::bad_alloc&) {
            delivery.Post([this] { OnFailed(QStringLiteral("Not enough memory to compute the events.")); });
        }
    });
}

void LoopWindow::OnProgress(std::int64_t done, std::int64_t total) {
    if (m_events) return;
    if (total <= 0) {
        m_statusText->setText(QStringLiteral("Computing the loop's events: %1 records loaded...").arg(done));
        m_progress->setRange(0, 0);
        return;
    }
    m_statusText->setText(QStringLiteral("Computing the loop's events: %1 of %2 records...").arg(done).arg(total));
    m_progress->setRange(0, 1000);
    m_progress->setValue(static_cast<int>(done * 1000 / total));
}

void LoopWindow::OnFailed(const QString& text) {
    if (m_worker.joinable()) m_worker.join();
    m_statusText->setText(text);
    m_progress->hide();
    m_cancel->hide();
    m_retry->show();
}

void LoopWindow::OnBuilt(std::shared_ptr<Built> built) {
    if (m_worker.joinable()) m_worker.join();
    m_events = built->events;
    m_histogramOf = built->events;
    m_tileFcus = std::move(built->fcus);
    m_progress->hide();
    m_cancel->hide();
    m_retry->hide();
    ShowEvents({});
    m_histogram->SetHistogram(built->histogram, RecordKindColours(), RecordKindNames());
    if (m_host.histogramReady) m_host.histogramReady(m_host.folder, built->histogram);
    StartStateWorker();
    AskState();
    // The follow may have added records while the tiles were prepared.
    if (m_grownEarly) OnGrown(std::exchange(m_grownEarly, nullptr), {});
}

void LoopWindow::OnGrown(std::shared_ptr<const CFcuEvents> events, const QString& failure) {
    if (!failure.isEmpty()) {
        m_liveFailure = failure;
        if (m_events) ShowEvents(std::array<SliderPlace, 2>{PlaceOf(0), PlaceOf(1)});
        m_retry->show();
        return;
    }
    if (!events) return;
    // Not shown (or not computed yet): the newest waits, and is shown when the window is.
    if (!m_events || !isVisible()) {
        m_grownEarly = std::move(events);
        return;
    }
    if (events->RecordCount() <= m_events->RecordCount()) return;
    const std::array<SliderPlace, 2> places{PlaceOf(0), PlaceOf(1)};
    m_events = std::move(events);
    ++m_growths;
    try {
        CLoopStateQuery query(*m_events);
        m_tileFcus = TileFcus(*m_events, query.StateAt(m_events->LastTime()));
    } catch (const CVyxError& e) {
        m_summary->setText(QString::fromStdString(e.what()));
    }
    ShowEvents(places);
    StartStateWorker();
    AskState();
    RefreshHistogram();
    if (m_timeline) m_timeline->Extend(m_events);
}

LoopWindow::SliderPlace LoopWindow::PlaceOf(int which) const {
    return {SliderTime(which), m_slider[which]->value() >= m_slider[which]->maximum()};
}

void LoopWindow::ShowEvents(std::optional<std::array<SliderPlace, 2>> places) {
    m_builtText = QStringLiteral("%1 records, %2 events from %3 to %4")
                      .arg(m_events->RecordCount())
                      .arg(m_events->EventCount())
                      .arg(TimeAxis::TimeText(m_events->FirstTime()), TimeAxis::TimeText(m_events->LastTime()));
    if (m_growths > 0) m_builtText += QStringLiteral(", growing with the followed folder");
    if (m_events->OutOfOrderRecords() > 0) {
        m_builtText += QStringLiteral(". %1 records came out of time order (a clock step back): the state from %2 "
                                      "on may be stale. Compute again to put them in order.")
                           .arg(m_events->OutOfOrderRecords())
                           .arg(TimeAxis::TimeText(m_events->StaleFrom()));
        m_retry->show();
    }
    if (!m_liveFailure.isEmpty()) {
        m_builtText += QStringLiteral(". The events stopped growing with the folder (%1): the state after %2 may be "
                                      "stale. Compute again to include the newer records.")
                           .arg(m_liveFailure, TimeAxis::TimeText(m_events->LastTime()));
    }
    m_statusText->setText(m_builtText);
    const int span = static_cast<int>(std::min<std::uint64_t>(m_events->LastTime() - m_events->FirstTime(), INT32_MAX));
    m_syncing = true;
    for (int which = 0; which < 2; ++which) {
        m_slider[which]->setRange(0, span);
        m_slider[which]->setSingleStep(std::max(1, span / 1000));
        m_slider[which]->setPageStep(std::max(1, span / 20));
        if (!places) {
            m_slider[which]->setValue(which == 0 ? span / 2 : span);
        } else {
            // A moment at the end stays at the end, following the newest records; any other stays where it was.
            const SliderPlace& place = (*places)[static_cast<std::size_t>(which)];
            const std::uint32_t t = std::clamp(place.time, m_events->FirstTime(), m_events->LastTime());
            m_slider[which]->setValue(place.atEnd ? span : static_cast<int>(t - m_events->FirstTime()));
        }
        m_timeEdit[which]->setDateTimeRange(AsDateTime(m_events->FirstTime()), AsDateTime(m_events->LastTime()));
        m_timeEdit[which]->setDateTime(AsDateTime(SliderTime(which)));
        m_slider[which]->setEnabled(which == 0 || m_compare->isChecked());
        m_timeEdit[which]->setEnabled(which == 0 || m_compare->isChecked());
    }
    m_syncing = false;
    AlignHistogram();
}

void LoopWindow::StartStateWorker() {
    m_stateWorker.reset();
    const QueuedDelivery delivery = m_delivery;
    m_stateWorker = std::make_unique<CLoopStateWorker>(m_events, [this, delivery](LoopStateAnswer answer) {
        delivery.Post([this, answer = std::move(answer)] { ShowAnswer(answer); });
    });
}

void LoopWindow::RefreshHistogram() {
    if (m_histogramBusy || !m_events || m_histogramOf == m_events) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < m_histogramDue) {
        if (!m_histogramTimer) {
            m_histogramTimer = true;
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(m_histogramDue - now) + 1ms;
            QTimer::singleShot(wait, this, [this] {
                m_histogramTimer = false;
                RefreshHistogram();
            });
        }
        return;
    }
    if (m_histogramWorker.joinable()) m_histogramWorker.join();
    m_histogramBusy = true;
    m_histogramCancel = false;
    const std::uint64_t job = m_job;
    const QueuedDelivery delivery = m_delivery;
    m_histogramWorker = std::thread([this, job, delivery, events = m_events] {
        const auto started = std::chrono::steady_clock::now();
        auto histogram = std::make_shared<TimeHistogram>();
        bool done = true;
        try {
            *histogram = RecordsByKind(*events, kHistogramBuckets, &m_histogramCancel);
        } catch (const CVyxError&) {
            done = false;
        }
        const auto took = std::chrono::steady_clock::now() - started;
        delivery.PostForJob([this, job] { return m_job == job; }, [this, events, histogram, took, done] {
            m_histogramBusy = false;
            // Recomputed at most every few seconds, and never for more than a fifth of the time.
            m_histogramDue = std::chrono::steady_clock::now() +
                             std::max<std::chrono::steady_clock::duration>(std::chrono::seconds(2), took * 4);
            if (done && !m_histogramCancel) {
                m_histogramOf = events;
                m_histogram->SetHistogram(*histogram, RecordKindColours(), RecordKindNames());
                if (m_host.histogramReady) m_host.histogramReady(m_host.folder, *histogram);
            }
            RefreshHistogram();
        });
    });
}

void LoopWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_events && m_grownEarly) OnGrown(std::exchange(m_grownEarly, nullptr), {});
}

void LoopWindow::keyPressEvent(QKeyEvent* event) {
    if (IsToolWindowCloseKey(*event)) {
        close();  // as the close box
        return;
    }
    QWidget::keyPressEvent(event);
}

void LoopWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    AlignHistogram();
}

void LoopWindow::AlignHistogram() {
    // The bars line up with the first slider's groove (the handle's half width in from each end).
    const int left = m_slider[0]->mapTo(this, QPoint(0, 0)).x() - m_histogram->mapTo(this, QPoint(0, 0)).x() + 6;
    const int right = m_histogram->width() - left - m_slider[0]->width() + 12;
    m_histogram->SetMargins(std::max(0, left), std::max(0, right));
}

std::uint32_t LoopWindow::SliderTime(int which) const {
    if (!m_events) return 0;
    return m_events->FirstTime() + static_cast<std::uint32_t>(std::max(0, m_slider[which]->value()));
}

void LoopWindow::SetSliderTime(int which, std::uint32_t t) {
    if (!m_events) return;
    const std::uint32_t clamped = std::clamp(t, m_events->FirstTime(), m_events->LastTime());
    m_slider[which]->setValue(static_cast<int>(clamped - m_events->FirstTime()));
}

void LoopWindow::AskState() {
    if (!m_stateWorker) return;
    const std::uint32_t first = SliderTime(0);
    std::optional<std::uint32_t> second;
    if (m_compare->isChecked()) second = SliderTime(1);
    std::vector<std::uint32_t> cursors{first};
    if (second) cursors.push_back(*second);
    m_histogram->SetCursors(cursors);
    m_lastAsked = m_stateWorker->Ask(first, second);
}

void LoopWindow::ShowAnswer(const LoopStateAnswer& answer) {
    if (!m_events) return;
    if (!answer.failure.empty()) {
        m_summary->setText(QString::fromStdString(answer.failure));
        return;
    }
    m_answer = answer;
    UpdateTiles();
    ++m_answersShown;
}

void LoopWindow::UpdateTiles() {
    if (!m_answer || !m_events) return;
    const LoopStateAnswer& a = *m_answer;
    const bool comparing = a.second != nullptr;
    const LoopState& state = comparing ? *a.second : *a.first;
    const std::uint32_t t = comparing ? *a.request.second : a.request.first;
    TileRules rules;
    rules.silentAfter = static_cast<std::uint32_t>(m_silentMinutes->value()) * 60u;
    std::vector<const FcuDifference*> byFcu(kMaxFcuNumber + 1, nullptr);
    for (const FcuDifference& d : a.differences) byFcu[static_cast<std::size_t>(d.fcu)] = &d;
    std::vector<LoopTile> tiles;
    tiles.reserve(m_tileFcus.size());
    int counts[6] = {0, 0, 0, 0, 0, 0};
    for (int fcu : m_tileFcus) {
        tiles.push_back(MakeTile(*m_events, state, fcu, t, rules, byFcu[static_cast<std::size_t>(fcu)]));
        ++counts[static_cast<int>(tiles.back().condition)];
    }
    m_tiles->SetTiles(std::move(tiles));
    m_shownTime = t;
    QString summary = QStringLiteral("At %1: %2 alarm, %3 stopped, %4 moving, %5 silent, %6 normal, %7 unknown")
                          .arg(TimeAxis::TimeText(t))
                          .arg(counts[static_cast<int>(TileCondition::Alarm)])
                          .arg(counts[static_cast<int>(TileCondition::Stopped)])
                          .arg(counts[static_cast<int>(TileCondition::Moving)])
                          .arg(counts[static_cast<int>(TileCondition::Silent)])
                          .arg(counts[static_cast<int>(TileCondition::Normal)])
                          .arg(counts[static_cast<int>(TileCondition::Unknown)]);
    if (comparing) {
        summary += QStringLiteral("; %1 differ from %2 (framed)").arg(a.differences.size()).arg(TimeAxis::TimeText(a.request.first));
    }
    m_summary->setText(summary + QStringLiteral(". Click a tile for its timeline."));
}

QString LoopWindow::ToolTipOf(int fcu) const {
    if (!m_answer || !m_events || !m_shownTime) return {};
    const LoopStateAnswer& a = *m_answer;
    const LoopState& state = a.second ? *a.second : *a.first;
    TileRules rules;
    rules.silentAfter = static_cast<std::uint32_t>(m_silentMinutes->value()) * 60u;
    std::string text = TileStateText(*m_events, state, fcu, *m_shownTime, rules);
    if (a.second) {
        for (const FcuDifference& d : a.differences) {
            if (d.fcu != fcu) continue;
            const bool ordered = a.request.first <= *a.request.second;
            const LoopState& before = ordered ? *a.first : *a.second;
            const LoopState& after = ordered ? *a.second : *a.first;
            text += "\n\nChanged from " + FormatTimeValue(std::min(a.request.first, *a.request.second)) + " to " +
                    FormatTimeValue(std::max(a.request.first, *a.request.second)) + ":\n" + DifferenceText(before, after, d);
        }
    }
    return QString::fromStdString(text);
}

void LoopWindow::OpenTimeline(int fcu) {
    if (!m_events) return;
    std::uint32_t from = m_events->FirstTime();
    std::uint32_t to = m_events->LastTime();
    if (m_compare->isChecked()) {
        from = std::min(SliderTime(0), SliderTime(1));
        to = std::max(SliderTime(0), SliderTime(1));
    }
    if (!m_timeline) {
        m_timeline = new FcuTimelineWindow(this, [this](const RecordLocation& location) {
            if (m_host.showRecord) m_host.showRecord(location);
        });
    }
    m_timeline->Show(m_events, m_host.modbusBaseAddress, fcu, from, to);
}

QString LoopWindow::StatusText() const { return m_statusText->text(); }

}  // namespace vyx::gui
