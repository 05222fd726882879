#pragma once
// The text forms of the export: CSV (RFC 4180: one header line, CRLF line ends, fields quoted only when they
// hold a comma, a quote or a line break) and JSON Lines (one object per record, the same names). Either into
// one file (or standard output), or partitioned: one file per day file under
// <dir>/site=<site>/date=<YYYY-MM-DD>/, the layout engines read as a partitioned table.

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "export/ExportSink.h"
#include "export/ExportTextCache.h"
#include "report/ReportFile.h"

namespace vyx {

enum class TextExportForm { Csv, JsonLines };

class CTextExportSink final : public IExportSink {
public:
    // One file; "-" is standard output. Throws CFileError when the file cannot be created.
    CTextExportSink(TextExportForm form, const std::string& path, std::optional<std::int32_t> utcOffset);
    // Partitioned under dir for that site (a name without '/', '=' or control characters). A partition file
    // that would lead into dataFolder (through a link in dir) is refused with CVyxError.
    static std::unique_ptr<CTextExportSink> Partitioned(TextExportForm form, const std::string& dir,
                                                        const std::string& site,
                                                        std::optional<std::int32_t> utcOffset,
                                                        const std::string& dataFolder);

    void BeginDayFile(const ExportedDayFile& file) override;
    void WriteRow(const ExportRow& row) override;
    void Finish(const ExportSummary& summary) override;

    // The file of one day file in a partitioned export.
    static std::string PartitionFile(TextExportForm form, const std::string& dir, const std::string& site,
                                     const ExportedDayFile& file);
    // Empty when the name can stand in a partition's folder name, else why not.
    static std::string CheckSiteName(const std::string& site);

private:
    CTextExportSink(TextExportForm form, std::optional<std::int32_t> utcOffset);
    void Start(const std::string& path);
    void WriteHeader();
    void CompleteFile();
    bool WritePlainRow(const ExportRow& row);

    TextExportForm m_form;
    std::vector<ExportColumn> m_columns;
    std::vector<std::string> m_jsonKeys;  // "{\"sr_no\":", ",\"day_file\":", ...
    std::size_t m_keyBytes = 0;
    CExportValues m_values;
    CExportTextCache m_texts;
    std::string_view m_plainDayFile;  // the day file name last checked, and whether it is plain
    bool m_dayFileIsPlain = false;
    CReportFile m_file;
    bool m_open = false;
    std::string m_partitionDir;  // empty for one file
    std::string m_site;
    std::set<std::string> m_partitionsWritten;
    std::string m_dataFolder;
    std::string m_field;  // one field's text, for quoting
};

}  // namespace vyx
