#include "views/TimeHistogramView.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace vyx {

TimeHistogramView::TimeHistogramView(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(40);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TimeHistogramView::SetHistogram(TimeHistogram histogram, std::vector<QColor> colours, QStringList names) {
    m_histogram = std::move(histogram);
    m_colours = std::move(colours);
    m_names = std::move(names);
    m_begin = m_histogram.from;
    m_end = static_cast<std::uint32_t>(std::min<std::uint64_t>(m_histogram.To(), UINT32_MAX));
    update();
}

void TimeHistogramView::SetSpan(std::uint32_t begin, std::uint32_t end) {
    m_begin = begin;
    m_end = end;
    update();
}

void TimeHistogramView::SetCursors(std::vector<std::uint32_t> cursors) {
    if (cursors == m_cursors) return;
    m_cursors = std::move(cursors);
    update();
}

void TimeHistogramView::SetMargins(int left, int right) {
    m_leftMargin = left;
    m_rightMargin = right;
    update();
}

void TimeHistogramView::SetTimeLabels(bool shown) {
    m_timeLabels = shown;
    update();
}

void TimeHistogramView::SetEmptyText(const QString& text) {
    m_emptyText = text;
    update();
}

TimeAxis TimeHistogramView::Axis() const {
    return TimeAxis(m_begin, m_end, m_leftMargin, std::max(1, width() - m_leftMargin - m_rightMargin));
}

void TimeHistogramView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const TimeAxis axis = Axis();
    const int labelHeight = m_timeLabels ? fontMetrics().height() + 2 : 0;
    const QRect bars(axis.Left(), 2, axis.Width(), height() - 4 - labelHeight);
    if (m_histogram.Buckets() == 0 || !axis.Valid()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter, m_emptyText);
        return;
    }
    const int columns = std::max(1, axis.Width());
    const int series = m_histogram.series;
    const std::vector<std::uint64_t> counts = m_histogram.Columns(m_begin, m_end, columns);
    std::uint64_t highest = 1;
    for (int c = 0; c < columns; ++c) {
        std::uint64_t sum = 0;
        for (int s = 0; s < series; ++s) sum += counts[static_cast<std::size_t>(c * series + s)];
        highest = std::max(highest, sum);
    }
    // Where buckets are wider than a pixel, a bucket fills the columns up to the next one.
    const double bucketPixels = m_histogram.bucketSeconds * static_cast<double>(columns) / std::max(1u, m_end - m_begin);
    const int spread = std::max(1, static_cast<int>(std::ceil(bucketPixels)));
    for (int c = 0; c < columns; ++c) {
        double base = bars.bottom() + 1;
        for (int s = 0; s < series; ++s) {
            const std::uint64_t n = counts[static_cast<std::size_t>(c * series + s)];
            if (n == 0) continue;
            const double h = static_cast<double>(n) * bars.height() / static_cast<double>(highest);
            const QColor colour = s < static_cast<int>(m_colours.size()) ? m_colours[static_cast<std::size_t>(s)] : QColor(Qt::darkGray);
            painter.fillRect(QRectF(bars.left() + c, base - h, spread, std::max(h, 1.0)), colour);
            base -= h;
        }
    }
    if (m_cursors.size() == 2) {
        const double a = axis.XOf(std::min(m_cursors[0], m_cursors[1]));
        const double b = axis.XOf(std::max(m_cursors[0], m_cursors[1]));
        painter.fillRect(QRectF(a, bars.top(), b - a, bars.height()), QColor(40, 90, 200, 40));
    }
    static const QColor kCursorColours[] = {QColor(200, 30, 30), QColor(30, 60, 200)};
    for (std::size_t i = 0; i < m_cursors.size(); ++i) {
        painter.setPen(QPen(kCursorColours[i % 2], 2));
        const double x = axis.XOf(m_cursors[i]);
        painter.drawLine(QPointF(x, bars.top()), QPointF(x, bars.bottom()));
    }
    if (m_timeLabels) axis.PaintTicks(painter, QRect(0, height() - labelHeight, width(), labelHeight));
}

std::uint32_t TimeHistogramView::PickedTime(int x) const {
    const double t = std::clamp(Axis().TimeAt(x), static_cast<double>(m_begin), static_cast<double>(m_end > m_begin ? m_end - 1 : m_begin));
    return static_cast<std::uint32_t>(std::lround(t));
}

void TimeHistogramView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_histogram.Buckets() == 0) return QWidget::mousePressEvent(event);
    emit timePicked(PickedTime(static_cast<int>(event->position().x())));
}

void TimeHistogramView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || m_histogram.Buckets() == 0) return QWidget::mouseMoveEvent(event);
    emit timePicked(PickedTime(static_cast<int>(event->position().x())));
}

bool TimeHistogramView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    if (m_histogram.Buckets() == 0 || !Axis().Valid()) {
        QToolTip::hideText();
        return true;
    }
    // The bucket under the pointer, with its counts by series.
    const std::uint32_t t = PickedTime(help->pos().x());
    if (t < m_histogram.from || t >= m_histogram.To()) {
        QToolTip::hideText();
        return true;
    }
    const std::size_t b = (t - m_histogram.from) / m_histogram.bucketSeconds;
    const std::uint32_t start = m_histogram.from + static_cast<std::uint32_t>(b) * m_histogram.bucketSeconds;
    QString text = TimeAxis::TimeText(start) + QStringLiteral(" to ") + TimeAxis::TimeText(start + m_histogram.bucketSeconds - 1);
    for (int s = 0; s < m_histogram.series; ++s) {
        const QString name = s < m_names.size() ? m_names[s] : QString::number(s);
        text += QStringLiteral("\n%1: %2").arg(name).arg(m_histogram.At(b, s));
    }
    if (!m_clickHint.isEmpty()) text += QStringLiteral("\n") + m_clickHint;
    QToolTip::showText(help->globalPos(), text, this);
    return true;
}

}  // namespace vyx
