// A table and its indexes written as pages of the database file: SQLite then finds the file sound (its own
// integrity check: every page, every cell, every index entry against its row) and reads back every value as
// it went in, for page sizes from the smallest to the largest, trees of one to several levels, rows that spill
// into chains of overflow pages, integers of every stored width, and index keys in order, reversed and mixed.
// The key sort behind the indexes keeps pairs in order whatever their number of chunks and merge rounds.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "export/PairSorter.h"
#include "export/SqliteDirectTable.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using Cell = CSqliteRowWriter::Cell;

std::string Query(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) return sqlite3_errmsg(db);
    std::string text;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(statement); ++c) {
            const unsigned char* value = sqlite3_column_text(statement, c);
            text += value ? reinterpret_cast<const char*>(value) : "NULL";
            text += c + 1 < sqlite3_column_count(statement) ? "|" : "\n";
        }
    }
    sqlite3_finalize(statement);
    return text;
}

std::uint32_t Root(sqlite3* db, const std::string& name) {
    return static_cast<std::uint32_t>(std::stoul(Query(db, "SELECT rootpage FROM sqlite_schema WHERE name = '" + name + "'")));
}

struct Row {
    std::int64_t id;
    std::int64_t a;                // indexed
    std::string b;                 // text, may spill
    std::optional<std::int64_t> c;  // indexed where not NULL
};

struct Case {
    const char* name;
    int pageSize;
    int rows;
    std::size_t longestText;
    enum { Ascending, Descending, Mixed } keys;
    unsigned lockByte = 0;  // where SQLite's lock page lies, when not at 1 GiB
    std::size_t sortChunk = 0;  // pairs the key sort holds in memory, when not its own
};

std::vector<Row> MakeRows(const Case& c) {
    static const std::int64_t kWidths[] = {0, 1, -1, 127, -128, 32767, -32769, 8388607, 2147483647,
                                           -2147483649LL, 140737488355327LL, std::numeric_limits<std::int64_t>::min(),
                                           std::numeric_limits<std::int64_t>::max()};
    std::mt19937 random(static_cast<unsigned>(c.rows * 31 + c.pageSize));
    std::vector<Row> rows;
    std::int64_t id = 0;
    for (int i = 0; i < c.rows; ++i) {
        id += 1 + static_cast<std::int64_t>(random() % 3);  // rowids with gaps
        Row row;
        row.id = id;
        row.a = c.keys == Case::Ascending    ? i / 3
                : c.keys == Case::Descending ? c.rows - i / 2
                                             : static_cast<std::int64_t>(random() % 50) - 25;
        const std::size_t length = c.longestText == 0 ? 0 : random() % (c.longestText + 1);
        row.b.assign(length, static_cast<char>('a' + i % 26));
        if (length > 0) row.b[0] = '#';  // a text that begins differently from its pages' padding
        if (i % 4 != 0) row.c = kWidths[static_cast<std::size_t>(i) % std::size(kWidths)];
        rows.push_back(std::move(row));
    }
    return rows;
}

TEST(SqliteDirectTable, SqliteReadsTheTableAndIndexesAsWritten) {
    const Case cases[] = {
        {"empty", 512, 0, 10, Case::Ascending},
        {"one row", 512, 1, 10, Case::Mixed},
        {"overflow chains on small pages", 512, 600, 3000, Case::Mixed},
        {"three levels of small rows, keys merged in rounds", 1024, 20000, 12, Case::Ascending, 0, 97},
        {"keys reversed", 1024, 5000, 40, Case::Descending},
        {"the export's pages, keys from sorted runs", 16384, 30000, 200, Case::Mixed, 0, 1000},
        {"the largest pages", 65536, 300, 70000, Case::Mixed},
        // SQLite's lock page in the midst of the rows, of an overflow chain and of an index (moved from 1 GiB,
        // which a test cannot reach).
        {"past the lock page", 512, 400, 2000, Case::Mixed, 512 * 300},
        {"an index past the lock page", 1024, 3000, 8, Case::Mixed, 1024 * 140},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const unsigned lockByte = c.lockByte ? c.lockByte : CSqliteFileAppender::kLockByte;
        const struct MovedLock {
            explicit MovedLock(unsigned at) { sqlite3_test_control(SQLITE_TESTCTRL_PENDING_BYTE, at); }
            ~MovedLock() { sqlite3_test_control(SQLITE_TESTCTRL_PENDING_BYTE, unsigned{CSqliteFileAppender::kLockByte}); }
        } moved(lockByte);
        test::TempDir dir;
        const std::string path = dir.File("t.sqlite");
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const std::string schema = "PRAGMA page_size = " + std::to_string(c.pageSize) +
                                   "; CREATE TABLE t (id INTEGER PRIMARY KEY, a INTEGER NOT NULL, b TEXT, c INTEGER);"
                                   " CREATE INDEX t_a ON t (a); CREATE INDEX t_c ON t (c) WHERE c IS NOT NULL;";
        ASSERT_EQ(sqlite3_exec(db, schema.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        const std::uint32_t table = Root(db, "t"), indexA = Root(db, "t_a"), indexC = Root(db, "t_c");
        sqlite3_close(db);

        const std::vector<Row> rows = MakeRows(c);
        {
            CSqliteDirectTable::Tuning tuning;
            tuning.lockByte = lockByte;
            if (c.sortChunk > 0) tuning.sortChunkPairs = c.sortChunk;
            CSqliteDirectTable direct(path, table, 4, 0, {{indexA, 1, false}, {indexC, 3, true}}, dir.Path(), tuning);
            // Batches of a few hundred rows, as the row writer hands them over.
            CSqliteRowWriter::Batch batch;
            for (std::size_t i = 0; i <= rows.size(); ++i) {
                if (i == rows.size() || batch.rows == 333) {
                    ASSERT_EQ(direct.Add(batch), "");
                    batch = {};
                    if (i == rows.size()) break;
                }
                const Row& r = rows[i];
                batch.cells.push_back({Cell::Kind::Integer, 0, r.id, nullptr});
                batch.cells.push_back({Cell::Kind::Integer, 0, r.a, nullptr});
                batch.cells.push_back({Cell::Kind::Chars, static_cast<std::uint32_t>(r.b.size()),
                                       static_cast<std::int64_t>(batch.chars.size()), nullptr});
                batch.chars += r.b;
                batch.cells.push_back(r.c ? Cell{Cell::Kind::Integer, 0, *r.c, nullptr} : Cell{});
                ++batch.rows;
            }
            direct.Finish();
        }

        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(Query(db, "PRAGMA integrity_check"), "ok\n");
        std::string expected;
        for (const Row& r : rows) {
            expected += std::to_string(r.id) + "|" + std::to_string(r.a) + "|" + std::to_string(r.b.size()) + "|" +
                        r.b.substr(0, 2) + "|" + (r.c ? std::to_string(*r.c) : "NULL") + "\n";
        }
        EXPECT_EQ(Query(db, "SELECT id, a, length(b), substr(b, 1, 2), c FROM t ORDER BY id"), expected);
        // Each text goes on as its second character, over every page it spans.
        EXPECT_EQ(Query(db, "SELECT count(*) FROM t WHERE length(b) > 1 AND "
                            "substr(b, 2) != replace(hex(zeroblob(length(b) - 1)), '00', substr(b, 2, 1))"),
                  "0\n");
        // The indexes give the rows in their keys' order, rowids in order among equal keys.
        const auto orderBy = [&](auto key, bool nonNull) {
            std::vector<const Row*> sorted;
            for (const Row& r : rows) {
                if (!nonNull || r.c) sorted.push_back(&r);
            }
            std::stable_sort(sorted.begin(), sorted.end(), [&](const Row* x, const Row* y) { return key(*x) < key(*y); });
            std::string text;
            for (const Row* r : sorted) text += std::to_string(r->id) + "\n";
            return text;
        };
        EXPECT_EQ(Query(db, "SELECT id FROM t INDEXED BY t_a ORDER BY a"), orderBy([](const Row& r) { return r.a; }, false));
        EXPECT_EQ(Query(db, "SELECT id FROM t INDEXED BY t_c WHERE c IS NOT NULL ORDER BY c"),
                  orderBy([](const Row& r) { return r.c.value_or(0); }, true));
        // SQLite goes on adding to the file.
        EXPECT_EQ(sqlite3_exec(db, "INSERT INTO t (a, b) VALUES (7, 'after'); CREATE TABLE u (x)", nullptr, nullptr,
                               nullptr),
                  SQLITE_OK);
        EXPECT_EQ(Query(db, "PRAGMA integrity_check"), "ok\n");
        sqlite3_close(db);
    }
}

TEST(SqliteDirectTable, RowsItCannotWriteAreRefused) {
    struct Refused {
        const char* name;
        std::int64_t secondId;
        bool secondKeyNull;
        const char* why;
    };
    const Refused cases[] = {
        {"a rowid taken again", 5, false, "rowids not ascending"},
        {"a NULL for an index of every row", 6, true, "an index key that is not a number"},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string path = dir.File("t.sqlite");
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE t (id INTEGER PRIMARY KEY, a INTEGER); CREATE INDEX t_a ON t (a)",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        const std::uint32_t table = Root(db, "t"), index = Root(db, "t_a");
        sqlite3_close(db);
        CSqliteDirectTable direct(path, table, 2, 0, {{index, 1, false}}, dir.Path());
        CSqliteRowWriter::Batch batch;
        for (const std::int64_t id : {std::int64_t{5}, c.secondId}) {
            batch.cells.push_back({Cell::Kind::Integer, 0, id, nullptr});
            batch.cells.push_back(id == c.secondId && c.secondKeyNull ? Cell{} : Cell{Cell::Kind::Integer, 0, 1, nullptr});
            ++batch.rows;
        }
        EXPECT_EQ(direct.Add(batch), c.why);
    }
}

TEST(PairSorter, PairsComeBackInOrderAcrossChunksAndMergeRounds) {
    struct Input {
        const char* name;
        std::size_t count;
        std::size_t chunk;
        int shape;  // 0 ascending, 1 descending, 2 random, 3 runs that go back now and then
    };
    const Input inputs[] = {
        {"none", 0, 4, 2},          {"within one chunk", 3, 4, 2},  {"a chunk exactly", 8, 4, 1},
        {"ascending: one run", 1000, 7, 0}, {"descending", 1000, 7, 1},   {"random, merged in rounds", 5000, 7, 2},
        {"clock jumps", 3000, 64, 3},
    };
    ASSERT_LT(5000 / 7, CPairSorter::kMergeWays * CPairSorter::kMergeWays);
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.name);
        test::TempDir dir;
        std::mt19937 random(static_cast<unsigned>(input.count));
        std::vector<CPairSorter::Pair> pairs;
        for (std::size_t i = 0; i < input.count; ++i) {
            const auto n = static_cast<std::int64_t>(i);
            const std::int64_t key = input.shape == 0   ? n / 2
                                     : input.shape == 1 ? -n
                                     : input.shape == 2 ? static_cast<std::int64_t>(random() % 100)
                                                        : n % 700 + (n / 700) * 100;
            pairs.push_back({key, n});
        }
        CPairSorter sorter(dir.Path(), input.chunk);
        for (const CPairSorter::Pair& p : pairs) sorter.Add(p.key, p.rowid);
        std::vector<CPairSorter::Pair> out;
        sorter.Drain([&](const CPairSorter::Pair& p) { out.push_back(p); });
        std::sort(pairs.begin(), pairs.end());
        EXPECT_EQ(out, pairs);
    }
}

}  // namespace
}  // namespace vyx
