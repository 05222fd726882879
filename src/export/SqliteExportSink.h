#pragma once
// The SQLite form of the export: table `records` (one row per record, the export's columns), `fcus` (the
// FCUs of "MISCDATA.TXT"), `meta` (folder, filters, program, export time) and `meta_day_files` (each day file
// the load read: size, SHA-256, records exported), with indexes on time and FCU, and `events` (the loop's
// events, SqliteEventsTable.h) when given. Written under a temporary name beside the chosen one and renamed
// when complete.

#include <memory>
#include <string>
#include <vector>

#include "export/ExportEvents.h"
#include "export/ExportMeta.h"
#include "export/ExportSink.h"
#include "export/ExportTextCache.h"
#include "platform/PendingOutput.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vyx {

class CSqliteExportSink final : public IExportSink {
public:
    // Throws CFileError when the file cannot be created, CVyxError when SQLite refuses.
    CSqliteExportSink(const std::string& path, std::string fcuFile, ExportMeta meta);
    ~CSqliteExportSink() override;

    void WriteRow(const ExportRow& row) override;
    // Table `events` from the loop's events of the folder; before Finish. Throws CVyxError.
    void AddEvents(IExportEventSource& events);
    void Finish(const ExportSummary& summary) override;

private:
    struct Cell {
        bool null = false;
        bool text = false;
        std::int64_t number = 0;
        std::string_view view;  // the text: chars, or a text that outlives the statement (cached, static)
        std::string chars;
    };
    // The text of a column of the row bound last into cell.
    void SetText(Cell& cell, ExportColumnId id, const ExportRow& row);
    sqlite3_stmt* PrepareInsert(std::size_t rows);
    void InsertPending(sqlite3_stmt* statement);
    void Execute(const std::string& sql);
    [[noreturn]] void Fail(const std::string& what);
    void Check(int status, const char* what);
    void Close() noexcept;

    CPendingOutput m_output;
    std::string m_fcuFile;
    ExportMeta m_meta;
    std::vector<ExportColumn> m_columns;
    CExportValues m_values;
    CExportTextCache m_texts;
    sqlite3* m_db = nullptr;
    // Rows go in by kBatchRows per statement: one step for many rows costs far less than a step per row.
    static constexpr std::size_t kBatchRows = 64;
    sqlite3_stmt* m_insert = nullptr;
    std::vector<Cell> m_cells;  // kBatchRows rows of the columns; texts stay alive until the step
    std::size_t m_pending = 0;  // rows in m_cells
};

}  // namespace vyx
