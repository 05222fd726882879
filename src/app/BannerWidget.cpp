#include "app/BannerWidget.h"

#include <QPainter>

#include "app/Artwork.h"

namespace vyx::gui {

BannerWidget::BannerWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("banner");
    setFixedHeight(60);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void BannerWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, BannerPixmap(width(), height()));
}

}  // namespace vyx::gui
