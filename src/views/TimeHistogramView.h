#pragma once
// A painted histogram over time: stacked bars of a TimeHistogram's series, cursors at chosen moments (the
// loop window's T1 and T2), and a press or drag that says which moment was pointed at. The loop window's
// records by kind and the main window's overview bar are both one of these.

#include <QColor>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "analysis/TimeHistogram.h"
#include "views/TimeAxis.h"

namespace vyx {

class TimeHistogramView : public QWidget {
    Q_OBJECT
public:
    explicit TimeHistogramView(QWidget* parent = nullptr);

    // colours and names by series; the span shown is the histogram's own unless SetSpan narrows it.
    void SetHistogram(TimeHistogram histogram, std::vector<QColor> colours, QStringList names);
    void SetSpan(std::uint32_t begin, std::uint32_t end);  // [begin, end)
    // Vertical lines at these moments; with two, the stretch between them is shaded.
    void SetCursors(std::vector<std::uint32_t> cursors);
    // Space on the left and right kept free, to line the bars up with a slider above them.
    void SetMargins(int left, int right);
    void SetTimeLabels(bool shown);
    void SetEmptyText(const QString& text);
    // The last line of the tooltip: what a click does here.
    void SetClickHint(const QString& text) { m_clickHint = text; }

    const TimeHistogram& Histogram() const { return m_histogram; }
    // Where a moment lies across the widget, and the moment at an x (for tests and the slider).
    TimeAxis Axis() const;

signals:
    // A press on the bars, or a drag with the button held: the moment under the pointer.
    void timePicked(std::uint32_t time);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    std::uint32_t PickedTime(int x) const;

    TimeHistogram m_histogram;
    std::vector<QColor> m_colours;
    QStringList m_names;
    std::uint32_t m_begin = 0;
    std::uint32_t m_end = 0;
    std::vector<std::uint32_t> m_cursors;
    int m_leftMargin = 2;
    int m_rightMargin = 2;
    bool m_timeLabels = true;
    QString m_emptyText;
    QString m_clickHint;
};

}  // namespace vyx
