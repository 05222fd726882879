#include "app/FcuTimelineWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
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
    resize(1000, 300);
}

FcuTimelineWindow::~FcuTimelineWindow() { StopWorker(); }

void FcuTimelineWindow::StopWorker() {
    m_cancel = true;
    if (m_worker.joinable()) m_worker.join();
}

void FcuTimelineWindow::Show(std::shared_ptr<const CFcuEvents> events, std::uint8_t modbusBaseAddress, int fcu,
                             std::uint32_t from, std::uint32_t to) {
    StopWorker();
    m_events = std::move(events);
    m_records = std::make_unique<CEventRecordReader>(*m_events, modbusBaseAddress);
    m_shown.reset();
    m_fcu = fcu;
    m_view->SetTimeline(nullptr);
    const QString name = fcu == kLoopFcu ? QStringLiteral("the loop") : QStringLiteral("FCU %1").arg(fcu);
    setWindowTitle(QStringLiteral("Timeline of ") + name);
    m_title->setText(QStringLiteral("Timeline of %1, %2 to %3")
                         .arg(name, TimeAxis::TimeText(from), TimeAxis::TimeText(to)));
    m_status->setText(QStringLiteral("Reading the events..."));
    m_cancel = false;
    const std::uint64_t job = ++m_job;
    const QueuedDelivery delivery = m_delivery;
    m_worker = std::thread([this, delivery, job, events = m_events, fcu, from, to] {
        std::shared_ptr<const FcuTimeline> timeline;
        QString failure;
        try {
            timeline = std::make_shared<FcuTimeline>(CollectFcuTimeline(*events, fcu, from, to, &m_cancel));
        } catch (const CVyxError& e) {
            failure = QString::fromStdString(e.what());
        }
        delivery.PostForJob([this, job] { return m_job == job; },
                            [this, timeline, failure] {
                                if (!timeline) m_status->setText(failure);
                                else OnCollected(timeline);
                            });
    });
    show();
    raise();
    activateWindow();
}

void FcuTimelineWindow::OnCollected(std::shared_ptr<const FcuTimeline> timeline) {
    if (m_worker.joinable()) m_worker.join();
    if (timeline->cancelled) return;
    m_shown = timeline;
    m_view->SetTimeline(timeline);
    std::size_t count = 0;
    for (const auto& lane : timeline->lanes) count += lane.size();
    m_status->setText(m_status->text() + QStringLiteral(" (%1 events)").arg(count));
    m_view->setFocus();
}

QString FcuTimelineWindow::MarkText(const FcuEvent& e) {
    if (!m_records) return {};
    return QString::fromStdString(EventRecordText(e, m_records->Read(e)));
}

}  // namespace vyx::gui
