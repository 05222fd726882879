#pragma once
// One Message Log report run: a range of the record store written as CSV (in part files of 65535 records),
// as an HTML page, or as spreadsheet workbooks, on the generator's worker thread.

#include <cstdint>
#include <string>

#include "decode/FormatRecord.h"
#include "logdata/Record.h"
#include "platform/FileError.h"
#include "report/ReportCriteria.h"
#include "report/ReportGenerationMsgRcvr.h"
#include "report/ReportRecordReader.h"

namespace vyx {

// What the writer needs from the generator that runs it.
class IReportRunControl {
public:
    // Writing begins: the run counts as running from here on, unless a stop came first.
    virtual void BeginWriting() = 0;
    // The record loop's test, read once per record.
    virtual bool KeepWriting() const = 0;
    // Holds the worker here while a pause is requested.
    virtual void PausePoint() = 0;
    // Writing has ended; the final notification follows.
    virtual void EndWriting() = 0;

protected:
    ~IReportRunControl() = default;
};

struct MessageLogOptions {
    bool standardOutput = false;                      // CSV and HTML go to standard output as one file
    std::string workbookTempFolder;                   // where the spreadsheet form keeps its row files
    std::int64_t recordsPerSheet = kRecordsPerSheet;  // lowered by tests to reach sheet changes quickly
};

class CMessageLogWriter {
public:
    CMessageLogWriter(IReportRunControl& control, IReportGenerationMsgRcvr* receiver, CReportRecordReader& reader,
                      const CReportCriteria& criteria, const MessageLogOptions& options);

    // Writes the form the criteria ask for and sends the notifications. Never throws: failures become
    // messages and OnFailed.
    void Write();

private:
    void WriteCsv();
    void WriteHtml();
    void WriteWorkbook();

    bool HasRecord(std::int64_t n) const { return m_criteria.m_nFirstRecord + n - 1 <= m_criteria.m_nLastRecord; }
    // Reads the record with report number n (1-based) into m_record; a record that cannot be read leaves
    // the previous one's fields. Throws CFileError.
    void ReadRecord(std::int64_t n);
    void AppendCsvHeader(std::string& out) const;
    void AppendCsvLine(std::string& out, std::int64_t n) const;
    void AppendHtmlRow(std::string& out, std::int64_t n) const;

    // The message box of a failure: the error's text, a line break and the abort text.
    void FailureMessage(const std::string& errorText);
    void Started();
    void Progress();
    void Finished(bool failed);

    IReportRunControl& m_control;
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

}  // namespace vyx
