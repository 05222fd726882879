#pragma once
// The item model behind the large-data record list: one page of rows (rows per page + 1, the last one partly
// visible), whatever the number of records. Texts come from the owner's page cache; nothing is stored here.

#include <QAbstractTableModel>
#include <QStringList>

#include "controller/ListPagingTextProvider.h"

namespace vyx {

class CListPageModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CListPageModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void SetHeaders(const QStringList& labels);
    void SetPageRows(int rows);
    // Not owned; null shows blank rows.
    void SetTextProvider(const IListPageTextProvider* provider) { m_pProvider = provider; }
    // The cache was refilled: rows below `rows` now have texts, the others are blank.
    void SetFilledRows(int rows);
    int FilledRows() const { return m_nFilledRows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QStringList m_headers;
    int m_nRows = 0;
    int m_nFilledRows = 0;
    const IListPageTextProvider* m_pProvider = nullptr;
};

}  // namespace vyx
