#pragma once
// One Message Log report run: a range of the record store written as CSV (in part files of 65535 records),
// as an HTML page, or as spreadsheet workbooks, on the generator's worker thread.

#include <cstdint>
#include <string>
#include <vector>

#include "decode/FormatRecord.h"
#include "logdata/Record.h"
#include "logdata/SerialNumber.h"
#include "platform/FileError.h"
#include "report/ReportCriteria.h"
#include "report/ReportGenerationMsgRcvr.h"
#include "report/ReportRecordReader.h"

namespace vyx {

class CReportGenerator;

struct MessageLogOptions {
    bool standardOutput = false;                      // CSV and HTML go to standard output as one file
    std::string workbookTempFolder;                   // where the spreadsheet form keeps its row files
    std::int64_t recordsPerSheet = kRecordsPerSheet;  // lowered by tests to reach sheet changes quickly
    // A stop keeps what was written (the user asked for it); a caller that stops because the program is
    // being ended (a signal) wants no partial file left behind instead.
    bool discardOnStop = false;
};

class CMessageLogWriter {
public:
    // control: the generator whose worker runs the writer; it says when to stop and holds a pause.
    CMessageLogWriter(CReportGenerator& control, IReportGenerationMsgRcvr* receiver, CReportRecordReader& reader,
                      const CReportCriteria& criteria, const MessageLogOptions& options);

    // Writes the form the criteria ask for and sends the notifications. Never throws: failures become
    // messages and OnFailed.
    void Write();

private:
    void WriteCsv();
    void WriteHtml();
    void WriteWorkbook();

    bool HasRecord(std::int64_t n) const { return m_criteria.m_nFirstRecord + n - 1 <= m_criteria.m_nLastRecord; }
    // Reads the record with report number n (1-based) into m_record. Throws CVyxError naming the day file,
    // the Sr.No. and the report's record number when it cannot be read, CFileError when a read fails.
    void ReadRecord(std::int64_t n);
    // True when the loop ended because of a stop rather than at the end of the range.
    bool Stopped(std::int64_t n) const;
    void AppendCsvHeader(std::string& out) const;
    void AppendCsvLine(std::string& out, std::int64_t n) const;
    void AppendHtmlRow(std::string& out, std::int64_t n) const;

    // The message box of a failure: the error's text, a line break and the abort text, then what was kept
    // of the report, if anything.
    void FailureMessage(const std::string& errorText, const std::string& kept = {});
    std::string ErrorText(const CFileError& error) const;
    // "Kept as an incomplete report: records 1 to 57 in /x/log_1.csv, /x/log_2.csv" (empty when none).
    static std::string KeptText(std::int64_t records, const std::vector<std::string>& files);
    void Started();
    void Progress();
    void Finished(bool failed);

    CReportGenerator& m_control;
    IReportGenerationMsgRcvr* m_pReceiver;
    CReportRecordReader& m_reader;
    const CReportCriteria& m_criteria;
    const MessageLogOptions& m_options;
    std::int64_t m_count;
    std::int64_t m_step;
    std::string m_abortText;
    CRecord m_record;
    CFormatRecord m_format;
};

// The text of a file error as the user sees it: the system's description alone.
std::string FileErrorText(const CFileError& error);

// The records a run of count records writes between two progress notifications.
constexpr std::int64_t ReportProgressStep(std::int64_t count) { return count >= 1000 ? 1000 : 200; }

}  // namespace vyx
