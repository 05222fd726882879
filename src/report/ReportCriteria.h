#pragma once
// What one Message Log report run is asked to write: the output path, the form and the range of the store.

#include <cstdint>
#include <string>

namespace vyx {

// Report type codes, shared by both reports and both dialogs.
enum ReportType : std::int32_t {
    kReportTypeHtml = 0,
    kReportTypeCsv = 1,
    kReportTypeXls = 2,
};

// Record lines per CSV file and records per spreadsheet workbook (three sheets of 65535 rows each).
constexpr std::int64_t kCsvRecordsPerFile = 65535;
constexpr std::int64_t kRecordsPerSheet = 65535;
constexpr std::int64_t kSheetsPerWorkbook = 3;
constexpr std::int64_t kRecordsPerWorkbook = kRecordsPerSheet * kSheetsPerWorkbook;

class CReportCriteria {
public:
    CReportCriteria() = default;
    CReportCriteria(std::string fileName, std::int32_t firstRecord, std::int32_t lastRecord, std::int32_t reportType)
        : m_szFileName(std::move(fileName)),
          m_nFirstRecord(firstRecord),
          m_nLastRecord(lastRecord),
          m_nReportType(reportType) {}
    CReportCriteria(const CReportCriteria&) = default;
    CReportCriteria& operator=(const CReportCriteria&) = default;
    virtual ~CReportCriteria() = default;

    // The whole path as chosen; it is never cut short, since a shortened path would name another file.
    std::string m_szFileName;
    std::int32_t m_nFirstRecord = 0;  // 0-based store index of the first record
    std::int32_t m_nLastRecord = -1;  // 0-based store index of the last record, inclusive
    std::int32_t m_nReportType = kReportTypeCsv;
};

}  // namespace vyx
