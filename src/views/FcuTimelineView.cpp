#include "views/FcuTimelineView.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace vyx {
namespace {

constexpr int kLabelWidth = 78;
constexpr int kLaneHeight = 30;
constexpr int kTop = 4;
constexpr double kMinSpan = 10;  // seconds: zooming stops there

QColor MarkColour(const FcuEvent& e) {
    switch (e.edge) {
        case FcuEventEdge::Set: return e.kind == FcuEventKind::Alarm ? QColor(210, 40, 40) : QColor(40, 90, 200);
        case FcuEventEdge::Cleared: return QColor(30, 150, 60);
        case FcuEventEdge::Initial: return QColor(140, 140, 140);
        case FcuEventEdge::None: break;
    }
    switch (e.kind) {
        case FcuEventKind::Command: return QColor(110, 40, 170);
        case FcuEventKind::Position: return QColor(220, 130, 20);
        case FcuEventKind::LoopFault: return QColor(210, 40, 40);
        default: return QColor(90, 110, 130);
    }
}

}  // namespace

FcuTimelineView::FcuTimelineView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(LanesHeight() + 30);
}

int FcuTimelineView::LanesHeight() const { return kTop + kTimelineLanes * kLaneHeight; }

void FcuTimelineView::SetTimeline(std::shared_ptr<const FcuTimeline> timeline) {
    m_timeline = std::move(timeline);
    ShowAll();
}

void FcuTimelineView::ShowAll() {
    if (m_timeline) SetView(m_timeline->from, static_cast<double>(m_timeline->to) + 1);
    else update();
}

void FcuTimelineView::SetView(double begin, double end) {
    if (!m_timeline) return;
    const double low = m_timeline->from;
    const double high = static_cast<double>(m_timeline->to) + 1;
    double span = std::clamp(end - begin, std::min(kMinSpan, high - low), high - low);
    begin = std::clamp(begin, low, high - span);
    m_begin = begin;
    m_end = begin + span;
    update();
    emit viewChanged();
}

void FcuTimelineView::ZoomAbout(double t, double factor) {
    SetView(t - (t - m_begin) * factor, t + (m_end - t) * factor);
}

TimeAxis FcuTimelineView::Axis() const {
    return TimeAxis(m_begin, m_end, kLabelWidth, std::max(1, width() - kLabelWidth - 8));
}

QRect FcuTimelineView::LaneRect(int lane) const {
    return QRect(kLabelWidth, kTop + lane * kLaneHeight, std::max(1, width() - kLabelWidth - 8), kLaneHeight - 4);
}

std::optional<QPoint> FcuTimelineView::MarkPoint(TimelineLane lane, std::size_t index) const {
    if (!m_timeline) return std::nullopt;
    const auto& marks = m_timeline->lanes[static_cast<std::size_t>(lane)];
    if (index >= marks.size() || marks[index].time < m_begin || marks[index].time >= m_end) return std::nullopt;
    const QRect r = LaneRect(static_cast<int>(lane));
    // A mark is drawn in the pixel column its time falls in.
    const int column = static_cast<int>((marks[index].time - m_begin) * r.width() / (m_end - m_begin));
    return QPoint(r.left() + column, r.center().y());
}

std::optional<std::pair<TimelineLane, std::size_t>> FcuTimelineView::MarkAt(const QPoint& point) const {
    if (!m_timeline) return std::nullopt;
    for (int lane = 0; lane < kTimelineLanes; ++lane) {
        const QRect r = LaneRect(lane);
        if (point.y() < r.top() || point.y() > r.bottom() || point.x() < r.left() - 3 || point.x() > r.right() + 3) continue;
        const TimeAxis axis = Axis();
        const double perPixel = (m_end - m_begin) / axis.Width();
        const auto& marks = m_timeline->lanes[static_cast<std::size_t>(lane)];
        const auto found = NearestMark(marks, axis.TimeAt(point.x() + 0.5), 3 * perPixel);
        if (found) return std::make_pair(static_cast<TimelineLane>(lane), *found);
        return std::nullopt;
    }
    return std::nullopt;
}

void FcuTimelineView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    if (!m_timeline) return;
    const TimeAxis axis = Axis();
    for (int lane = 0; lane < kTimelineLanes; ++lane) {
        const QRect r = LaneRect(lane);
        painter.fillRect(r, lane % 2 ? QColor(246, 246, 246) : QColor(238, 241, 246));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRect(4, r.top(), kLabelWidth - 8, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromUtf8(TimelineLaneText(static_cast<TimelineLane>(lane)).data(),
                                           static_cast<int>(TimelineLaneText(static_cast<TimelineLane>(lane)).size())));
        const auto& marks = m_timeline->lanes[static_cast<std::size_t>(lane)];
        const std::vector<LaneColumn> columns =
            LaneColumns(marks, static_cast<std::uint32_t>(std::floor(m_begin)), static_cast<std::uint32_t>(std::ceil(m_end)), r.width());
        const bool position = lane == static_cast<int>(TimelineLane::Position);
        // The valve position as a level across the lane (the raw word over 255, as the percentage is worked
        // out; the tooltip says the exact figure). It holds from one position to the next, so a view that
        // starts or ends between two shows the level known there, up to the end of the span.
        const auto levelOf = [&r](const FcuEvent& e) {
            return r.bottom() - (r.height() - 4) * std::min(1.0, e.value / 255.0) - 2;
        };
        QPointF last(-1, 0);
        if (position) {
            const auto before = std::partition_point(marks.begin(), marks.end(), [this](const FcuEvent& e) {
                return e.time < static_cast<std::uint32_t>(std::floor(m_begin));
            });
            if (before != marks.begin()) last = QPointF(r.left(), levelOf(*(before - 1)));
        }
        for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
            const LaneColumn& column = columns[static_cast<std::size_t>(c)];
            if (column.count == 0) continue;
            const FcuEvent& e = marks[column.first];
            const int x = r.left() + c;
            if (position) {
                const double level = levelOf(e);
                painter.setPen(QPen(MarkColour(e), 2));
                if (last.x() >= 0) painter.drawLine(last, QPointF(x, last.y()));
                if (last.x() >= 0) painter.drawLine(QPointF(x, last.y()), QPointF(x, level));
                painter.fillRect(QRectF(x - 1, level - 2, 3, 4), MarkColour(e));
                // Several in the column: the level goes on from the last of them.
                last = QPointF(x, levelOf(marks[column.first + column.count - 1]));
                if (last.y() != level) painter.drawLine(QPointF(x, level), last);
                continue;
            }
            // Several marks in one column: a taller, darker tick.
            const int inset = column.count > 1 ? 1 : 5;
            QColor colour = MarkColour(e);
            if (column.count > 1) colour = colour.darker(130);
            painter.fillRect(QRect(x - 1, r.top() + inset, 3, r.height() - 2 * inset), colour);
        }
        // A timeline cut short knows no level after its last mark.
        if (position && last.x() >= 0 && !m_timeline->truncated) {
            const double end = std::min<double>(r.right(), axis.XOf(static_cast<double>(m_timeline->to) + 1.0));
            if (end > last.x()) {
                painter.setPen(QPen(MarkColour(FcuEvent{.kind = FcuEventKind::Position}), 2));
                painter.drawLine(last, QPointF(end, last.y()));
            }
        }
    }
    axis.PaintTicks(painter, QRect(0, LanesHeight() + 2, width(), fontMetrics().height() + 4));
    if (m_timeline->truncated) {
        painter.setPen(QColor(180, 30, 30));
        painter.drawText(rect().adjusted(0, 0, -8, -2), Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Too many events: the timeline stops early"));
    }
}

void FcuTimelineView::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0 || !m_timeline) return;
    ZoomAbout(Axis().TimeAt(event->position().x()), std::pow(0.8, steps));
    event->accept();
}

void FcuTimelineView::keyPressEvent(QKeyEvent* event) {
    const double span = m_end - m_begin;
    const double middle = m_begin + span / 2;
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal: ZoomAbout(middle, 0.5); break;
        case Qt::Key_Minus: ZoomAbout(middle, 2.0); break;
        case Qt::Key_Left: SetView(m_begin - span / 4, m_end - span / 4); break;
        case Qt::Key_Right: SetView(m_begin + span / 4, m_end + span / 4); break;
        case Qt::Key_Home: ShowAll(); break;
        default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void FcuTimelineView::mouseDoubleClickEvent(QMouseEvent* event) {
    const auto mark = MarkAt(event->position().toPoint());
    if (!mark || !m_timeline) return QWidget::mouseDoubleClickEvent(event);
    emit markActivated(m_timeline->lanes[static_cast<std::size_t>(mark->first)][mark->second]);
}

bool FcuTimelineView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const auto mark = MarkAt(help->pos());
    if (!mark || !m_toolTip) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(help->globalPos(), m_toolTip(m_timeline->lanes[static_cast<std::size_t>(mark->first)][mark->second]), this);
    return true;
}

}  // namespace vyx
