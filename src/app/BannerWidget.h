#pragma once

#include <QWidget>

namespace vyx::gui {

// The banner across the top of the main window; redrawn for its width.
class BannerWidget : public QWidget {
    Q_OBJECT
public:
    explicit BannerWidget(QWidget* parent);
    QSize sizeHint() const override { return {600, 60}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vyx::gui
