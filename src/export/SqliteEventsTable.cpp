#include "export/SqliteEventsTable.h"

#include <sqlite3.h>

#include <array>
#include <vector>

#include "export/ExportColumns.h"

namespace vyx {
namespace {

constexpr int kColumns = 14;
// Rows per statement, as for the records: one step for many rows costs far less than a step per row.
constexpr int kBatchRows = 64;

std::string InsertSql(int rows) {
    std::string row = "(";
    for (int i = 0; i < kColumns; ++i) row += i == 0 ? "?" : ", ?";
    row += ")";
    std::string sql = "INSERT INTO events VALUES ";
    for (int r = 0; r < rows; ++r) sql += (r == 0 ? "" : ", ") + row;
    return sql;
}

class CEventInsert {
public:
    explicit CEventInsert(sqlite3* db) : m_db(db) {}
    ~CEventInsert() { sqlite3_finalize(m_statement); }
    CEventInsert(const CEventInsert&) = delete;
    CEventInsert& operator=(const CEventInsert&) = delete;

    // False when SQLite refused.
    bool Add(const ExportEventRow& row) {
        Pending& p = m_rows[static_cast<std::size_t>(m_count++)];
        p.row = row;
        p.timeLocal.clear();
        AppendIsoDateTime(p.timeLocal, row.time);
        return m_count < kBatchRows || Flush();
    }

    bool Flush() {
        if (m_count == 0) return true;
        if (m_statement == nullptr || m_prepared != m_count) {
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
            if (sqlite3_prepare_v2(m_db, InsertSql(m_count).c_str(), -1, &m_statement, nullptr) != SQLITE_OK) {
                return false;
            }
            m_prepared = m_count;
        }
        bool ok = true;
        int at = 0;
        // The texts are the source's (they outlive the step) or this batch's: no copy is needed.
        const auto text = [&](std::string_view t) {
            ok = ok && (t.empty() ? sqlite3_bind_null(m_statement, ++at)
                                  : sqlite3_bind_text(m_statement, ++at, t.data(), static_cast<int>(t.size()),
                                                      SQLITE_STATIC)) == SQLITE_OK;
        };
        const auto number = [&](std::int64_t n) { ok = ok && sqlite3_bind_int64(m_statement, ++at, n) == SQLITE_OK; };
        for (int i = 0; i < m_count; ++i) {
            const Pending& p = m_rows[static_cast<std::size_t>(i)];
            const ExportEventRow& r = p.row;
            number(r.srNo);
            text(r.dayFile);
            number(static_cast<std::int64_t>(r.frameOffset));
            number(r.time);
            text(p.timeLocal);
            text(r.kind);
            number(r.fcu);
            text(std::string_view(&r.channel, 1));
            if (r.hasCode) number(r.code);
            else ok = ok && sqlite3_bind_null(m_statement, ++at) == SQLITE_OK;
            text(r.codeText);
            text(r.edge);
            number(r.value);
            number(r.source);
            text(r.sourceText);
        }
        ok = ok && sqlite3_step(m_statement) == SQLITE_DONE;
        sqlite3_reset(m_statement);
        m_count = 0;
        return ok;
    }

private:
    struct Pending {
        ExportEventRow row;
        std::string timeLocal;
    };
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    int m_prepared = 0;
    int m_count = 0;
    std::array<Pending, kBatchRows> m_rows{};
};

std::string Run(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return {};
    std::string text = message ? message : "failed";
    sqlite3_free(message);
    return text;
}

}  // namespace

std::string CSqliteEventsTable::Write(sqlite3* db, IExportEventSource& events) {
    if (std::string error = Run(db, "CREATE TABLE events (sr_no INTEGER NOT NULL, day_file TEXT NOT NULL, "
                                    "frame_offset INTEGER NOT NULL, time_epoch INTEGER NOT NULL, "
                                    "time_local TEXT NOT NULL, kind TEXT NOT NULL, fcu INTEGER NOT NULL, "
                                    "channel TEXT NOT NULL, code INTEGER, code_text TEXT, edge TEXT, "
                                    "value INTEGER NOT NULL, source INTEGER NOT NULL, source_text TEXT)");
        !error.empty()) {
        return error;
    }
    {
        CEventInsert insert(db);
        ExportEventRow row;
        while (events.Next(row)) {
            if (!insert.Add(row)) return sqlite3_errmsg(db);
        }
        if (!insert.Flush()) return sqlite3_errmsg(db);
    }
    // After the rows, as for the records: one sort instead of a tree kept up row by row.
    return Run(db, "CREATE INDEX events_fcu_time ON events (fcu, time_epoch)");
}

}  // namespace vyx
