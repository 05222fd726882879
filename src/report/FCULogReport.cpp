#include "report/FCULogReport.h"

#include <array>
#include <ctime>

#include "platform/FileError.h"
#include "report/MessageLogWriter.h"
#include "report/ReportFile.h"
#include "report/ReportHtml.h"
#include "report/ReportWorkbook.h"
#include "res/StringTable.h"

namespace vyx {
namespace {

constexpr const char* kNoRows = "No record found.  Can not generate FCU report.";
constexpr const char* kGenerated = "FCU Log report generated successfully.";
constexpr int kColumns = 3;

std::array<std::string_view, kColumns> Labels() {
    return {res::LoadString(res::IDS_FCU_NO), res::LoadString(res::IDS_FCU_TYPE),
            res::LoadString(res::IDS_FCU_CHANNEL)};
}

// Every field quoted and followed by a comma, a quote inside a text left as it is.
void AppendCsvField(std::string& out, std::string_view text) {
    out += '"';
    out += text;
    out += "\",";
}

void WriteCsv(const IFCUReportRowSource& rows, CReportFile& file) {
    std::string& out = file.Text();
    for (const std::string_view label : Labels()) AppendCsvField(out, label);
    out += "\r\n";
    const int count = rows.RowCount();
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < kColumns; ++c) AppendCsvField(out, rows.ItemText(i, c));
        out += "\r\n";
        file.PieceDone();
    }
}

void WriteHtml(const IFCUReportRowSource& rows, CReportFile& file) {
    std::string& out = file.Text();
    // Rows in Verdana of font size 2.
    html::AppendPageStart(out, "FCU Log Report", "small", LocalTimeText(std::time(nullptr)));
    html::AppendTableStart(out);
    html::AppendHeaderRowStart(out);
    const auto labels = Labels();
    html::AppendHeaderCell(out, 25, "right", labels[0]);
    html::AppendHeaderCell(out, 50, "left", labels[1]);
    html::AppendHeaderCell(out, 25, "left", labels[2]);
    html::AppendHeaderRowEnd(out);
    const int count = rows.RowCount();
    for (int i = 0; i < count; ++i) {
        html::AppendRowStart(out);
        for (int c = 0; c < kColumns; ++c) {
            html::AppendCellStart(out, c == 0 ? "right" : "left");
            html::AppendEscaped(out, rows.ItemText(i, c));
            html::AppendCellEnd(out);
        }
        html::AppendRowEnd(out);
        file.PieceDone();
    }
    html::AppendPageEnd(out);
}

void WriteWorkbook(const IFCUReportRowSource& rows, CReportWorkbook& workbook) {
    const auto labels = Labels();
    const std::array<WorkbookColumn, kColumns> columns = {{{labels[0], 16}, {labels[1], 60}, {labels[2], 23}}};
    // The sheet keeps the name a new workbook gives its first sheet.
    try {
        workbook.AddSheet("Sheet1");
        workbook.WriteHeader(columns);
        const int count = rows.RowCount();
        for (int i = 0; i < count; ++i) {
            for (int c = 0; c < kColumns; ++c) {
                workbook.WriteText(static_cast<std::uint32_t>(i + 1), static_cast<std::uint16_t>(c),
                                   rows.ItemText(i, c));
            }
        }
        workbook.Close();
    } catch (...) {
        // The table is written in one go: a failed one is not worth keeping.
        workbook.Discard();
        throw;
    }
}

ReportMessageBox Failure(const std::string& errorText) {
    return {errorText + "\n" + std::string(res::LoadString(res::IDS_REPORT_ABORTED)), MessageIcon::Stop};
}

}  // namespace

std::optional<ReportMessageBox> CheckFCUReportRows(const IFCUReportRowSource& rows) {
    if (rows.RowCount() < 1) return ReportMessageBox{kNoRows, MessageIcon::Stop};
    return std::nullopt;
}

FCUReportOutcome WriteFCULogReport(const IFCUReportRowSource& rows, const CFCUReportCriteria& criteria,
                                   const FCUReportOptions& options) {
    FCUReportOutcome outcome;
    const std::string& path = criteria.m_szFileName;
    try {
        if (criteria.m_nReportType == kReportTypeXls) {
            const CScopedCNumericLocale cLocale;
            CReportWorkbook workbook;
            if (!workbook.Create(path, options.workbookTempFolder)) {
                outcome.message = {std::string(res::LoadString(res::IDS_CANNOT_START_EXCEL)), MessageIcon::Stop};
                return outcome;
            }
            WriteWorkbook(rows, workbook);
        } else {
            CReportFile file;
            if (options.standardOutput) {
                file.OpenStandardOutput();
            } else {
                file.Open(path);
            }
            if (criteria.m_nReportType == kReportTypeHtml) {
                WriteHtml(rows, file);
            } else {
                WriteCsv(rows, file);
            }
            file.Close();
            if (criteria.m_nReportType == kReportTypeHtml && !options.standardOutput) outcome.documentToOpen = path;
        }
    } catch (const CFileError& e) {
        outcome.message = Failure(FileErrorText(e));
        return outcome;
    } catch (const CWorkbookError& e) {
        outcome.message = Failure(e.what());
        return outcome;
    }
    outcome.written = true;
    outcome.message = {kGenerated, MessageIcon::Information};
    return outcome;
}

}  // namespace vyx
