#include "app/ToolWindows.h"
#include "app/FcuTimelineWindow.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "analysis/LoopText.h"
#include "platform/FileError.h"
#include "views/FcuTimelineView.h"
#include "views/TimeAxis.h"

namespace vyx::gui {

FcuTimelineWindow::FcuTimelineWindow(QWidget* parent, std::function<void(const RecordLocation&)> showRecord)
    : QWidget(parent, Qt::Window), m_showRecord(std::move(showRecord)), m_delivery(this) {
    setObjectName("fcuTimelineWindow");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    m_title = new QLabel(this);
    m_title->setObjectName("timelineTitle");
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    top->addWidget(m_title, 1);
    m_view = new FcuTimelineView(this);
    m_view->setObjectName("timelineView");
    auto button = [&](const QString& text, const char* name, auto slot) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QPushButton::clicked, this, slot);
        top->addWidget(b);
    };
    button(QStringLiteral("Zoom in (+)"), "timelineZoomIn",
           [this] { m_view->ZoomAbout((m_view->ViewBegin() + m_view->ViewEnd()) / 2, 0.5); });
    button(QStringLiteral("Zoom out (-)"), "timelineZoomOut",
           [this] { m_view->ZoomAbout((m_view->ViewBegin() + m_view->ViewEnd()) / 2, 2.0); });
    button(QStringLiteral("Whole span (Home)"), "timelineAll", [this] { m_view->ShowAll(); });
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    m_status = new QLabel(this);
    m_status->setObjectName("timelineStatus");
    layout->addWidget(m_status);
    m_view->SetToolTipSource([this](const FcuEvent& e) { return MarkText(e); });
    connect(m_view, &FcuTimelineView::markActivated, this, [this](const FcuEvent& e) {
        if (m_records && m_showRecord) m_showRecord(m_records->LocationOf(e));
    });
    connect(m_view, &FcuTimelineView::viewChanged, this, [this] {
        if (!m_shown) return;
        m_status->setText(QStringLiteral("Showing %1 to %2. Wheel or +/- zoom, arrows move; double-click a mark "
                                         "to show its record in the list.")
                              .arg(TimeAxis::TimeText(static_cast<std::uint32_t>(m_view->ViewBegin())),
                                   TimeAxis::TimeText(static_cast<std::uint32_t>(m_view->ViewEnd()))));
    });
    m_extendTimer = new QTimer(this);
    m_extendTimer->setSingleShot(true);
    m_extendTimer->setInterval(1000);
    connect(m_extendTimer, &QTimer::timeout, this, [this] {
        if (m_grown) Collect(std::exchange(m_grown, nullptr), true);
    });
    resize(1000, 300);
}

FcuTimelineWindow::~FcuTimelineWindow() { StopWorker(); }

void FcuTimelineWindow::StopWorker() {
    m_cancel = true;
    if (m_worker.joinable()) m_worker.join();
}

void FcuTimelineWindow::Show(std::shared_ptr<const CFcuEvents> events, std::uint8_t modbusBaseAddress, int fcu,
                             std::uint32_t from, std::uint32_t to) {
    m_modbusBaseAddress = modbusBaseAddress;
    m_fcu = fcu;
    m_from = from;
    m_to = to;
    m_grown.reset();
    m_extendTimer->stop();
    Collect(std::move(events), false);
    show();
    raise();
    activateWindow();
}

void FcuTimelineWindow::Extend(std::shared_ptr<const CFcuEvents> events) {
    if (!m_events || !isVisible() || m_to < m_events->LastTime()) return;
    m_grown = std::move(events);
    if (!m_extendTimer->isActive()) m_extendTimer->start();
}

void FcuTimelineWindow::Collect(std::shared_ptr<const CFcuEvents> events, bool keepView) {
    StopWorker();
    if (keepView) m_to = std::max(m_to, events->LastTime());
    m_events = std::move(events);
    m_records = std::make_unique<CEventRecordReader>(*m_events, m_modbusBaseAddress);
    if (!keepView) {
        m_shown.reset();
        m_view->SetTimeline(nullptr);
    }
    const int fcu = m_fcu;
    const std::uint32_t from = m_from;
    const std::uint32_t to = m_to;
    const QString name = fcu == kLoopFcu ? QStringLiteral("the loop") : QStringLiteral("FCU %1").arg(fcu);
    setWindowTitle(QStringLiteral("Timeline of ") + name);
    m_title->setText(QStringLiteral("Timeline of %1, %2 to %3")
                         .arg(name, TimeAxis::TimeText(from), TimeAxis::TimeText(to)));
    if (!keepView) m_status->setText(QStringLiteral("Reading the events..."));
    m_cancel = false;
    const std::uint64_t job = ++m_job;
    const QueuedDelivery delivery = m_delivery;
    m_worker = std::thread([this, delivery, job, events = m_events, fcu, from, to, keepView] {
        std::shared_ptr<const FcuTimeline> timeline;
        QString failure;
        try {
            timeline = std::make_shared<FcuTimeline>(CollectFcuTimeline(*events, fcu, from, to, &m_cancel));
        } catch (const CVyxError& e) {
            failure = QString::fromStdString(e.what());
        }
        delivery.PostForJob([this, job] { return m_job == job; },
                            [this, timeline, failure, keepView] {
                                if (!timeline) m_status->setText(failure);
                                else OnCollected(timeline, keepView);
                            });
    });
}

void FcuTimelineWindow::OnCollected(std::shared_ptr<const FcuTimeline> timeline, bool keepView) {
    if (m_worker.joinable()) m_worker.join();
    if (timeline->cancelled) return;
    // Read again as the events grew: a view of the whole span shows the whole new span, any other stays put.
    const bool showedAll = !m_shown || (m_view->ViewBegin() <= m_shown->from && m_view->ViewEnd() >= m_shown->to);
    const double begin = m_view->ViewBegin();
    const double end = m_view->ViewEnd();
    m_shown = timeline;
    m_view->SetTimeline(timeline);
    if (keepView && !showedAll) m_view->SetView(begin, end);
    std::size_t count = 0;
    for (const auto& lane : timeline->lanes) count += lane.size();
    if (keepView) {
        m_status->setText(QStringLiteral("%1 events; growing with the followed folder.").arg(count));
        return;
    }
    m_status->setText(m_status->text() + QStringLiteral(" (%1 events)").arg(count));
    m_view->setFocus();
}

void FcuTimelineWindow::keyPressEvent(QKeyEvent* event) {
    if (IsToolWindowCloseKey(*event)) {
        close();  // as the close box
        return;
    }
    QWidget::keyPressEvent(event);
}

QString FcuTimelineWindow::MarkText(const FcuEvent& e) {
    if (!m_records) return {};
    return QString::fromStdString(EventRecordText(e, m_records->Read(e)));
}

}  // namespace vyx::gui
