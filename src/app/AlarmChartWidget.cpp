#include "app/AlarmChartWidget.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "analysis/AlarmChart.h"

namespace vyx::gui {

AlarmChartWidget::AlarmChartWidget(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(160);
}

void AlarmChartWidget::SetFigures(const AlarmFigures* figures) {
    m_figures = figures;
    update();
}

void AlarmChartWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const int labelHeight = fontMetrics().height();
    const QRect plot = rect().adjusted(36, labelHeight / 2 + 1, -8, -20);
    p.setPen(QColor(0x99, 0x99, 0x99));
    p.drawRect(plot);
    if (!m_figures || m_figures->perPeriod.empty()) return;
    const auto columns = ChartColumns(*m_figures, static_cast<std::size_t>(std::max(1, plot.width())));
    const double scale = ChartScale(columns);
    const double t0 = static_cast<double>(m_figures->firstPeriod) * kPeriodSeconds;
    const double t1 = columns.back().end;
    const auto x = [&](double t) { return plot.left() + (t - t0) / (t1 - t0) * plot.width(); };
    const auto y = [&](double v) { return plot.bottom() - v / scale * plot.height(); };
    for (const AlarmFlood& flood : m_figures->floods) {
        const double a = x(flood.start);
        p.fillRect(QRectF(a, plot.top(), std::max(1.0, x(flood.end) - a), plot.height()), QColor(0xF4, 0xB6, 0xB6, 150));
    }
    const double width = std::max(1.0, static_cast<double>(plot.width()) / columns.size());
    for (const ChartColumn& c : columns) {
        if (c.most == 0) continue;
        p.fillRect(QRectF(x(c.start), y(c.most), width, y(0) - y(c.most)),
                   c.most > 10 ? QColor(0xC0, 0x39, 0x2B) : QColor(0x2E, 0x6D, 0xB4));
    }
    const struct {
        std::uint32_t value;
        QColor colour;
    } lines[] = {{1, QColor(0x2E, 0x8B, 0x57)}, {2, QColor(0xD4, 0xA0, 0x17)}, {10, QColor(0xC0, 0x39, 0x2B)}};
    for (const auto& line : lines) {
        p.setPen(QPen(line.colour, 1, Qt::DashLine));
        p.drawLine(QPointF(plot.left(), y(line.value)), QPointF(plot.right(), y(line.value)));
    }
    // Each label centred on its value; the lines keep their colours, the top of the scale the text's.
    for (const std::uint32_t value : AxisLabelValues(static_cast<std::uint32_t>(scale), plot.height(), labelHeight)) {
        QColor colour = palette().text().color();
        for (const auto& line : lines) {
            if (line.value == value) colour = line.colour;
        }
        p.setPen(colour);
        p.drawText(QRectF(0, y(value) - labelHeight / 2.0, plot.left() - 4, labelHeight),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(value));
    }
}

}  // namespace vyx::gui
