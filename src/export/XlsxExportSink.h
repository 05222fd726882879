#pragma once
// The workbook form of the export: sheet "records" (and "records 2", ... past a sheet's 1,048,575 rows)
// with the export's columns as typed cells: numbers as number cells, the two times as date-time cells. The
// local time shows the list's Date-Time text ("13-02-2009 - 11:31:30:PM"), the UTC time ISO-like, so a
// spreadsheet sorts and filters them as times.

#include <memory>
#include <string>
#include <vector>

#include "export/ExportSink.h"
#include "report/ReportWorkbook.h"

namespace vyx {

class CXlsxExportSink final : public IExportSink {
public:
    // Throws CFileError when the file cannot be created beside path, CWorkbookError when the library fails.
    // Create, fill and finish it on one thread: it keeps that thread's numbers in the "C" form meanwhile.
    CXlsxExportSink(const std::string& path, const std::string& tempFolder, std::optional<std::int32_t> utcOffset);
    ~CXlsxExportSink() override;  // an unfinished workbook leaves no file

    void WriteRow(const ExportRow& row) override;
    void Finish(const ExportSummary& summary) override;

    static constexpr std::uint32_t kRowsPerSheet = 1048576;  // header included
    // The list's Date-Time text as a spreadsheet number format.
    static constexpr const char* kListTimeFormat = "dd-mm-yyyy\" - \"hh:mm:ss:AM/PM";
    static constexpr const char* kUtcTimeFormat = "yyyy-mm-dd hh:mm:ss";

private:
    void NewSheet();

    CScopedCNumericLocale m_cLocale;  // libxlsxwriter prints numbers with printf
    std::vector<ExportColumn> m_columns;
    CExportValues m_values;
    CReportWorkbook m_book;
    lxw_format* m_listTime = nullptr;
    lxw_format* m_utcTime = nullptr;
    int m_sheets = 0;
    std::uint32_t m_row = 0;  // next row of the current sheet
    std::string m_text;
};

}  // namespace vyx
