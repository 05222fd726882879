#include "cli/AnalysisOutput.h"

#include <cerrno>
#include <ctime>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "cli/StandardOutput.h"
#include "platform/FileError.h"
#include "platform/TempFolder.h"
#include "report/ReportFile.h"
#include "report/ReportHtml.h"
#include "report/ReportWorkbook.h"

namespace vyx::cli {
namespace {

constexpr std::uint32_t kRowsPerSheet = 1048575;

bool ToStandardOutput(const TableOutputOptions& o) {
    return o.out.empty() || o.out == "-";
}

std::string_view BandColour(AlarmBand band) {
    switch (band) {
        case AlarmBand::Good: return "#B7E1B0";
        case AlarmBand::Fair: return "#F6E3A1";
        case AlarmBand::Poor: return "#F6C08A";
        case AlarmBand::Bad: return "#F09A9A";
        case AlarmBand::None: break;
    }
    return "#E4E4E4";
}

void CsvRow(std::string& out, const std::vector<std::string>& fields) {
    for (std::size_t c = 0; c < fields.size(); ++c) {
        if (c) out += ',';
        AppendCsvField(out, fields[c]);
    }
    out += "\r\n";
}

std::vector<std::string> Labels(const std::vector<AnalysisColumn>& columns) {
    std::vector<std::string> labels;
    for (const AnalysisColumn& c : columns) labels.push_back(c.label);
    return labels;
}

void HtmlTableStart(std::string& out, const std::string& title, const std::vector<AnalysisColumn>& columns) {
    out += "\n<h3>";
    html::AppendEscaped(out, title);
    out += "</h3>";
    html::AppendTableStart(out);
    html::AppendHeaderRowStart(out);
    double total = 0;
    for (const AnalysisColumn& c : columns) total += c.width;
    for (const AnalysisColumn& c : columns) html::AppendHeaderCell(out, static_cast<int>(c.width * 100 / total), "left", c.label);
    html::AppendHeaderRowEnd(out);
}

void HtmlRow(std::string& out, const std::vector<std::string>& row, AlarmBand band) {
    html::AppendRowStart(out);
    for (std::size_t c = 0; c < row.size(); ++c) {
        // A judged row shows its band as the colour of its first cell.
        if (c == 0 && band != AlarmBand::None) {
            out += "\n<td valign=\"middle\" bgcolor=\"";
            out += BandColour(band);
            out += "\" align=\"left\">";
        } else {
            html::AppendCellStart(out, "left");
        }
        html::AppendEscaped(out, row[c]);
        html::AppendCellEnd(out);
    }
    html::AppendRowEnd(out);
}

void WriteText(const TableOutputOptions& o, const AnalysisReport& r) {
    CReportFile file;
    if (ToStandardOutput(o)) file.OpenStandardOutput();
    else file.Open(o.out);
    std::string& out = file.Text();
    const bool html = o.type == "html";
    if (html) {
        html::AppendPageStart(out, r.title, "small", LocalTimeText(std::time(nullptr)));
        out += "\n<table border=\"0\" cellpadding=\"2\">";
        for (const auto& [name, value] : r.facts) {
            out += "\n<tr><td><b>";
            html::AppendEscaped(out, name);
            out += "</b></td><td>";
            html::AppendEscaped(out, value);
            out += "</td></tr>";
        }
        out += "</table>";
        if (!r.chartSvg.empty()) {
            out += "\n<h3>Activations per 10 minutes (lines at 1, 2 and 10; floods shaded)</h3>\n";
            out += r.chartSvg;
        }
    } else {
        for (const auto& [name, value] : r.facts) CsvRow(out, {name, value});
        out += "\r\n";
    }
    file.PieceDone();
    for (const AnalysisTable& t : r.tables) {
        if (html) HtmlTableStart(out, t.title, t.columns);
        else {
            CsvRow(out, {t.title});
            CsvRow(out, Labels(t.columns));
        }
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            if (html) HtmlRow(out, t.rows[i], t.bands[i]);
            else CsvRow(out, t.rows[i]);
            file.PieceDone();
        }
        if (html) {
            out += "</tbody></table>";
            if (!t.note.empty()) {
                out += "\n<p>";
                html::AppendEscaped(out, t.note);
                out += "</p>";
            }
        } else {
            if (!t.note.empty()) CsvRow(out, {t.note});
            out += "\r\n";
        }
        file.PieceDone();
        ThrowIfInterrupted();
    }
    if (r.streamedRows) {
        if (html) HtmlTableStart(out, r.streamedTitle, r.streamedColumns);
        else {
            CsvRow(out, {r.streamedTitle});
            CsvRow(out, Labels(r.streamedColumns));
        }
        std::vector<std::string> row;
        RecordPlace place;
        std::uint64_t written = 0;
        while (r.streamedRows(row, place)) {
            if (html) HtmlRow(out, row, AlarmBand::None);
            else CsvRow(out, row);
            file.PieceDone();
            if ((++written & 1023) == 0) ThrowIfInterrupted();
        }
        if (html) out += "</tbody></table>";
    }
    if (html) out += "<br></body>\n</html>\n";
    file.Close();
}

void Sheet(CReportWorkbook& book, const std::string& name, const std::vector<AnalysisColumn>& columns) {
    std::vector<WorkbookColumn> heads;
    for (const AnalysisColumn& c : columns) heads.push_back({c.label, c.width});
    book.AddSheet(name);
    book.WriteHeader(heads);
}

void WriteRow(CReportWorkbook& book, std::uint32_t row, const std::vector<std::string>& cells) {
    for (std::size_t c = 0; c < cells.size(); ++c) book.WriteText(row, static_cast<std::uint16_t>(c), cells[c]);
}

void WriteWorkbook(const TableOutputOptions& o, const AnalysisReport& r) {
    const CScopedCNumericLocale cLocale;
    const CScopedTempFolder rowFolder;
    CReportWorkbook book;
    if (!book.Create(o.out, rowFolder.Path())) throw CommandFailure{kExitNoData, "error: the workbook could not be started"};
    try {
        Sheet(book, "Report", {{"Item", 30}, {"Value", 90}});
        std::uint32_t row = 0;
        for (const auto& [name, value] : r.facts) WriteRow(book, ++row, {name, value});
        for (const AnalysisTable& t : r.tables) {
            Sheet(book, t.title, t.columns);
            row = 0;
            for (const auto& cells : t.rows) WriteRow(book, ++row, cells);
            if (!t.note.empty()) WriteRow(book, ++row, {t.note});
            ThrowIfInterrupted();
        }
        if (r.streamedRows) {
            std::vector<std::string> cells;
            RecordPlace place;
            row = kRowsPerSheet;
            int sheet = 0;
            std::uint64_t written = 0;
            while (r.streamedRows(cells, place)) {
                if (row == kRowsPerSheet) {
                    ++sheet;
                    Sheet(book, sheet == 1 ? r.streamedTitle : r.streamedTitle + " " + std::to_string(sheet),
                          r.streamedColumns);
                    row = 0;
                }
                WriteRow(book, ++row, cells);
                if ((++written & 1023) == 0) ThrowIfInterrupted();
            }
            if (sheet == 0) Sheet(book, r.streamedTitle, r.streamedColumns);
        }
        book.Close();
    } catch (...) {
        book.Discard();
        throw;
    }
}

}  // namespace

void WriteAnalysisReport(const TableOutputOptions& o, const AnalysisReport& r) {
    CheckTableOutput(o);
    try {
        if (o.type == "xlsx") WriteWorkbook(o, r);
        else WriteText(o, r);
    } catch (const CFileError& e) {
        if (ToStandardOutput(o) && StandardOutputIsClosed()) FailStandardOutput(EPIPE);
        throw CommandFailure{kExitNoData, std::string("error: ") + e.what()};
    } catch (const CWorkbookError& e) {
        throw CommandFailure{kExitNoData, std::string("error: ") + e.what()};
    }
}

}  // namespace vyx::cli
