#include "export/RecordExport.h"

#include <filesystem>

#include "logdata/RecordDatabase.h"
#include "report/ReportRecordReader.h"

namespace vyx {

bool ExportRecords(const CRecordDatabase& database, std::int64_t total, IExportSink& sink,
                   const ExportProgress& progress) {
    return ExportRecordSpans(database, {SerialSpan{0, total}}, sink, progress);
}

bool ExportRecordSpans(const CRecordDatabase& database, const std::vector<SerialSpan>& spans, IExportSink& sink,
                       const ExportProgress& progress) {
    ExportSummary summary;
    // Every day file the load read, records or not: the metadata names them all. A part a follow added is
    // read from its day file and counts there; a day file the follow found later comes after the others.
    std::vector<const CRecordFile*> files;
    std::vector<std::size_t> entryOf;
    for (const CRecordFile* file : database.AllFiles()) {
        if (database.Settings().window.Excludes(file->DayStart())) continue;
        std::size_t at = 0;
        while (at < summary.dayFiles.size() && summary.dayFiles[at].path != file->Path()) ++at;
        if (at == summary.dayFiles.size()) {
            ExportedDayFile entry;
            entry.path = file->Path();
            entry.name = std::filesystem::path(file->Path()).filename().string();
            entry.dayStart = file->DayStart();
            summary.dayFiles.push_back(std::move(entry));
        }
        files.push_back(file);
        entryOf.push_back(at);
    }
    CReportRecordReader reader(database);
    CRecord record;
    ExportRow row;
    row.record = &record;
    const CRecordFile* current = nullptr;
    ExportedDayFile* entry = nullptr;
    ExportedDayFile* begun = nullptr;
    constexpr std::int64_t kProgressStep = 8192;
    std::int64_t written = 0;
    for (const SerialSpan& span : spans) {
        for (SerialNumber serial = span.first; serial < span.first + span.count; ++serial) {
            if (!reader.GetRecord(serial, record)) {
                throw CVyxError("Record Sr.No. " + std::to_string(serial + 1) + " is not in the load.");
            }
            if (reader.CurrentFile() != current) {
                current = reader.CurrentFile();
                entry = nullptr;
                for (std::size_t i = 0; i < files.size(); ++i) {
                    if (files[i] == current) entry = &summary.dayFiles[entryOf[i]];
                }
                if (entry == nullptr) {
                    throw CVyxError("Record Sr.No. " + std::to_string(serial + 1) + " is not in the load.");
                }
                row.dayFile = entry->name;
                // A day file's followed part right after the day file goes on with it.
                if (entry != begun) sink.BeginDayFile(*entry);
                begun = entry;
            }
            row.serial = serial;
            row.frameOffset = reader.CurrentOffset();
            sink.WriteRow(row);
            ++entry->records;
            ++written;
            if (progress && written % kProgressStep == 0 && !progress(written)) return false;
        }
    }
    summary.records = written;
    sink.Finish(summary);
    if (progress) progress(written);
    return true;
}

}  // namespace vyx
