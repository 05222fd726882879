#include "views/ListCtrlGridLines.h"

#include <QHeaderView>
#include <algorithm>

#include "views/ReadableColumns.h"

namespace vyx {

CListCtrlGridLines::CListCtrlGridLines(QWidget* parent) : QTableWidget(parent) {
    setShowGrid(true);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setWordWrap(false);
    MakeColumnsReadable(this);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CListCtrlGridLines::SetColumns(const QStringList& labels, const QList<int>& widths) {
    setRowCount(0);
    setColumnCount(static_cast<int>(labels.size()));
    setHorizontalHeaderLabels(labels);
    for (int column = 0; column < std::min<int>(static_cast<int>(widths.size()), columnCount()); ++column) {
        setColumnWidth(column, widths.at(column));
    }
}

int CListCtrlGridLines::AppendRow(const QStringList& texts) {
    const int row = rowCount();
    insertRow(row);
    for (int column = 0; column < std::min<int>(static_cast<int>(texts.size()), columnCount()); ++column) {
        setItem(row, column, new QTableWidgetItem(texts.at(column)));  // the table takes the item
    }
    return row;
}

void CListCtrlGridLines::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    viewport()->repaint();
}

}  // namespace vyx
