#include "export/SqliteExportSink.h"

#include <sqlite3.h>

#include <chrono>
#include <ctime>

#include "decode/FCUDisplay.h"
#include "decode/FCUParse.h"
#include "decode/FormatRecord.h"
#include "export/FileDigest.h"
#include "export/SqliteEventsTable.h"
#include "platform/FileError.h"

namespace vyx {

std::string UtcOffsetText(std::int32_t seconds) {
    const std::int32_t magnitude = seconds < 0 ? -seconds : seconds;
    char text[16];
    std::snprintf(text, sizeof text, "%c%02d:%02d", seconds < 0 ? '-' : '+', magnitude / 3600, magnitude / 60 % 60);
    return text;
}

CSqliteExportSink::CSqliteExportSink(const std::string& path, std::string fcuFile, ExportMeta meta)
    : m_output(path), m_fcuFile(std::move(fcuFile)), m_meta(std::move(meta)),
      m_columns(ExportColumns(m_meta.utcOffset.has_value())), m_values(m_meta.utcOffset),
      m_cells(kBatchRows * m_columns.size()) {
    m_output.CloseDescriptor();
    if (sqlite3_open_v2(m_output.TempPath().c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        Fail("cannot open");
    }
    // One writer, a file no one reads until it has its name: no journal, no syncs until the end, and a page
    // cache of fixed size so memory does not grow with the folder. The sort that builds the indexes runs on
    // this thread alone: each helper thread would sort in memory of its own, and the memory would grow with
    // the folder up to several times the cache.
    Execute("PRAGMA page_size = 16384; PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
            "PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = -65536; PRAGMA temp_store = FILE; "
            "PRAGMA threads = 0;");
    std::string create = "CREATE TABLE records (";
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const ExportColumn& c = m_columns[i];
        if (i > 0) create += ", ";
        create += std::string(c.name) + " " + std::string(c.sqlType);
        if (c.id == ExportColumnId::SrNo) create += " PRIMARY KEY";
        if (!c.nullable) create += " NOT NULL";
    }
    create += ")";
    Execute("BEGIN");
    Execute(create);
    m_insert = PrepareInsert(kBatchRows);
}

sqlite3_stmt* CSqliteExportSink::PrepareInsert(std::size_t rows) {
    std::string row = "(";
    for (std::size_t i = 0; i < m_columns.size(); ++i) row += i == 0 ? "?" : ", ?";
    row += ")";
    std::string insert = "INSERT INTO records VALUES ";
    for (std::size_t r = 0; r < rows; ++r) insert += (r == 0 ? "" : ", ") + row;
    sqlite3_stmt* statement = nullptr;
    Check(sqlite3_prepare_v2(m_db, insert.c_str(), -1, &statement, nullptr), "prepare");
    return statement;
}

void CSqliteExportSink::InsertPending(sqlite3_stmt* statement) {
    const std::size_t count = m_pending * m_columns.size();
    for (std::size_t k = 0; k < count; ++k) {
        const Cell& cell = m_cells[k];
        const int at = static_cast<int>(k) + 1;
        int status;
        if (cell.null) {
            status = sqlite3_bind_null(statement, at);
        } else if (cell.text) {
            // An empty view may hold no pointer, which SQLite would take for NULL.
            status = sqlite3_bind_text(statement, at, cell.view.empty() ? "" : cell.view.data(),
                                       static_cast<int>(cell.view.size()), SQLITE_STATIC);
        } else {
            status = sqlite3_bind_int64(statement, at, cell.number);
        }
        if (status != SQLITE_OK) Fail("bind");
    }
    if (sqlite3_step(statement) != SQLITE_DONE) Fail("insert");
    sqlite3_reset(statement);
    m_pending = 0;
}

CSqliteExportSink::~CSqliteExportSink() {
    Close();
}

void CSqliteExportSink::Close() noexcept {
    if (m_insert) sqlite3_finalize(m_insert);
    m_insert = nullptr;
    if (m_db) sqlite3_close(m_db);
    m_db = nullptr;
}

void CSqliteExportSink::Fail(const std::string& what) {
    std::string text = "SQLite: " + what + ": " + (m_db ? sqlite3_errmsg(m_db) : "out of memory");
    Close();
    m_output.Discard();
    throw CVyxError(text + " (" + m_output.Destination() + ")");
}

void CSqliteExportSink::Check(int status, const char* what) {
    if (status != SQLITE_OK && status != SQLITE_DONE && status != SQLITE_ROW) Fail(what);
}

void CSqliteExportSink::Execute(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "failed";
        sqlite3_free(message);
        Fail(text);
    }
}

void CSqliteExportSink::WriteRow(const ExportRow& row) {
    m_values.Bind(row);
    Cell* cell = &m_cells[m_pending * m_columns.size()];
    for (const ExportColumn& c : m_columns) {
        cell->null = m_values.IsNull(c.id);
        cell->text = c.kind != ExportValueKind::Integer;
        if (cell->null) {
        } else if (cell->text) {
            SetText(*cell, c.id, row);
        } else {
            cell->number = m_values.Integer(c.id);
        }
        ++cell;
    }
    if (++m_pending == kBatchRows) InsertPending(m_insert);
}

void CSqliteExportSink::SetText(Cell& cell, ExportColumnId id, const ExportRow& row) {
    const CRecord& r = *row.record;
    // The code texts are bound from the cache, the others formatted into the cell: nothing is copied twice.
    ExportText cached;
    switch (id) {
        case ExportColumnId::DayFile: cell.view = row.dayFile; return;
        case ExportColumnId::CommandText: cell.view = CommandText(r.m_nCommand); return;
        case ExportColumnId::MessageModeText: cached = m_texts.MessageMode(r); break;
        case ExportColumnId::SourceText: cached = m_texts.Source(r); break;
        case ExportColumnId::FcuText:
            if (!r.m_bFCUValid || r.m_bMultipleFCU) {
                cached = m_texts.FcuWord(r);
                break;
            }
            [[fallthrough]];
        default:
            cell.chars.clear();
            m_values.AppendText(id, cell.chars);
            cell.view = cell.chars;
            return;
    }
    if (m_texts.IsScratch(cached.text)) {
        cell.chars.assign(cached.text);  // formatted on the spot: gone at the next one
        cell.view = cell.chars;
    } else {
        cell.view = cached.text;
    }
}

void CSqliteExportSink::AddEvents(IExportEventSource& events) {
    if (const std::string error = CSqliteEventsTable::Write(m_db, events); !error.empty()) Fail("events: " + error);
}

namespace {

std::string NowUtcText() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

// Binds texts and numbers in order to a statement, runs it and resets it.
class CRowInsert {
public:
    CRowInsert(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK) m_statement = nullptr;
    }
    ~CRowInsert() { sqlite3_finalize(m_statement); }
    CRowInsert(const CRowInsert&) = delete;
    CRowInsert& operator=(const CRowInsert&) = delete;

    CRowInsert& Text(const std::string& text) {
        m_ok = m_ok && sqlite3_bind_text(m_statement, ++m_at, text.data(), static_cast<int>(text.size()),
                                         SQLITE_TRANSIENT) == SQLITE_OK;
        return *this;
    }
    CRowInsert& Number(std::int64_t value) {
        m_ok = m_ok && sqlite3_bind_int64(m_statement, ++m_at, value) == SQLITE_OK;
        return *this;
    }
    // False when SQLite refused the row.
    bool Run() {
        const bool ok = m_statement && m_ok && sqlite3_step(m_statement) == SQLITE_DONE;
        if (m_statement) sqlite3_reset(m_statement);
        m_at = 0;
        m_ok = true;
        return ok;
    }

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_at = 0;
    bool m_ok = true;
};

}  // namespace

void CSqliteExportSink::Finish(const ExportSummary& summary) {
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    if (m_pending > 0) {
        // Held by m_insert until it is stepped, so a failure finalizes it with the connection.
        m_insert = PrepareInsert(m_pending);
        InsertPending(m_insert);
        sqlite3_finalize(m_insert);
        m_insert = nullptr;
    }
    // Built once the rows are in: sorting them once costs less than keeping the trees up row by row. The FCU
    // index holds only the records that name one FCU, the only ones a query by FCU finds.
    Execute("CREATE INDEX records_time ON records (time_epoch)");
    Execute("CREATE INDEX records_fcu ON records (fcu) WHERE fcu IS NOT NULL");

    Execute("CREATE TABLE fcus (channel TEXT NOT NULL, number INTEGER NOT NULL, type INTEGER NOT NULL, "
            "type_text TEXT NOT NULL, present INTEGER NOT NULL, PRIMARY KEY (channel, number))");
    {
        CRowInsert fcu(m_db, "INSERT OR REPLACE INTO fcus VALUES (?, ?, ?, ?, ?)");
        CFCUDisplay display;
        for (const CFCUExtended& entry : CFCUParse().ReadFCUConfigurationList(m_fcuFile)) {
            display.SetFCU(&entry);
            fcu.Text(entry.m_nChannel == 0 ? "A" : "B")
                .Number(entry.m_nNumber)
                .Number(entry.m_nType)
                .Text(display.FormatFCUType())
                .Number(entry.m_configured);
            if (!fcu.Run()) Fail("insert into fcus");
        }
    }

    Execute("CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)");
    {
        CRowInsert meta(m_db, "INSERT INTO meta VALUES (?, ?)");
        const std::pair<std::string, std::string> rows[] = {
            {"folder", m_meta.folder},
            {"filters", m_meta.filters},
            {"program", m_meta.program},
            {"exported_at", NowUtcText()},
            {"records", std::to_string(summary.records)},
            {"utc_offset", m_meta.utcOffset ? UtcOffsetText(*m_meta.utcOffset) : std::string()},
        };
        for (const auto& [key, value] : rows) {
            if (!meta.Text(key).Text(value).Run()) Fail("insert into meta");
        }
    }
    Execute("CREATE TABLE meta_day_files (day_file TEXT PRIMARY KEY, date TEXT NOT NULL, size INTEGER NOT NULL, "
            "sha256 TEXT NOT NULL, records INTEGER NOT NULL)");
    {
        CRowInsert day(m_db, "INSERT INTO meta_day_files VALUES (?, ?, ?, ?, ?)");
        for (const ExportedDayFile& file : summary.dayFiles) {
            const FileDigest digest = DigestFile(file.path);
            day.Text(file.name)
                .Text(IsoDate(file.dayStart))
                .Number(static_cast<std::int64_t>(digest.size))
                .Text(digest.sha256)
                .Number(file.records);
            if (!day.Run()) Fail("insert into meta_day_files");
        }
    }
    Execute("COMMIT");
    if (sqlite3_close(m_db) != SQLITE_OK) Fail("close");
    m_db = nullptr;
    m_output.Commit();
}

}  // namespace vyx
