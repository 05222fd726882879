#pragma once
// What one export is asked to write, checked once for the command line and the viewer alike, and the sink
// that writes it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "export/ExportSink.h"

namespace vyx {

enum class ExportForm { Csv, JsonLines, Sqlite, Xlsx };

// "csv", "jsonl", "sqlite", "xlsx"; nullopt for any other word.
std::optional<ExportForm> ExportFormNamed(const std::string& name);
const char* ExportFormName(ExportForm form);
// The usual extension of a file of that form, with its dot.
const char* ExportFormExtension(ExportForm form);

struct ExportRequest {
    ExportForm form = ExportForm::Csv;
    std::string out;        // one file; "-" is standard output (csv, jsonl)
    std::string partition;  // or a partitioned export's folder (csv, jsonl)
    std::string site;       // the partitioned export's site name
    std::string utcOffset;  // "+HH:MM" / "-HH:MM", or empty
    std::string dataFolder;
    std::string filters;  // the load's filters as "name=value" words, for the SQLite meta table
    std::string program;  // "vyx 1.65"
};

// Empty when the request can be written, else why not, in words for the user (without an "error: " prefix).
// Refuses an output inside the data folder, which is only ever read.
std::string CheckExportRequest(const ExportRequest& request);

// The request's offset from UTC in seconds east; nullopt when it has none. Check the request first.
std::optional<std::int32_t> ExportUtcOffset(const ExportRequest& request);

// Opens the sink of a checked request. tempFolder holds the workbook's scratch files. Throws CFileError or
// CVyxError when the output cannot be created.
std::unique_ptr<IExportSink> OpenExportSink(const ExportRequest& request, const std::string& tempFolder);

}  // namespace vyx
