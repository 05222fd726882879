#include "export/XlsxExportSink.h"

namespace vyx {
namespace {

// Spreadsheet date-times count days since 1899-12-30; 1970-01-01 is day 25569.
double SpreadsheetTime(std::int64_t seconds) {
    return 25569.0 + static_cast<double>(seconds) / 86400.0;
}

}  // namespace

CXlsxExportSink::CXlsxExportSink(const std::string& path, const std::string& tempFolder,
                                 std::optional<std::int32_t> utcOffset)
    : m_columns(ExportColumns(utcOffset.has_value())), m_values(utcOffset) {
    if (!m_book.Create(path, tempFolder)) throw CWorkbookError(LXW_ERROR_MEMORY_MALLOC_FAILED);
    m_listTime = m_book.NumberFormat(kListTimeFormat);
    m_utcTime = m_book.NumberFormat(kUtcTimeFormat);
    NewSheet();
}

CXlsxExportSink::~CXlsxExportSink() {
    if (!m_book.IsSaved()) m_book.Discard();
}

void CXlsxExportSink::NewSheet() {
    ++m_sheets;
    m_book.AddSheet(m_sheets == 1 ? "records" : "records " + std::to_string(m_sheets));
    std::vector<WorkbookColumn> header;
    for (const ExportColumn& c : m_columns) {
        const bool wide = c.id == ExportColumnId::MessageHex || c.id == ExportColumnId::MessageModeText ||
                          c.id == ExportColumnId::TimeLocal || c.id == ExportColumnId::TimeUtc;
        header.push_back({c.name, wide ? 28.0 : 14.0});
    }
    m_book.WriteHeader(header);
    m_row = 1;
}

void CXlsxExportSink::WriteRow(const ExportRow& row) {
    if (m_row >= kRowsPerSheet) NewSheet();
    m_values.Bind(row);
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const ExportColumn& c = m_columns[i];
        const auto column = static_cast<std::uint16_t>(i);
        if (m_values.IsNull(c.id)) continue;
        switch (c.kind) {
            case ExportValueKind::Integer:
                m_book.WriteNumber(m_row, column, static_cast<double>(m_values.Integer(c.id)));
                break;
            case ExportValueKind::Timestamp:
                m_book.WriteNumber(m_row, column, SpreadsheetTime(m_values.Integer(c.id)),
                                   c.id == ExportColumnId::TimeLocal ? m_listTime : m_utcTime);
                break;
            case ExportValueKind::Text:
                m_text.clear();
                m_values.AppendText(c.id, m_text);
                m_book.WriteText(m_row, column, m_text);
                break;
        }
    }
    ++m_row;
}

void CXlsxExportSink::Finish(const ExportSummary&) {
    m_book.Close();
}

}  // namespace vyx
