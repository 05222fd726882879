#include "views/ListPageModel.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

namespace vyx {

void CListPageModel::SetHeaders(const QStringList& labels) {
    beginResetModel();
    m_headers = labels;
    endResetModel();
}

void CListPageModel::SetPageRows(int rows) {
    rows = std::max(rows, 0);
    if (rows == m_nRows) return;
    // Rows come and go one block at a time rather than by a reset, which would also forget the column widths.
    if (rows > m_nRows) {
        beginInsertRows(QModelIndex(), m_nRows, rows - 1);
        m_nRows = rows;
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), rows, m_nRows - 1);
        m_nRows = rows;
        endRemoveRows();
    }
    m_nFilledRows = std::min(m_nFilledRows, m_nRows);
}

void CListPageModel::SetFilledRows(int rows) {
    m_nFilledRows = std::clamp(rows, 0, m_nRows);
    if (m_nRows > 0 && !m_headers.isEmpty()) {
        emit dataChanged(index(0, 0), index(m_nRows - 1, static_cast<int>(m_headers.size()) - 1),
                         {Qt::DisplayRole, Qt::BackgroundRole});
    }
}

int CListPageModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_nRows;
}

int CListPageModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant CListPageModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::BackgroundRole) || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (m_pProvider == nullptr || index.row() >= m_nFilledRows) return {};
    if (role == Qt::BackgroundRole) {
        const std::uint32_t tint = m_pProvider->RowTint(index.row());
        if (tint == 0) return {};
        return QBrush(QColor::fromRgb(tint & 0xFFFFFF));
    }
    const std::string_view text = m_pProvider->CellText(index.row(), index.column());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant CListPageModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size()) return {};
    if (role == Qt::DisplayRole) return m_headers.at(section);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags CListPageModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace vyx
