#pragma once

#include <QList>
#include <QWidget>
#include <algorithm>

namespace vyx::gui {

// The column widths were chosen for a small dialog font; scale them to the font in use, so that a date or a
// channel name is not cut off where the font is wider.
inline QList<int> ScaledWidths(const QList<int>& widths, const QWidget* widget) {
    const double scale = std::max(1.0, widget->fontMetrics().horizontalAdvance(QLatin1Char('0')) / 6.0);
    QList<int> scaled;
    for (int w : widths) scaled << static_cast<int>(w * scale + 0.5);
    return scaled;
}

}  // namespace vyx::gui
