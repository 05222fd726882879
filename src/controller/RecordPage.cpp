#include "controller/RecordPage.h"

#include <algorithm>

#include "logdata/FrameReading.h"

namespace vyx {
namespace {

const std::string kEmpty;

}  // namespace

void CRecordPage::Clear() {
    m_rows.clear();
    m_tints.clear();
    m_first = 0;
}

std::uint32_t CRecordPage::RowTint(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < m_tints.size() ? m_tints[static_cast<std::size_t>(row)] : 0;
}

void CRecordPage::Fill(const CRecordDatabase& store, std::int64_t total, std::int64_t first, int rows,
                       bool markUnreadable) {
    m_first = first;
    m_rows.clear();
    m_tints.clear();
    m_unreadable.clear();
    m_unreadableDayFile.clear();
    if (rows <= 0 || first < 0) return;
    const std::int64_t end = std::min<std::int64_t>(first + rows, total);
    if (end > first) m_rows.reserve(static_cast<std::size_t>(end - first));
    CRecord record;
    const CFormatRecord format(&record);
    for (std::int64_t serial = first; serial < end; ++serial) {
        try {
            if (!store.GetRecord(serial, record)) break;
        } catch (const CRecordUnreadable& e) {
            if (!markUnreadable) throw;
            if (m_unreadable.empty()) {
                m_unreadable = e.what();
                m_unreadableDayFile = e.DayFile();
            }
            RecordRowTexts row;
            row[static_cast<std::size_t>(RecordColumn::SrNo)] = std::to_string(serial + 1);
            row[static_cast<std::size_t>(RecordColumn::MessageContent)] = "Cannot be read again: " + e.Reason();
            m_rows.push_back(std::move(row));
            if (m_tint) m_tints.push_back(0);
            continue;
        }
        RecordRowTexts row = RecordRow(format, serial + 1);
        std::string& content = row[static_cast<std::size_t>(RecordColumn::MessageContent)];
        if (content.size() > kMaxMessageContentShown) content.resize(kMaxMessageContentShown);
        m_rows.push_back(std::move(row));
        if (m_tint) m_tints.push_back(m_tint(record));
    }
}

const std::string& CRecordPage::CellText(int row, int column) const {
    if (row < 0 || row >= Rows() || column < 0 || column >= kRecordColumnCount) return kEmpty;
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

}  // namespace vyx
