#pragma once
// One table of the alarm analysis (analysis/AlarmTables.h) as an item model: its texts, its band as the
// first cell's background, and the place of each row's record for a double click.

#include <QAbstractTableModel>

#include <optional>
#include <vector>

#include "analysis/AlarmTables.h"

namespace vyx::gui {

// The colour of a band, shared by the cards, the tables and the chart.
QColor BandColour(AlarmBand band);

class AnalysisTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit AnalysisTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void SetTable(AnalysisTable table);
    const AnalysisTable& Table() const { return m_table; }
    std::optional<RecordPlace> PlaceOf(int row) const;
    // The header and the rows given (every row when none is given) as the table shows them: a line per row,
    // its cells between tabs, as a spreadsheet takes them from the clipboard.
    QString TabSeparated(std::vector<int> rows) const;
    // The first column numbers the rows ("No.", "Rank"): the row header would say it again.
    bool Numbered() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    AnalysisTable m_table;
};

}  // namespace vyx::gui
