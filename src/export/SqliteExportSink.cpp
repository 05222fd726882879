#include "export/SqliteExportSink.h"

#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <filesystem>

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

namespace {

// SQLite keeps count of the memory it uses unless told otherwise before its first use, at the price of a
// global lock around every allocation; nothing here asks for the counts.
void UseSqliteWithoutMemoryStatistics() {
    static const bool once = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);  // refused, harmlessly, once SQLite is in use
        return true;
    }();
    (void)once;
}

// The index keys are sorted beside the output, on the disk chosen for it, not in a temporary folder that may
// lie in memory.
std::string OutputFolder(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

}  // namespace

CSqliteExportSink::CSqliteExportSink(const std::string& path, std::string fcuFile, ExportMeta meta)
    : m_output(path), m_fcuFile(std::move(fcuFile)), m_meta(std::move(meta)),
      m_columns(ExportColumns(m_meta.utcOffset.has_value())), m_values(m_meta.utcOffset) {
    m_output.CloseDescriptor();
    UseSqliteWithoutMemoryStatistics();
    Open();
    std::string create = "CREATE TABLE records (";
    std::size_t srNo = 0, time = 0, fcu = 0;
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const ExportColumn& c = m_columns[i];
        if (i > 0) create += ", ";
        create += std::string(c.name) + " " + std::string(c.sqlType);
        if (c.id == ExportColumnId::SrNo) create += " PRIMARY KEY";
        if (!c.nullable) create += " NOT NULL";
        if (c.id == ExportColumnId::SrNo) srNo = i;
        if (c.id == ExportColumnId::TimeEpoch) time = i;
        if (c.id == ExportColumnId::Fcu) fcu = i;
    }
    create += ")";
    // The table and its indexes, empty; the rows and the index keys then go straight into pages of the file
    // (SqliteDirectTable.h). The FCU index holds only the records that name one FCU, the only ones a query by
    // FCU finds.
    Execute("BEGIN");
    Execute(create);
    Execute("CREATE INDEX records_fcu ON records (fcu) WHERE fcu IS NOT NULL");
    Execute("CREATE INDEX records_time ON records (time_epoch)");
    Execute("COMMIT");
    const std::uint32_t table = RootPage("records"), fcuIndex = RootPage("records_fcu"),
                        timeIndex = RootPage("records_time");
    if (sqlite3_close(m_db) != SQLITE_OK) Fail("close");
    m_db = nullptr;
    try {
        m_table = std::make_unique<CSqliteDirectTable>(
            m_output.TempPath(), table, m_columns.size(), srNo,
            std::vector<CSqliteDirectTable::Index>{{timeIndex, time, false}, {fcuIndex, fcu, true}},
            OutputFolder(m_output.Destination()));
    } catch (const CVyxError& e) {
        m_output.Discard();
        throw CVyxError(std::string("SQLite: ") + e.what() + " (" + m_output.Destination() + ")");
    }
    m_rows = std::make_unique<CSqliteRowWriter>(
        [table = m_table.get()](const CSqliteRowWriter::Batch& batch) { return table->Add(batch); }, m_columns.size());
}

void CSqliteExportSink::Open() {
    if (sqlite3_open_v2(m_output.TempPath().c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        Fail("cannot open");
    }
    // One writer, a file no one reads until it has its name: no journal, no syncs until the end, and a page
    // cache of fixed size so memory does not grow with the folder. No sort runs on helper threads: each
    // would sort in memory of its own, which would grow with the folder.
    Execute("PRAGMA page_size = 16384; PRAGMA auto_vacuum = NONE; PRAGMA journal_mode = OFF; "
            "PRAGMA synchronous = OFF; PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = -32768; "
            "PRAGMA temp_store = FILE; PRAGMA threads = 0;");
}

std::uint32_t CSqliteExportSink::RootPage(const char* name) {
    sqlite3_stmt* statement = nullptr;
    std::int64_t page = 0;
    if (sqlite3_prepare_v2(m_db, "SELECT rootpage FROM sqlite_schema WHERE name = ?", -1, &statement, nullptr) ==
            SQLITE_OK &&
        sqlite3_bind_text(statement, 1, name, -1, SQLITE_STATIC) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW) {
        page = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    if (page < 2) Fail(std::string("no root page for ") + name);
    return static_cast<std::uint32_t>(page);
}

CSqliteExportSink::~CSqliteExportSink() {
    Close();
}

void CSqliteExportSink::Close() noexcept {
    m_rows.reset();  // its thread stopped and its statements finalized before the connection goes
    m_table.reset();
    if (m_db) sqlite3_close(m_db);
    m_db = nullptr;
}

void CSqliteExportSink::Fail(const std::string& what) {
    std::string text = "SQLite: " + what + ": " + (m_db ? sqlite3_errmsg(m_db) : "out of memory");
    Close();
    m_output.Discard();
    throw CVyxError(text + " (" + m_output.Destination() + ")");
}

void CSqliteExportSink::Execute(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "failed";
        sqlite3_free(message);
        Fail(text);
    }
}

void CSqliteExportSink::DrainRows() {
    if (!m_rows) return;
    if (const std::string failure = m_rows->Drain(); !failure.empty()) {
        const std::string text = "SQLite: records: " + failure;
        Close();
        m_output.Discard();
        throw CVyxError(text + " (" + m_output.Destination() + ")");
    }
    m_rows.reset();
    try {
        m_table->Finish();
    } catch (const std::exception& e) {
        Close();
        m_output.Discard();
        throw CVyxError(std::string("SQLite: ") + e.what() + " (" + m_output.Destination() + ")");
    }
    m_table.reset();
    Open();
    Execute("BEGIN");
}

const FileDigest& CSqliteExportSink::DigestOf(const std::string& path) {
    auto found = m_digests.find(path);
    if (found == m_digests.end()) found = m_digests.emplace(path, DigestFile(path)).first;
    return found->second;
}

void CSqliteExportSink::BeginDayFile(const ExportedDayFile& file) {
    DigestOf(file.path);
}

void CSqliteExportSink::WriteRow(const ExportRow& row) {
    AddRow(row);
    if (!m_rows->RowDone()) DrainRows();
}

void CSqliteExportSink::AddRow(const ExportRow& row) {
    using Cell = CSqliteRowWriter::Cell;
    const CRecord& r = *row.record;
    CSqliteRowWriter::Batch& batch = m_rows->Filling();
    if (m_dayFile == nullptr || *m_dayFile != row.dayFile) m_dayFile = &*m_dayFileNames.emplace(row.dayFile).first;
    const auto stable = [&](std::string_view text) {
        batch.cells.push_back({Cell::Kind::Text, static_cast<std::uint32_t>(text.size()), 0, text.data()});
    };
    // A code text from the cache outlives the export; one formatted on the spot is gone at the next.
    const auto cached = [&](ExportText text) {
        if (m_texts.IsScratch(text.text)) {
            AddChars(batch, text.text);
        } else {
            stable(text.text);
        }
    };
    m_values.Bind(row);
    for (const ExportColumn& c : m_columns) {
        if (m_values.IsNull(c.id)) {
            batch.cells.push_back({});
            continue;
        }
        if (c.kind == ExportValueKind::Integer) {
            batch.cells.push_back({Cell::Kind::Integer, 0, m_values.Integer(c.id), nullptr});
            continue;
        }
        switch (c.id) {
            case ExportColumnId::DayFile: stable(*m_dayFile); break;
            case ExportColumnId::CommandText: stable(CommandText(r.m_nCommand)); break;
            case ExportColumnId::Channel: stable(ChannelLetter(r.m_nChannel)); break;
            case ExportColumnId::MessageModeText: cached(m_texts.MessageMode(r)); break;
            case ExportColumnId::SourceText: cached(m_texts.Source(r)); break;
            case ExportColumnId::FcuText:
                if (!r.m_bFCUValid || r.m_bMultipleFCU) {
                    cached(m_texts.FcuWord(r));
                } else {
                    AddChars(batch, c.id);
                }
                break;
            default: AddChars(batch, c.id); break;
        }
    }
}

void CSqliteExportSink::AddChars(CSqliteRowWriter::Batch& batch, ExportColumnId id) {
    const std::size_t at = batch.chars.size();
    m_values.AppendText(id, batch.chars);
    batch.cells.push_back({CSqliteRowWriter::Cell::Kind::Chars, static_cast<std::uint32_t>(batch.chars.size() - at),
                           static_cast<std::int64_t>(at), nullptr});
}

void CSqliteExportSink::AddChars(CSqliteRowWriter::Batch& batch, std::string_view text) {
    const std::size_t at = batch.chars.size();
    batch.chars.append(text);
    batch.cells.push_back({CSqliteRowWriter::Cell::Kind::Chars, static_cast<std::uint32_t>(text.size()),
                           static_cast<std::int64_t>(at), nullptr});
}

void CSqliteExportSink::AddEvents(IExportEventSource& events) {
    DrainRows();
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
    DrainRows();

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
            const FileDigest& digest = DigestOf(file.path);
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
