#include "app/AnalysisTableModel.h"

#include <QColor>

#include <algorithm>

namespace vyx::gui {

QColor BandColour(AlarmBand band) {
    switch (band) {
        case AlarmBand::Good: return QColor(0xB7, 0xE1, 0xB0);
        case AlarmBand::Fair: return QColor(0xF6, 0xE3, 0xA1);
        case AlarmBand::Poor: return QColor(0xF6, 0xC0, 0x8A);
        case AlarmBand::Bad: return QColor(0xF0, 0x9A, 0x9A);
        case AlarmBand::None: break;
    }
    return QColor(0xE8, 0xE8, 0xE8);
}

void AnalysisTableModel::SetTable(AnalysisTable table) {
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

std::optional<RecordPlace> AnalysisTableModel::PlaceOf(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= m_table.places.size()) return std::nullopt;
    return m_table.places[static_cast<std::size_t>(row)];
}

QString AnalysisTableModel::TabSeparated(std::vector<int> rows) const {
    if (rows.empty()) {
        for (int r = 0; r < rowCount(); ++r) rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end());
    // A tab or a line break inside a cell would split it: a space stands in.
    const auto line = [](const std::vector<std::string>& cells) {
        QStringList texts;
        for (const std::string& cell : cells) {
            QString text = QString::fromStdString(cell);
            text.replace(QLatin1Char('\t'), QLatin1Char(' '))
                .replace(QLatin1Char('\r'), QLatin1Char(' '))
                .replace(QLatin1Char('\n'), QLatin1Char(' '));
            texts << text;
        }
        return texts.join(QLatin1Char('\t')) + QLatin1Char('\n');
    };
    std::vector<std::string> labels;
    for (const AnalysisColumn& column : m_table.columns) labels.push_back(column.label);
    QString text = line(labels);
    for (const int r : rows) {
        if (r < 0 || r >= rowCount()) continue;
        std::vector<std::string> cells = m_table.rows[static_cast<std::size_t>(r)];
        cells.resize(m_table.columns.size());  // as data() shows a missing cell: empty
        text += line(cells);
    }
    return text;
}

bool AnalysisTableModel::Numbered() const {
    return !m_table.columns.empty() && (m_table.columns[0].label == "No." || m_table.columns[0].label == "Rank");
}

int AnalysisTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_table.rows.size());
}

int AnalysisTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_table.columns.size());
}

QVariant AnalysisTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        const auto& cells = m_table.rows[row];
        return column < cells.size() ? QString::fromStdString(cells[column]) : QString();
    }
    if (role == Qt::BackgroundRole && column == 0 && m_table.bands[row] != AlarmBand::None) {
        return BandColour(m_table.bands[row]);
    }
    return {};
}

QVariant AnalysisTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= columnCount()) return {};
    return QString::fromStdString(m_table.columns[static_cast<std::size_t>(section)].label);
}

}  // namespace vyx::gui
