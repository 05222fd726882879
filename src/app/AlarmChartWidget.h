#pragma once
// Activations per 10 minutes over the span, painted: a column per slice of the span (its busiest period),
// dashed lines at 1, 2 and 10, the floods shaded.

#include <QWidget>

#include <cstdint>
#include <vector>

#include "analysis/AlarmFigures.h"

namespace vyx::gui {

// The values the y axis labels, on a linear scale from 0 to `scale` over plotHeight pixels: the top of the
// scale, then the lines at 10, 2 and 1, each only where its label (labelHeight high, centred on its value)
// clears the labels kept before it. On a tall scale the three lines lie a pixel or two apart.
std::vector<std::uint32_t> AxisLabelValues(std::uint32_t scale, double plotHeight, double labelHeight);

class AlarmChartWidget : public QWidget {
    Q_OBJECT
public:
    explicit AlarmChartWidget(QWidget* parent = nullptr);
    void SetFigures(const AlarmFigures* figures);  // not owned; null clears
    QSize sizeHint() const override { return {800, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const AlarmFigures* m_figures = nullptr;
};

}  // namespace vyx::gui
