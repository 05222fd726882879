#pragma once
// Activations per 10 minutes over the span, painted: a column per slice of the span (its busiest period),
// dashed lines at 1, 2 and 10, the floods shaded.

#include <QWidget>

#include <cstdint>
#include <vector>

#include "analysis/AlarmChart.h"

namespace vyx::gui {

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
