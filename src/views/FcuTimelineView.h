#pragma once
// The FCU timeline, painted: one lane per kind of event (commands, status, alarms, position, heard A and B)
// over a span, with a time scale. The wheel zooms about the pointer, + and - zoom about the middle, the
// arrow keys move along, Home shows the whole span. A mark's tooltip comes from the owner; a double click
// on a mark hands it over.

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "analysis/FcuTimeline.h"
#include "views/TimeAxis.h"

namespace vyx {

class FcuTimelineView : public QWidget {
    Q_OBJECT
public:
    explicit FcuTimelineView(QWidget* parent = nullptr);

    void SetTimeline(std::shared_ptr<const FcuTimeline> timeline);
    void SetToolTipSource(std::function<QString(const FcuEvent&)> source) { m_toolTip = std::move(source); }

    // The visible stretch [begin, end); kept within the timeline's span.
    void SetView(double begin, double end);
    void ZoomAbout(double t, double factor);
    void ShowAll();
    double ViewBegin() const { return m_begin; }
    double ViewEnd() const { return m_end; }

    // Where a lane's mark is drawn (its centre), for tests; nothing when it lies outside the view.
    std::optional<QPoint> MarkPoint(TimelineLane lane, std::size_t index) const;
    // The mark under a point, if any.
    std::optional<std::pair<TimelineLane, std::size_t>> MarkAt(const QPoint& point) const;

    QSize sizeHint() const override { return QSize(900, LanesHeight() + 40); }

signals:
    void markActivated(const vyx::FcuEvent& event);
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    TimeAxis Axis() const;
    QRect LaneRect(int lane) const;
    int LanesHeight() const;

    std::shared_ptr<const FcuTimeline> m_timeline;
    std::function<QString(const FcuEvent&)> m_toolTip;
    double m_begin = 0;
    double m_end = 1;
};

}  // namespace vyx
