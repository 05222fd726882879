#pragma once
// The rows of the find-all pane: one per match, in serial order, with its Sr.No., Date-Time, the column that
// holds what was sought and that column's text. Only the matches are kept; the texts are read from the store
// when a row is shown.

#include <QAbstractTableModel>
#include <cstdint>
#include <functional>
#include <vector>

#include "controller/ParallelFind.h"
#include "controller/RecordMatcher.h"
#include "logdata/Record.h"

namespace vyx::gui {

class FindResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { SrNo = 0, DateTime, MatchColumn, MatchText, ColumnCount };
    // Fills a record by its serial number, false when there is none (the store's fetch); may throw CVyxError.
    using RecordReader = std::function<bool(std::int64_t serial, CRecord& record)>;

    explicit FindResultsModel(RecordReader reader, QObject* parent = nullptr);

    // Empties the rows for a new find with this matcher, whose detail decoders name a decoded-detail match.
    void Clear(const CRecordMatcher& matcher = CRecordMatcher::Text({}, false));
    void Append(const std::vector<FindMatch>& matches);
    // The serial number of a row's record, -1 outside the rows.
    std::int64_t SerialAt(int row) const;
    std::int64_t Count() const { return static_cast<std::int64_t>(m_matches.size()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const CRecord* Record(std::int64_t serial) const;

    RecordReader m_reader;
    CRecordMatcher m_matcher = CRecordMatcher::Text({}, false);
    std::vector<FindMatch> m_matches;
    // The record read last: a row asks for it once per column.
    mutable std::int64_t m_cachedSerial = -1;
    mutable bool m_cachedValid = false;
    mutable CRecord m_cached;
};

}  // namespace vyx::gui
