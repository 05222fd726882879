#include "report/AnalysisReportFile.h"

#include <ctime>

#include "analysis/AlarmChart.h"
#include "analysis/AlarmCodeLists.h"
#include "decode/FormatRecord.h"
#include "logdata/TimeValue.h"
#include "platform/FileError.h"
#include "platform/TempFolder.h"
#include "report/CsvField.h"
#include "report/ReportFile.h"
#include "report/ReportHtml.h"
#include "report/ReportWorkbook.h"

namespace vyx {
namespace {

constexpr std::uint32_t kRowsPerSheet = 1048575;

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

void WriteText(const std::string& type, const std::string& path, const AnalysisReport& r, const std::function<void()>& checkStop) {
    CReportFile file;
    if (path.empty()) file.OpenStandardOutput();
    else file.Open(path);
    std::string& out = file.Text();
    const bool html = type == "html";
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
        checkStop();
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
            if ((++written & 1023) == 0) checkStop();
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

void WriteWorkbook(const std::string& out, const AnalysisReport& r, const std::function<void()>& checkStop) {
    const CScopedCNumericLocale cLocale;
    const CScopedTempFolder rowFolder;
    CReportWorkbook book;
    if (!book.Create(out, rowFolder.Path())) throw CVyxError("the workbook could not be started");
    try {
        Sheet(book, "Report", {{"Item", 30}, {"Value", 90}});
        std::uint32_t row = 0;
        for (const auto& [name, value] : r.facts) WriteRow(book, ++row, {name, value});
        for (const AnalysisTable& t : r.tables) {
            Sheet(book, t.title, t.columns);
            row = 0;
            for (const auto& cells : t.rows) WriteRow(book, ++row, cells);
            if (!t.note.empty()) WriteRow(book, ++row, {t.note});
            checkStop();
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
                if ((++written & 1023) == 0) checkStop();
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

void WriteAnalysisReportFile(const std::string& type, const std::string& out, const AnalysisReport& report,
                             const std::function<void()>& checkStop) {
    if (type == "xlsx") WriteWorkbook(out, report, checkStop);
    else WriteText(type, out, report, checkStop);
}

std::vector<std::pair<std::string, std::string>> AnalysisReportFacts(const AlarmFigures& f, const std::string& folder,
                                                                     const std::string& filters, unsigned timeout) {
    std::string counted, stopping;
    for (int code = kFirstAlarmCode; code <= kLastAlarmCode; ++code) {
        if (IsCountedAlarmCode(code)) counted += (counted.empty() ? "" : ", ") + std::to_string(code);
    }
    for (int code : kMovementStoppingAlarmCodes) {
        stopping += (stopping.empty() ? "" : ", ") + std::to_string(code) + " " + AlarmCodeText(code);
    }
    return {
        {"Folder", folder},
        {"Span", FormatTimeValue(f.from) + " to " + FormatTimeValue(f.to) + (f.indicative ? " (under 30 days: indicative)" : "")},
        {"Filters", filters},
        {"Activations", "an alarm code becoming set on an FCU; the other channel's sight within 1 s counted once; "
                        "not the alarms standing at an FCU's first report"},
        {"Thresholds", "flood: more than 10 in a sliding 10 minutes, ends under 5; chattering: 3 of one (FCU, alarm) within "
                       "60 s; stale: active over 24 h"},
        {"Alarm codes counted", counted + " (not 4 REMOTE: the actuator's normal state)"},
        {"Codes that stop movement", stopping},
        {"Response timeout", timeout ? std::to_string(timeout) + " s for every FCU"
                                     : "twice each FCU's median response time, at least 10 s"},
    };
}

AnalysisReport AlarmAnalysisReport(const LoopAnalysis& analysis, std::vector<std::pair<std::string, std::string>> facts,
                                   bool html) {
    const AlarmFigures& f = analysis.alarms;
    AnalysisReport report;
    report.title = "Alarm analysis";
    report.facts = std::move(facts);
    if (html) report.chartSvg = AlarmChartSvg(f, 1000, 260);
    report.tables = {FiguresTable(f),     FloodsTable(f),         TopAlarmsTable(f), ChatteringTable(f),
                     StaleTable(f),       StandingPerDayTable(f), AlarmCodesTable()};
    // The chart's data: in the workbook and the CSV, where no chart is drawn.
    if (!html) report.tables.push_back(PerPeriodTable(f));
    return report;
}

}  // namespace vyx
