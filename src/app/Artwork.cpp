#include "app/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vyx::gui {
namespace {

const QColor kDeepBlue(0x10, 0x2a, 0x5c);
const QColor kMidBlue(0x1f, 0x5f, 0xa8);
const QColor kAccent(0xf2, 0xa9, 0x00);

// A valve body: two triangles meeting at a point, with a stem and a hand wheel.
void DrawValve(QPainter& p, const QRectF& box, const QColor& color) {
    const qreal w = box.width(), h = box.height();
    const QPointF c(box.center().x(), box.top() + h * 0.62);
    QPainterPath body;
    body.moveTo(box.left() + w * 0.12, c.y() - h * 0.22);
    body.lineTo(c);
    body.lineTo(box.left() + w * 0.12, c.y() + h * 0.22);
    body.closeSubpath();
    body.moveTo(box.right() - w * 0.12, c.y() - h * 0.22);
    body.lineTo(c);
    body.lineTo(box.right() - w * 0.12, c.y() + h * 0.22);
    body.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(body);
    p.fillRect(QRectF(c.x() - w * 0.04, box.top() + h * 0.2, w * 0.08, c.y() - box.top() - h * 0.2), color);
    p.drawRoundedRect(QRectF(box.left() + w * 0.28, box.top() + h * 0.1, w * 0.44, h * 0.12), 3, 3);
}

}  // namespace

QPixmap IconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size);
    g.setColorAt(0, kMidBlue);
    g.setColorAt(1, kDeepBlue);
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, size, size), size * 0.18, size * 0.18);
    DrawValve(p, QRectF(size * 0.1, size * 0.08, size * 0.8, size * 0.8), kAccent);
    return pixmap;
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(IconPixmap(size));
    return icon;
}

QPixmap BannerPixmap(int width, int height) {
    QPixmap pixmap(std::max(width, 1), std::max(height, 1));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, width, 0);
    g.setColorAt(0, kDeepBlue);
    g.setColorAt(0.6, kMidBlue);
    g.setColorAt(1, QColor(0x6f, 0xa8, 0xdc));
    p.fillRect(pixmap.rect(), g);
    DrawValve(p, QRectF(8, 4, height - 8, height - 8), kAccent);
    QFont title("Sans", std::max(10, height / 3), QFont::Bold);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(height + 8, 0, width, height * 2 / 3), Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("Vyx Viewer"));
    QFont sub("Sans", std::max(7, height / 6));
    p.setFont(sub);
    p.setPen(QColor(0xd8, 0xe6, 0xf5));
    p.drawText(QRect(height + 10, height * 2 / 3, width, height / 3), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("Field network data logger viewer"));
    return pixmap;
}

QPixmap SplashPixmap() {
    const int w = 480, h = 260;
    QPixmap pixmap(w, h);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, kMidBlue);
    g.setColorAt(1, kDeepBlue);
    p.fillRect(pixmap.rect(), g);
    DrawValve(p, QRectF(30, 50, 150, 150), kAccent);
    p.setPen(Qt::white);
    p.setFont(QFont("Sans", 30, QFont::Bold));
    p.drawText(QRect(200, 70, 270, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vyx Viewer"));
    p.setFont(QFont("Sans", 11));
    p.drawText(QRect(202, 130, 270, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Version 1.65"));
    p.setPen(QColor(0xd8, 0xe6, 0xf5));
    p.setFont(QFont("Sans", 9));
    p.drawText(QRect(202, 160, 270, 40), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Reads the day files of a field-network data logger"));
    return pixmap;
}

}  // namespace vyx::gui
