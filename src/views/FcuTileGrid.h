#pragma once
// The loop window's grid of FCU tiles, painted: per tile the number, the type, a colour for its condition,
// the two channel marks and, comparing, what changed. Tiles flow in rows across the width.

#include <QColor>
#include <QWidget>
#include <functional>
#include <vector>

#include "analysis/LoopTiles.h"

namespace vyx {

class FcuTileGrid : public QWidget {
    Q_OBJECT
public:
    explicit FcuTileGrid(QWidget* parent = nullptr);

    void SetTiles(std::vector<LoopTile> tiles);
    // The tooltip of a tile, asked for when the pointer rests on it.
    void SetToolTipSource(std::function<QString(int fcu)> source) { m_toolTip = std::move(source); }

    const std::vector<LoopTile>& Tiles() const { return m_tiles; }
    // The rectangle of the tile of an FCU (empty when there is none), and the tile index at a point (-1).
    QRect TileRect(int fcu) const;
    int TileAt(const QPoint& point) const;

    static QColor ConditionColour(TileCondition condition);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

signals:
    void tileClicked(int fcu);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    int Columns(int width) const;
    QRect RectOfIndex(std::size_t index) const;

    std::vector<LoopTile> m_tiles;
    std::function<QString(int)> m_toolTip;
};

}  // namespace vyx
