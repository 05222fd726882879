#include "views/FcuTileGrid.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace vyx {
namespace {

constexpr int kTileWidth = 84;
constexpr int kTileHeight = 50;
constexpr int kGap = 4;

QColor MarkColour(ChannelMark mark) {
    switch (mark) {
        case ChannelMark::Heard: return QColor(20, 130, 40);
        case ChannelMark::Silent: return QColor(200, 40, 40);
        case ChannelMark::Never: break;
    }
    return QColor(150, 150, 150);
}

}  // namespace

FcuTileGrid::FcuTileGrid(QWidget* parent) : QWidget(parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QColor FcuTileGrid::ConditionColour(TileCondition condition) {
    switch (condition) {
        case TileCondition::Unknown: return QColor(205, 205, 205);
        case TileCondition::Stopped: return QColor(236, 150, 60);
        case TileCondition::Alarm: return QColor(235, 95, 95);
        case TileCondition::Silent: return QColor(240, 225, 130);
        case TileCondition::Moving: return QColor(120, 170, 240);
        case TileCondition::Normal: return QColor(150, 215, 150);
    }
    return Qt::white;
}

void FcuTileGrid::SetTiles(std::vector<LoopTile> tiles) {
    const bool countChanged = tiles.size() != m_tiles.size();
    m_tiles = std::move(tiles);
    if (countChanged) updateGeometry();
    update();
}

int FcuTileGrid::Columns(int width) const { return std::max(1, (width - kGap) / (kTileWidth + kGap)); }

int FcuTileGrid::heightForWidth(int width) const {
    const int columns = Columns(width);
    const int rows = static_cast<int>((m_tiles.size() + static_cast<std::size_t>(columns) - 1) / static_cast<std::size_t>(columns));
    return kGap + rows * (kTileHeight + kGap);
}

QSize FcuTileGrid::sizeHint() const { return QSize(10 * (kTileWidth + kGap) + kGap, heightForWidth(10 * (kTileWidth + kGap) + kGap)); }

QRect FcuTileGrid::RectOfIndex(std::size_t index) const {
    const std::size_t columns = static_cast<std::size_t>(Columns(width()));
    const int column = static_cast<int>(index % columns);
    const int row = static_cast<int>(index / columns);
    return QRect(kGap + column * (kTileWidth + kGap), kGap + row * (kTileHeight + kGap), kTileWidth, kTileHeight);
}

QRect FcuTileGrid::TileRect(int fcu) const {
    for (std::size_t i = 0; i < m_tiles.size(); ++i) {
        if (m_tiles[i].fcu == fcu) return RectOfIndex(i);
    }
    return {};
}

int FcuTileGrid::TileAt(const QPoint& point) const {
    for (std::size_t i = 0; i < m_tiles.size(); ++i) {
        if (RectOfIndex(i).contains(point)) return static_cast<int>(i);
    }
    return -1;
}

void FcuTileGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    QFont bold = font();
    bold.setBold(true);
    QFont small = font();
    small.setPointSizeF(std::max(6.0, font().pointSizeF() * 0.8));
    for (std::size_t i = 0; i < m_tiles.size(); ++i) {
        const QRect r = RectOfIndex(i);
        if (!r.intersects(event->rect())) continue;
        const LoopTile& tile = m_tiles[i];
        const bool changed = !tile.change.empty();
        painter.fillRect(r, ConditionColour(tile.condition));
        painter.setPen(changed ? QPen(QColor(20, 20, 160), 3) : QPen(QColor(110, 110, 110), 1));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::black);
        painter.setFont(bold);
        painter.drawText(r.adjusted(4, 2, -4, 0), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(tile.label));
        painter.setFont(small);
        const QString type = painter.fontMetrics().elidedText(QString::fromStdString(tile.type), Qt::ElideRight, r.width() - 8);
        painter.drawText(r.adjusted(4, 18, -4, 0), Qt::AlignLeft | Qt::AlignTop, type);
        if (changed) {
            painter.setPen(QColor(20, 20, 160));
            const QString change = painter.fontMetrics().elidedText(QString::fromStdString(tile.change), Qt::ElideRight, r.width() - 8);
            painter.drawText(r.adjusted(4, 0, -4, -2), Qt::AlignLeft | Qt::AlignBottom, change);
        }
        // Channel marks in the top right corner: filled when heard lately, red when silent, hollow never.
        for (int c = 0; c < 2; ++c) {
            const QRect mark(r.right() - 30 + c * 14, r.top() + 4, 12, 12);
            const ChannelMark m = tile.channels[static_cast<std::size_t>(c)];
            painter.setPen(MarkColour(m));
            if (m == ChannelMark::Never) painter.drawRect(mark.adjusted(0, 0, -1, -1));
            else painter.fillRect(mark, MarkColour(m));
            painter.setPen(m == ChannelMark::Never ? QColor(120, 120, 120) : QColor(Qt::white));
            painter.drawText(mark, Qt::AlignCenter, c == 0 ? QStringLiteral("A") : QStringLiteral("B"));
        }
    }
}

void FcuTileGrid::mouseReleaseEvent(QMouseEvent* event) {
    const int index = event->button() == Qt::LeftButton ? TileAt(event->position().toPoint()) : -1;
    if (index >= 0) emit tileClicked(m_tiles[static_cast<std::size_t>(index)].fcu);
    QWidget::mouseReleaseEvent(event);
}

bool FcuTileGrid::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const int index = TileAt(help->pos());
    if (index < 0 || !m_toolTip) {
        QToolTip::hideText();
        return true;
    }
    const int fcu = m_tiles[static_cast<std::size_t>(index)].fcu;
    QToolTip::showText(help->globalPos(), m_toolTip(fcu), this, RectOfIndex(static_cast<std::size_t>(index)));
    return true;
}

}  // namespace vyx
