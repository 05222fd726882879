#pragma once
// The rows of one table, and of its indexes on single integer columns, written as pages of the database file
// (SqliteBtreeFile.h) while SQLite has the file closed. The table takes the rows in ascending rowid order, as
// the row writer hands them over; each index's keys are sorted in a fixed amount of memory and written after
// the last row. Written so, a table fills many times faster than through SQLite's own inserts, and with the
// same pages SQLite would read back.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "export/PairSorter.h"
#include "export/SqliteBtreeFile.h"
#include "export/SqliteRowWriter.h"

namespace vyx {

class CSqliteDirectTable {
public:
    struct Index {
        std::uint32_t root = 0;
        std::size_t column = 0;  // its one column, of integers
        // Of the rows whose value is not NULL alone ("WHERE column IS NOT NULL"); otherwise a NULL is refused.
        bool nonNullOnly = false;
    };
    struct Tuning {
        std::uint64_t lockByte = CSqliteFileAppender::kLockByte;  // SQLite's (tests move it)
        std::size_t sortChunkPairs = CPairSorter::kChunkPairs;
    };
    // path: the database, closed, as SQLite left it after creating the table and indexes (empty, their roots
    // given). rowidColumn: the INTEGER PRIMARY KEY column, whose values are the rows' rowids. The values go in
    // as the cells give them: integers for INTEGER columns, texts for TEXT ones, NULL only where the column
    // allows it (SQLite is not there to check). The sorts go to unnamed files in tempFolder. Throws
    // CFileError, CVyxError.
    CSqliteDirectTable(const std::string& path, std::uint32_t root, std::size_t columns, std::size_t rowidColumn,
                       std::vector<Index> indexes, const std::string& tempFolder, Tuning tuning);
    CSqliteDirectTable(const std::string& path, std::uint32_t root, std::size_t columns, std::size_t rowidColumn,
                       std::vector<Index> indexes, const std::string& tempFolder)
        : CSqliteDirectTable(path, root, columns, rowidColumn, std::move(indexes), tempFolder, Tuning{}) {}
    ~CSqliteDirectTable();
    CSqliteDirectTable(const CSqliteDirectTable&) = delete;
    CSqliteDirectTable& operator=(const CSqliteDirectTable&) = delete;

    // The rows of one batch, on the row writer's thread. Returns why they could not go in, else an empty text.
    std::string Add(const CSqliteRowWriter::Batch& batch);
    // The indexes, the roots and the file's page count; the file is SQLite's again. Throws CFileError.
    void Finish();

private:
    struct IndexTree {
        Index index;
        std::unique_ptr<CPairSorter> keys;
    };
    CSqliteFileAppender m_file;
    std::size_t m_columns;
    std::size_t m_rowidColumn;
    CSqliteBtreeWriter m_table;
    std::vector<IndexTree> m_indexes;
    CSqliteRecord m_record;
};

}  // namespace vyx
