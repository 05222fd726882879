#include "app/FindResultsModel.h"

#include "controller/FastRecordMatcher.h"
#include "decode/DetailRows.h"
#include "decode/FormatRecord.h"
#include "decode/RecordColumns.h"
#include "platform/FileError.h"

namespace vyx::gui {
namespace {

// A MessageContent of 291 bytes is cut in the pane; the list and the detail dialogs show all of it.
constexpr int kMaxTextLength = 120;

}  // namespace

FindResultsModel::FindResultsModel(RecordReader reader, QObject* parent)
    : QAbstractTableModel(parent), m_reader(std::move(reader)) {}

void FindResultsModel::Clear(const CRecordMatcher& matcher) {
    beginResetModel();
    m_matcher = matcher;
    m_matches.clear();
    m_matches.shrink_to_fit();
    m_cachedSerial = -1;
    m_cachedValid = false;
    endResetModel();
}

void FindResultsModel::Append(const std::vector<FindMatch>& matches) {
    if (matches.empty()) return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(matches.size()) - 1);
    m_matches.insert(m_matches.end(), matches.begin(), matches.end());
    endInsertRows();
}

std::int64_t FindResultsModel::SerialAt(int row) const {
    if (row < 0 || row >= rowCount()) return -1;
    return m_matches[static_cast<std::size_t>(row)].serial;
}

int FindResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_matches.size());
}

int FindResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const CRecord* FindResultsModel::Record(std::int64_t serial) const {
    if (serial != m_cachedSerial) {
        m_cachedSerial = serial;
        try {
            m_cachedValid = m_reader && m_reader(serial, m_cached);
        } catch (const CVyxError&) {
            // A record that cannot be read again shows no texts; the list says why when it is selected.
            m_cachedValid = false;
        }
    }
    return m_cachedValid ? &m_cached : nullptr;
}

QVariant FindResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount) return {};
    const FindMatch& match = m_matches[static_cast<std::size_t>(index.row())];
    if (role == Qt::TextAlignmentRole && index.column() == SrNo) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case SrNo: return QString::number(match.serial + 1);
        case MatchColumn:
            return match.column == kDetailRowsMatch
                       ? QStringLiteral("Decoded detail")
                       : QString::fromUtf8(RecordColumnLabel(static_cast<RecordColumn>(match.column)));
        default: break;
    }
    const CRecord* record = Record(match.serial);
    if (record == nullptr) return {};
    const CFormatRecord format(record);
    if (index.column() == DateTime) return QString::fromStdString(format.FormatDateTime());
    std::string found;
    if (match.column == kDetailRowsMatch) {
        // The first cell of the detail rows that holds the text, as the dialog would show it.
        if (const DetailDecoders* decoders = m_matcher.Decoders()) {
            VisitDetailCells(*record, *decoders->blockTransfer, *decoders->modbus,
                             [&](std::size_t, const std::string& cell) {
                                 if (!CellHolds(cell, m_matcher.SoughtText(), m_matcher.MatchCase())) return true;
                                 found = cell;
                                 return false;
                             });
        }
    } else {
        found = RecordColumnText(format, static_cast<RecordColumn>(match.column), match.serial + 1);
    }
    QString text = QString::fromStdString(found);
    if (text.size() > kMaxTextLength) text = text.left(kMaxTextLength) + QStringLiteral("...");
    return text;
}

QVariant FindResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    switch (section) {
        case SrNo: return QString::fromUtf8(RecordColumnLabel(RecordColumn::SrNo));
        case DateTime: return QString::fromUtf8(RecordColumnLabel(RecordColumn::DateTime));
        case MatchColumn: return QStringLiteral("Found in");
        case MatchText: return QStringLiteral("Text");
        default: return {};
    }
}

}  // namespace vyx::gui
