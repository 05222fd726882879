#pragma once
// The SQLite form of the export: table `records` (one row per record, the export's columns), `fcus` (the
// FCUs of "MISCDATA.TXT"), `meta` (folder, filters, program, export time) and `meta_day_files` (each day file
// the load read: size, SHA-256, records exported), with indexes on time and FCU, and `events` (the loop's
// events, SqliteEventsTable.h) when given. Written under a temporary name beside the chosen one and renamed
// when complete.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "export/ExportEvents.h"
#include "export/ExportMeta.h"
#include "export/ExportSink.h"
#include "export/ExportTextCache.h"
#include "export/FileDigest.h"
#include "export/SqliteDirectTable.h"
#include "export/SqliteRowWriter.h"
#include "platform/PendingOutput.h"

struct sqlite3;

namespace vyx {

class CSqliteExportSink final : public IExportSink {
public:
    // Throws CFileError when the file cannot be created, CVyxError when SQLite refuses.
    CSqliteExportSink(const std::string& path, std::string fcuFile, ExportMeta meta);
    ~CSqliteExportSink() override;

    void BeginDayFile(const ExportedDayFile& file) override;
    void WriteRow(const ExportRow& row) override;
    // Table `events` from the loop's events of the folder; before Finish. Throws CVyxError.
    void AddEvents(IExportEventSource& events);
    void Finish(const ExportSummary& summary) override;

private:
    // The cells of one row into the row writer's batch.
    void AddRow(const ExportRow& row);
    // A text column that needs formatting (or a text formatted on the spot) into the batch's characters.
    void AddChars(CSqliteRowWriter::Batch& batch, ExportColumnId id);
    void AddChars(CSqliteRowWriter::Batch& batch, std::string_view text);
    // Writes the rows still in flight and the indexes, and opens the file with SQLite again. Throws
    // CVyxError.
    void DrainRows();
    void Open();
    const FileDigest& DigestOf(const std::string& path);
    void Execute(const std::string& sql);
    std::uint32_t RootPage(const char* name);
    [[noreturn]] void Fail(const std::string& what);
    void Close() noexcept;

    CPendingOutput m_output;
    std::string m_fcuFile;
    ExportMeta m_meta;
    std::vector<ExportColumn> m_columns;
    CExportValues m_values;
    CExportTextCache m_texts;
    sqlite3* m_db = nullptr;
    // The records go into the file's pages while SQLite has it closed.
    std::unique_ptr<CSqliteDirectTable> m_table;
    std::unique_ptr<CSqliteRowWriter> m_rows;
    // The day file names the rows bind: they must outlive the rows in flight.
    std::set<std::string, std::less<>> m_dayFileNames;
    const std::string* m_dayFile = nullptr;
    // The digests of the day files, taken as their rows begin (while SQLite works on the rows before).
    std::map<std::string, FileDigest> m_digests;
};

}  // namespace vyx
