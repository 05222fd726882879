#include "views/TimeAxis.h"

#include <array>
#include <cmath>

#include "decode/FormatRecord.h"
#include "logdata/TimeValue.h"

namespace vyx {

double TimeAxis::XOf(double t) const {
    return m_left + (t - m_begin) * m_width / (m_end - m_begin);
}

double TimeAxis::TimeAt(double x) const {
    return m_begin + (x - m_left) * (m_end - m_begin) / m_width;
}

QString TimeAxis::TimeText(std::uint32_t time) { return QString::fromStdString(FormatTimeValue(time)); }

void TimeAxis::PaintTicks(QPainter& painter, const QRect& rect) const {
    if (!Valid()) return;
    static constexpr std::array<double, 18> kSteps = {1,    5,     10,    30,    60,     300,     600,      1800,
                                                      3600, 10800, 21600, 43200, 86400, 172800, 604800, 2592000,
                                                      7776000, 31536000};
    const int labelWidth = painter.fontMetrics().horizontalAdvance(QStringLiteral("00/00/00 00:00")) + 16;
    const double perPixel = (m_end - m_begin) / m_width;
    double step = kSteps.back();
    for (double s : kSteps) {
        if (s / perPixel >= labelWidth) {
            step = s;
            break;
        }
    }
    painter.save();
    painter.setPen(QColor(90, 90, 90));
    const double first = std::ceil(m_begin / step) * step;
    for (double t = first; t < m_end; t += step) {
        const int x = static_cast<int>(std::lround(XOf(t)));
        painter.drawLine(x, rect.top(), x, rect.top() + 3);
        const CivilDateTime c = BreakDown(static_cast<std::uint32_t>(t));
        QString label;
        if (step >= 86400) label = QString::asprintf("%02d/%02d/%02d", c.day, c.month, c.year % 100);
        else if (step >= 60) label = QString::asprintf("%02d/%02d %02d:%02d", c.day, c.month, c.hour, c.minute);
        else label = QString::asprintf("%02d:%02d:%02d", c.hour, c.minute, c.second);
        painter.drawText(QRect(x + 2, rect.top(), labelWidth, rect.height()), Qt::AlignLeft | Qt::AlignVCenter, label);
    }
    painter.restore();
}

}  // namespace vyx
