#pragma once
// The page of row texts the record list shows: the rows it asked for last, formatted once through the column
// table and kept until the next page is asked for or the load changes.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "decode/RecordColumns.h"
#include "logdata/RecordDatabase.h"

namespace vyx {

class CRecordPage {
public:
    // A long MessageContent is cut here: the list's cell has no use for more.
    static constexpr std::size_t kMaxMessageContentShown = 1023;

    // Reads rows first .. first + rows - 1 of the store, as far as `total` and the published records reach.
    // Throws CVyxError when a record cannot be read (the page then holds the rows before it), unless
    // markUnreadable: then a record that cannot be read again (its day file shrank, was replaced or changed)
    // gets a row of its own that says so, with its Sr.No. and nothing of any other record, and the rest are
    // read as usual.
    void Fill(const CRecordDatabase& store, std::int64_t total, std::int64_t first, int rows,
              bool markUnreadable = false);
    // The message of the first record of the last Fill that could not be read again, and its day file; empty
    // when none.
    const std::string& Unreadable() const { return m_unreadable; }
    const std::string& UnreadableDayFile() const { return m_unreadableDayFile; }
    void Clear();
    // Gives each row read from now on a tint (0 for none); empty: no tint.
    void SetTint(std::function<std::uint32_t(const CRecord&)> tint) { m_tint = std::move(tint); }
    std::uint32_t RowTint(int row) const;

    std::int64_t First() const { return m_first; }
    int Rows() const { return static_cast<int>(m_rows.size()); }
    // The text of a cached row (0-based within the page) and column; empty outside the page.
    const std::string& CellText(int row, int column) const;

private:
    std::int64_t m_first = 0;
    std::vector<RecordRowTexts> m_rows;
    std::vector<std::uint32_t> m_tints;
    std::function<std::uint32_t(const CRecord&)> m_tint;
    std::string m_unreadable;
    std::string m_unreadableDayFile;
};

}  // namespace vyx
