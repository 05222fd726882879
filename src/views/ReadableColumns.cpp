#include "views/ReadableColumns.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QTableView>
#include <QToolTip>

namespace vyx {
namespace {

class CutCellTips : public QObject {
public:
    explicit CutCellTips(QTableView* view) : QObject(view), m_view(view) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || watched != m_view->viewport()) return false;
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = m_view->indexAt(help->pos());
        const QString text = index.isValid() ? index.data(Qt::DisplayRole).toString() : QString();
        const QRect cell = m_view->visualRect(index);
        // A little margin for the cell's padding: a text that only just fits gets no tooltip.
        const int needed = m_view->fontMetrics().horizontalAdvance(text) + 8;
        if (text.isEmpty() || needed <= cell.width()) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        QToolTip::showText(help->globalPos(), text, m_view->viewport(), cell);
        return true;
    }

private:
    QTableView* m_view;
};

}  // namespace

void MakeColumnsReadable(QTableView* view) {
    view->viewport()->installEventFilter(new CutCellTips(view));
    QObject::connect(view->horizontalHeader(), &QHeaderView::sectionHandleDoubleClicked, view,
                     [view](int section) { view->resizeColumnToContents(section); });
}

}  // namespace vyx
