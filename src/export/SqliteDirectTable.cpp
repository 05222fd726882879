#include "export/SqliteDirectTable.h"

#include <exception>

namespace vyx {

CSqliteDirectTable::CSqliteDirectTable(const std::string& path, std::uint32_t root, std::size_t columns,
                                       std::size_t rowidColumn, std::vector<Index> indexes,
                                       const std::string& tempFolder, Tuning tuning)
    : m_file(path, tuning.lockByte), m_columns(columns), m_rowidColumn(rowidColumn),
      m_table(m_file, CSqliteBtreeWriter::Kind::Table, root), m_record(m_file.SmallIntegerTypes()) {
    for (const Index& index : indexes) {
        m_indexes.push_back({index, std::make_unique<CPairSorter>(tempFolder, tuning.sortChunkPairs)});
    }
}

CSqliteDirectTable::~CSqliteDirectTable() = default;

std::string CSqliteDirectTable::Add(const CSqliteRowWriter::Batch& batch) {
    using Cell = CSqliteRowWriter::Cell;
    try {
        for (std::size_t row = 0; row < batch.rows; ++row) {
            const Cell* cells = batch.cells.data() + row * m_columns;
            const Cell& key = cells[m_rowidColumn];
            if (key.kind != Cell::Kind::Integer) return "a row without its rowid";
            const std::int64_t rowid = key.number;
            m_record.Clear();
            for (std::size_t c = 0; c < m_columns; ++c) {
                const Cell& cell = cells[c];
                // The rowid's own column is stored as NULL: SQLite reads it from the rowid.
                if (c == m_rowidColumn || cell.kind == Cell::Kind::Null) {
                    m_record.Null();
                } else if (cell.kind == Cell::Kind::Integer) {
                    m_record.Integer(cell.number);
                } else if (cell.kind == Cell::Kind::Text) {
                    m_record.Text({cell.size == 0 ? "" : cell.text, cell.size});
                } else {
                    m_record.Text({batch.chars.data() + cell.number, cell.size});
                }
            }
            m_table.AddRow(rowid, m_record.Bytes());
            for (IndexTree& tree : m_indexes) {
                const Cell& value = cells[tree.index.column];
                if (value.kind == Cell::Kind::Integer) {
                    tree.keys->Add(value.number, rowid);
                } else if (value.kind != Cell::Kind::Null || !tree.index.nonNullOnly) {
                    return "an index key that is not a number";
                }
            }
        }
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

void CSqliteDirectTable::Finish() {
    m_table.Finish();
    for (IndexTree& tree : m_indexes) {
        CSqliteBtreeWriter index(m_file, CSqliteBtreeWriter::Kind::Index, tree.index.root);
        tree.keys->Drain([&](const CPairSorter::Pair& pair) {
            m_record.Clear();
            m_record.Integer(pair.key);
            m_record.Integer(pair.rowid);
            index.AddKey(m_record.Bytes());
        });
        index.Finish();
        tree.keys.reset();
    }
    m_file.Close();
}

}  // namespace vyx
