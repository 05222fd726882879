#pragma once
// The FCU Log report: the rows the FCU table shows, as CSV, HTML or a spreadsheet workbook. It runs on the
// caller's thread from start to end.

#include <cstdint>
#include <optional>
#include <string>

#include "report/ReportCriteria.h"
#include "report/ReportMessageBox.h"

namespace vyx {

// The table's texts exactly as it shows them, in its current order: the FCU view's table in the viewer,
// the FCU display list in the command-line tool.
class IFCUReportRowSource {
public:
    virtual ~IFCUReportRowSource() = default;
    virtual int RowCount() const = 0;
    // Column 0 the FCU number, 1 the FCU type, 2 the channel.
    virtual std::string ItemText(int row, int column) const = 0;
};

class CFCUReportCriteria {
public:
    CFCUReportCriteria() = default;
    CFCUReportCriteria(std::string fileName, std::int32_t reportType)
        : m_szFileName(std::move(fileName)), m_nReportType(reportType) {}
    virtual ~CFCUReportCriteria() = default;

    // The dialog's form radio index gives the type: 0 HTML, 2 spreadsheet, anything else CSV.
    static std::int32_t TypeFromFormIndex(int index) {
        return index == 0 ? kReportTypeHtml : index == 2 ? kReportTypeXls : kReportTypeCsv;
    }

    std::string m_szFileName;
    std::int32_t m_nReportType = kReportTypeCsv;
};

struct FCUReportOutcome {
    bool written = false;
    // An HTML report to hand to the desktop before the message is shown; empty otherwise.
    std::string documentToOpen;
    // The success message, or the failure's; always set.
    ReportMessageBox message;
};

struct FCUReportOptions {
    bool standardOutput = false;     // CSV and HTML to standard output (the command-line tool)
    std::string workbookTempFolder;  // where the spreadsheet form keeps its row file
};

// Before the dialog: the refusal when the table has no rows, else nothing.
std::optional<ReportMessageBox> CheckFCUReportRows(const IFCUReportRowSource& rows);

// After the dialog was confirmed: writes the report.
FCUReportOutcome WriteFCULogReport(const IFCUReportRowSource& rows, const CFCUReportCriteria& criteria,
                                   const FCUReportOptions& options = {});

}  // namespace vyx
