// The SQLite row writer: rows handed over in batches arrive whole and in order, across batches and a short last
// one, with empty texts, NULLs and texts of the batch's own, and keep the table's index up;
// the table the rows are read through is gone from the connection once they are in; a refused row ends the
// rows with SQLite's reason instead of a hang or a silent loss.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "export/SqliteRowWriter.h"

namespace vyx {
namespace {

using Cell = CSqliteRowWriter::Cell;

class Database {
public:
    Database() {
        sqlite3_open(":memory:", &m_db);
        sqlite3_exec(m_db, "CREATE TABLE t (n INTEGER PRIMARY KEY, a TEXT, b INTEGER, c TEXT)", nullptr, nullptr,
                     nullptr);
    }
    ~Database() { sqlite3_close(m_db); }
    sqlite3* Handle() const { return m_db; }
    std::string Text(const char* sql) const {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
        std::string text;
        if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0) != nullptr) {
            text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        }
        sqlite3_finalize(statement);
        return text;
    }

private:
    sqlite3* m_db = nullptr;
};

// Row i: its key, a text that outlives the export (empty now and then), a number or NULL, and a text of the
// batch's own. The codes repeat with periods that do not divide the statement's rows, so a parameter holds
// the same value as at the step before at some rows and another value at others.
void AddRow(CSqliteRowWriter::Batch& batch, std::int64_t n, std::int64_t key) {
    static const std::string kWords[] = {"Open", "", "Close"};
    const std::string& word = kWords[n % 3];
    batch.cells.push_back({Cell::Kind::Integer, 0, key, nullptr});
    batch.cells.push_back({Cell::Kind::Text, static_cast<std::uint32_t>(word.size()), 0, word.data()});
    if (n % 5 == 0) {
        batch.cells.push_back({});
    } else {
        batch.cells.push_back({Cell::Kind::Integer, 0, n % 7, nullptr});
    }
    const std::string own = "row" + std::to_string(n);
    batch.cells.push_back({Cell::Kind::Chars, static_cast<std::uint32_t>(own.size()),
                           static_cast<std::int64_t>(batch.chars.size()), nullptr});
    batch.chars += own;
}

std::string Expected(std::int64_t rows) {
    std::string text;
    for (std::int64_t n = 0; n < rows; ++n) {
        static const char* kQuoted[] = {"'Open'", "''", "'Close'"};
        if (n > 0) text += ',';
        text += std::to_string(n + 1) + ":" + kQuoted[n % 3] + ":" + (n % 5 == 0 ? "NULL" : std::to_string(n % 7)) +
                ":row" + std::to_string(n);
    }
    return text;
}

TEST(SqliteRowWriter, RowsArriveWholeAndInOrder) {
    constexpr std::int64_t kStatement = 64;  // a few rows past a round number
    constexpr std::int64_t kBatch = CSqliteRowWriter::kBatchRows;
    for (const std::int64_t rows :
         {std::int64_t{0}, std::int64_t{1}, kStatement + 1, kBatch, 3 * kBatch + kStatement + 3}) {
        Database db;
        // An index of the table is kept up by every row.
        sqlite3_exec(db.Handle(), "CREATE INDEX t_a ON t (a)", nullptr, nullptr, nullptr);
        CSqliteRowWriter writer(db.Handle(), "t", 4);
        for (std::int64_t n = 0; n < rows; ++n) {
            AddRow(writer.Filling(), n, n + 1);
            ASSERT_TRUE(writer.RowDone()) << n;
        }
        EXPECT_EQ(writer.Drain(), "") << rows;
        if (rows > 0) {
            EXPECT_EQ(db.Text("SELECT count(*) FROM t INDEXED BY t_a WHERE a = 'Close'"), std::to_string(rows / 3))
                << rows;
            EXPECT_EQ(db.Text("PRAGMA integrity_check"), "ok");
        }
        EXPECT_EQ(db.Text("SELECT group_concat(n || ':' || quote(a) || ':' || quote(b) || ':' || c, ',') "
                          "FROM (SELECT * FROM t ORDER BY n)"),
                  Expected(rows))
            << rows;
        // The connection is the caller's again: more rows go in after a drain.
        AddRow(writer.Filling(), rows, rows + 1);
        EXPECT_TRUE(writer.RowDone());
        EXPECT_EQ(writer.Drain(), "");
        EXPECT_EQ(db.Text("SELECT count(*) FROM t"), std::to_string(rows + 1));
        EXPECT_EQ(db.Text("SELECT count(*) FROM sqlite_schema"), "2");  // the table and its index
        sqlite3_stmt* feed = nullptr;
        EXPECT_NE(sqlite3_prepare_v2(db.Handle(), "SELECT * FROM vyx_row_feed", -1, &feed, nullptr), SQLITE_OK);
        sqlite3_finalize(feed);
    }
}

TEST(SqliteRowWriter, ARefusedRowEndsTheRowsWithSqlitesReason) {
    constexpr std::int64_t kBatch = CSqliteRowWriter::kBatchRows;
    // A key taken twice: among the last rows (found by the drain), or in a full batch (found while rows
    // are still written, which stop).
    for (const std::int64_t refused : {std::int64_t{3}, kBatch + 10}) {
        Database db;
        CSqliteRowWriter writer(db.Handle(), "t", 4);
        const std::int64_t rows = refused < kBatch ? refused + 3 : 4 * kBatch;
        bool stopped = false;
        for (std::int64_t n = 0; n < rows && !stopped; ++n) {
            AddRow(writer.Filling(), n, n == refused ? n : n + 1);
            stopped = !writer.RowDone();
        }
        EXPECT_EQ(stopped, refused > kBatch);
        EXPECT_NE(writer.Drain().find("UNIQUE constraint failed"), std::string::npos) << refused;
    }
    {
        // Rows still in flight when the writer goes (a cancelled export) are dropped whole batches at a
        // time, without a wait for them nor a step on a batch that is gone.
        Database db;
        auto writer = std::make_unique<CSqliteRowWriter>(db.Handle(), "t", 4);
        for (std::int64_t n = 0; n < 2 * kBatch + 5; ++n) {
            AddRow(writer->Filling(), n, n + 1);
            ASSERT_TRUE(writer->RowDone());
        }
        writer.reset();
        EXPECT_EQ(std::stoll(db.Text("SELECT count(*) FROM t")) % kBatch, 0);
    }
}

TEST(SqliteRowWriter, AConsumerTakesTheBatchesInOrderAndItsRefusalEndsTheRows) {
    constexpr std::int64_t kBatch = CSqliteRowWriter::kBatchRows;
    for (const std::int64_t refusedBatch : {std::int64_t{-1}, std::int64_t{1}}) {
        std::vector<std::int64_t> keys;  // the consumer's alone until Drain
        std::int64_t batches = 0;
        CSqliteRowWriter writer(
            [&](const CSqliteRowWriter::Batch& batch) -> std::string {
                if (batches++ == refusedBatch) return "disk full";
                for (std::size_t row = 0; row < batch.rows; ++row) keys.push_back(batch.cells[row * 4].number);
                return {};
            },
            4);
        bool stopped = false;
        for (std::int64_t n = 0; n < 3 * kBatch + 7 && !stopped; ++n) {
            AddRow(writer.Filling(), n, n + 1);
            stopped = !writer.RowDone();
        }
        const std::string failure = writer.Drain();
        if (refusedBatch < 0) {
            EXPECT_EQ(failure, "");
            ASSERT_EQ(keys.size(), static_cast<std::size_t>(3 * kBatch + 7));
            for (std::size_t i = 0; i < keys.size(); ++i) ASSERT_EQ(keys[i], static_cast<std::int64_t>(i + 1));
        } else {
            EXPECT_EQ(failure, "disk full");
            EXPECT_EQ(keys.size(), static_cast<std::size_t>(kBatch));  // nothing after the refusal
        }
    }
}

}  // namespace
}  // namespace vyx
