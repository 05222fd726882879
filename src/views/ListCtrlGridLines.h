#pragma once
// The list of the detail dialogs: grid lines, one full row selected at a time, read only. It repaints whole
// after every scroll, so no grid line is left half drawn where the moved contents meet the exposed strip.

#include <QList>
#include <QStringList>
#include <QTableWidget>

namespace vyx {

class CListCtrlGridLines : public QTableWidget {
    Q_OBJECT

public:
    explicit CListCtrlGridLines(QWidget* parent = nullptr);

    // Column labels and widths in pixels, all left-aligned; existing rows are removed.
    void SetColumns(const QStringList& labels, const QList<int>& widths);
    // Appends a row; texts beyond the column count are dropped, missing ones stay blank. Returns its index.
    int AppendRow(const QStringList& texts);
    void RemoveAllRows() { setRowCount(0); }

protected:
    void scrollContentsBy(int dx, int dy) override;
};

}  // namespace vyx
