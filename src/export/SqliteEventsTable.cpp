#include "export/SqliteEventsTable.h"

#include <sqlite3.h>

#include "export/ExportColumns.h"
#include "export/SqliteRowWriter.h"

namespace vyx {
namespace {

constexpr std::size_t kColumns = 14;

// One event's row into the batch being filled. The source's texts outlive the export; the time's text is
// the batch's own.
void AddRow(CSqliteRowWriter::Batch& batch, const ExportEventRow& r) {
    using Cell = CSqliteRowWriter::Cell;
    const auto number = [&](std::int64_t n) { batch.cells.push_back({Cell::Kind::Integer, 0, n, nullptr}); };
    const auto text = [&](std::string_view t) {
        if (t.empty()) {
            batch.cells.push_back({});
        } else {
            batch.cells.push_back({Cell::Kind::Text, static_cast<std::uint32_t>(t.size()), 0, t.data()});
        }
    };
    number(r.srNo);
    text(r.dayFile);
    number(static_cast<std::int64_t>(r.frameOffset));
    number(r.time);
    const std::size_t at = batch.chars.size();
    AppendIsoDateTime(batch.chars, r.time);
    batch.cells.push_back({Cell::Kind::Chars, static_cast<std::uint32_t>(batch.chars.size() - at),
                           static_cast<std::int64_t>(at), nullptr});
    text(r.kind);
    number(r.fcu);
    text(r.channel == 'B' ? std::string_view("B") : std::string_view("A"));
    if (r.hasCode) {
        number(r.code);
    } else {
        batch.cells.push_back({});
    }
    text(r.codeText);
    text(r.edge);
    number(r.value);
    number(r.source);
    text(r.sourceText);
}

std::string Run(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return {};
    std::string text = message ? message : "failed";
    sqlite3_free(message);
    return text;
}

}  // namespace

std::string CSqliteEventsTable::Write(sqlite3* db, IExportEventSource& events) {
    if (std::string error = Run(db,
                                "CREATE TABLE events (sr_no INTEGER NOT NULL, day_file TEXT NOT NULL, "
                                "frame_offset INTEGER NOT NULL, time_epoch INTEGER NOT NULL, "
                                "time_local TEXT NOT NULL, kind TEXT NOT NULL, fcu INTEGER NOT NULL, "
                                "channel TEXT NOT NULL, code INTEGER, code_text TEXT, edge TEXT, "
                                "value INTEGER NOT NULL, source INTEGER NOT NULL, source_text TEXT)");
        !error.empty()) {
        return error;
    }
    {
        // Formatted here while SQLite steps the rows before on the writer's thread.
        CSqliteRowWriter rows(db, "events", kColumns);
        ExportEventRow row;
        bool going = true;
        while (going && events.Next(row)) {
            AddRow(rows.Filling(), row);
            going = rows.RowDone();
        }
        if (std::string failure = rows.Drain(); !failure.empty()) return failure;
    }
    // After the rows, as for the records: one sort instead of a tree kept up row by row.
    return Run(db, "CREATE INDEX events_fcu_time ON events (fcu, time_epoch)");
}

}  // namespace vyx
