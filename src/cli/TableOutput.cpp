#include "cli/TableOutput.h"

#include <cerrno>
#include <memory>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "cli/StandardOutput.h"
#include "platform/FileError.h"
#include "platform/OutputPathCheck.h"
#include "platform/TempFolder.h"
#include "report/ReportFile.h"
#include "report/ReportHtml.h"
#include "report/ReportWorkbook.h"

namespace vyx::cli {
namespace {

bool ToStandardOutput(const TableOutputOptions& o) {
    return o.out.empty() || o.out == "-";
}

// A sheet holds 1048576 rows: the header and this many below it.
constexpr std::uint32_t kRowsPerSheet = 1048575;

void WriteWorkbookTable(const TableOutputOptions& o, const std::vector<TableColumn>& columns,
                        const TableRowSource& rows) {
    const CScopedCNumericLocale cLocale;
    const CScopedTempFolder rowFolder;
    CReportWorkbook workbook;
    if (!workbook.Create(o.out, rowFolder.Path())) {
        throw CommandFailure{kExitNoData, "error: the workbook could not be started"};
    }
    std::vector<WorkbookColumn> heads;
    for (const TableColumn& c : columns) heads.push_back({c.label, c.width});
    try {
        std::vector<std::string> row;
        std::uint32_t sheetRow = kRowsPerSheet;
        int sheet = 0;
        std::uint64_t written = 0;
        while (rows(row)) {
            if (sheetRow == kRowsPerSheet) {
                ++sheet;
                workbook.AddSheet(sheet == 1 ? o.title : o.title + " " + std::to_string(sheet));
                workbook.WriteHeader(heads);
                sheetRow = 0;
            }
            ++sheetRow;
            for (std::size_t c = 0; c < row.size() && c < columns.size(); ++c) {
                workbook.WriteText(sheetRow, static_cast<std::uint16_t>(c), row[c]);
            }
            if ((++written & 1023) == 0) ThrowIfInterrupted();
        }
        if (sheet == 0) {
            workbook.AddSheet(o.title);
            workbook.WriteHeader(heads);
        }
        workbook.Close();
    } catch (...) {
        workbook.Discard();
        throw;
    }
}

void WriteTextTable(const TableOutputOptions& o, const std::vector<TableColumn>& columns, const TableRowSource& rows) {
    CReportFile file;
    if (ToStandardOutput(o)) file.OpenStandardOutput();
    else file.Open(o.out);
    const bool html = o.type == "html";
    std::string& out = file.Text();
    double total = 0;
    for (const TableColumn& c : columns) total += c.width;
    if (html) {
        html::AppendPageStart(out, o.title, "small", LocalTimeText(std::time(nullptr)));
        html::AppendTableStart(out);
        html::AppendHeaderRowStart(out);
        for (const TableColumn& c : columns) {
            html::AppendHeaderCell(out, static_cast<int>(c.width * 100 / total), "left", c.label);
        }
        html::AppendHeaderRowEnd(out);
    } else {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c) out += ',';
            AppendCsvField(out, columns[c].label);
        }
        out += "\r\n";
    }
    file.PieceDone();
    std::vector<std::string> row;
    std::uint64_t written = 0;
    while (rows(row)) {
        if (html) {
            html::AppendRowStart(out);
            for (const std::string& text : row) {
                html::AppendCellStart(out, "left");
                html::AppendEscaped(out, text);
                html::AppendCellEnd(out);
            }
            html::AppendRowEnd(out);
        } else {
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (c) out += ',';
                AppendCsvField(out, row[c]);
            }
            out += "\r\n";
        }
        file.PieceDone();
        if ((++written & 1023) == 0) ThrowIfInterrupted();
    }
    if (html) html::AppendPageEnd(out);
    file.Close();
}

}  // namespace

void CheckTableOutput(const TableOutputOptions& o) {
    if (ToStandardOutput(o)) {
        if (o.type == "xlsx") {
            throw CommandFailure{kExitUsage, "error: a workbook cannot go to standard output; give --out a file"};
        }
        return;
    }
    if (PlaceOfOutput(o.out, o.dataFolder) != OutputPlace::Outside) {
        throw CommandFailure{kExitUsage, "error: " + o.out + " lies in the data folder, which is never written to"};
    }
}

void WriteTable(const TableOutputOptions& o, const std::vector<TableColumn>& columns, const TableRowSource& rows) {
    CheckTableOutput(o);
    try {
        if (o.type == "xlsx") WriteWorkbookTable(o, columns, rows);
        else WriteTextTable(o, columns, rows);
    } catch (const CFileError& e) {
        if (ToStandardOutput(o) && StandardOutputIsClosed()) FailStandardOutput(EPIPE);
        throw CommandFailure{kExitNoData, std::string("error: ") + e.what()};
    } catch (const CWorkbookError& e) {
        throw CommandFailure{kExitNoData, std::string("error: ") + e.what()};
    }
}

void AddTableOutputOptions(CLI::App& command, std::string& type, std::string& out) {
    command.add_option("--type", type, "Output form")->check(CLI::IsMember({"csv", "html", "xlsx"}))->capture_default_str();
    command.add_option("--out", out, "Output file; without it (or with -) CSV or HTML go to standard output");
}

}  // namespace vyx::cli
