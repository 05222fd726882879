#pragma once
// One table of the alarm analysis (analysis/AlarmTables.h) as an item model: its texts, its band as the
// first cell's background, and the place of each row's record for a double click.

#include <QAbstractTableModel>

#include <optional>

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

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    AnalysisTable m_table;
};

}  // namespace vyx::gui
