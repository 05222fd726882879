#include "report/MessageLogWriter.h"

#include <ctime>

#include "decode/RecordColumns.h"
#include "logdata/FrameReading.h"
#include "report/ReportFile.h"
#include "report/ReportGenerator.h"
#include "report/ReportHtml.h"
#include "res/StringTable.h"

namespace vyx {
namespace {


}  // namespace

std::string FileErrorText(const CFileError& error) {
    return SystemErrorText(error.ErrorNumber());
}

std::string CMessageLogWriter::ErrorText(const CFileError& error) const {
    // Standard output has no name the user chose: say which output failed.
    return m_options.standardOutput ? "standard output: " + FileErrorText(error) : FileErrorText(error);
}

CMessageLogWriter::CMessageLogWriter(CReportGenerator& control, IReportGenerationMsgRcvr* receiver,
                                     CReportRecordReader& reader, const CReportCriteria& criteria,
                                     const MessageLogOptions& options)
    : m_control(control),
      m_pReceiver(receiver),
      m_reader(reader),
      m_criteria(criteria),
      m_options(options),
      m_count(static_cast<std::int64_t>(criteria.m_nLastRecord) - criteria.m_nFirstRecord + 1),
      m_step(ReportProgressStep(m_count)),
      m_abortText(res::LoadString(res::IDS_REPORT_ABORTED)),
      m_format(&m_record) {}

void CMessageLogWriter::Write() {
    switch (m_criteria.m_nReportType) {
        case kReportTypeHtml: WriteHtml(); break;
        case kReportTypeCsv: WriteCsv(); break;
        case kReportTypeXls: WriteWorkbook(); break;
        default: break;  // an unknown form writes nothing
    }
}

void CMessageLogWriter::ReadRecord(std::int64_t n) {
    const SerialNumber serial = static_cast<SerialNumber>(m_criteria.m_nFirstRecord) + n - 1;
    const std::string where = " The report stops before its record " + std::to_string(n) + ".";
    try {
        if (!m_reader.GetRecord(serial, m_record)) {
            throw CVyxError("Record Sr.No. " + std::to_string(serial + 1) + " is not in the list." + where);
        }
    } catch (const CRecordUnreadable& e) {
        // Never another record's texts under this number: the report ends here, loudly.
        throw CVyxError(e.what() + where);
    }
}

bool CMessageLogWriter::Stopped(std::int64_t n) const { return HasRecord(n) && !m_control.KeepWriting(); }

void CMessageLogWriter::FailureMessage(const std::string& errorText, const std::string& kept) {
    if (!m_pReceiver) return;
    std::string text = errorText + "\n" + m_abortText;
    if (!kept.empty()) text += "\n" + kept;
    m_pReceiver->OnMessage(text, MessageIcon::Stop);
}

std::string CMessageLogWriter::KeptText(std::int64_t records, const std::vector<std::string>& files) {
    if (records <= 0 || files.empty()) return {};
    std::string text = "Kept as an incomplete report: records 1 to " + std::to_string(records) + " in ";
    for (std::size_t i = 0; i < files.size(); ++i) text += (i ? ", " : "") + files[i];
    return text;
}

void CMessageLogWriter::Started() {
    if (m_pReceiver) m_pReceiver->OnStarted(0, 0);
}

void CMessageLogWriter::Progress() {
    if (m_pReceiver) m_pReceiver->OnProgress(0, 0);
}

void CMessageLogWriter::Finished(bool failed) {
    if (!m_pReceiver) return;
    if (failed) {
        m_pReceiver->OnFailed(0, 0);
    } else {
        m_pReceiver->OnCompleted(0, 0);
    }
}

// ---- CSV

// Every label is followed by a comma, the last one too.
void CMessageLogWriter::AppendCsvHeader(std::string& out) const {
    for (RecordColumn column : kAllRecordColumns) {
        out += RecordColumnLabel(column);
        out += ',';
    }
    out += "\r\n";
}

// No quoting: a text with a comma in it shifts the fields after it, as the report always did.
void CMessageLogWriter::AppendCsvLine(std::string& out, std::int64_t n) const {
    for (RecordColumn column : kAllRecordColumns) {
        if (column != RecordColumn::SrNo) out += ',';
        AppendRecordColumnText(m_format, column, n, out);
    }
    out += "\r\n";
}

void CMessageLogWriter::WriteCsv() {
    const bool parts = !m_options.standardOutput && m_count > kCsvRecordsPerFile;
    long long part = 1;
    CReportFile file;
    try {
        if (m_options.standardOutput) {
            file.OpenStandardOutput();
        } else {
            file.Open(parts ? PartFileName(m_criteria.m_szFileName, part) : m_criteria.m_szFileName);
        }
    } catch (const CFileError& e) {
        // Nothing was started: a message and no notification.
        FailureMessage(FileErrorText(e));
        return;
    }
    AppendCsvHeader(file.Text());
    m_control.BeginWriting();
    Started();

    bool failed = false;
    std::vector<std::string> written;  // the files closed so far, complete
    std::int64_t n = 1;
    try {
        for (; HasRecord(n) && m_control.KeepWriting(); ++n) {
            ReadRecord(n);
            AppendCsvLine(file.Text(), n);
            file.PieceDone();
            m_control.PausePoint();
            if (n % m_step == 0) Progress();
            if (parts && n % kCsvRecordsPerFile == 0 && n != m_count) {
                file.Close();
                written.push_back(file.Path());
                file.Open(PartFileName(m_criteria.m_szFileName, ++part));
                AppendCsvHeader(file.Text());
            }
        }
        if (m_options.discardOnStop && Stopped(n)) {
            file.Abandon();
        } else {
            file.Close();
        }
    } catch (const CFileError& e) {
        // A failed write may have cut a line: that file goes, the complete parts before it stay.
        failed = true;
        file.Abandon();
        FailureMessage(ErrorText(e), KeptText(static_cast<std::int64_t>(written.size()) * kCsvRecordsPerFile, written));
    } catch (const CVyxError& e) {
        // A record that cannot be read: the lines before it are whole and stay, named as incomplete.
        failed = true;
        if (file.IsOpen() && file.KeepPartial()) written.push_back(file.Path());
        FailureMessage(e.what(), KeptText(n - 1, written));
    }
    m_control.EndWriting();
    Finished(failed);
}

// ---- HTML

void CMessageLogWriter::AppendHtmlRow(std::string& out, std::int64_t n) const {
    html::AppendRowStart(out);
    for (const RecordColumnInfo& info : RecordColumns()) {
        html::AppendCellStart(out, info.alignRight ? "right" : "left");
        // Only what the column appended is escaped.
        const std::size_t from = out.size();
        AppendRecordColumnText(m_format, info.column, n, out);
        html::EscapeFrom(out, from);
        html::AppendCellEnd(out);
    }
    html::AppendRowEnd(out);
}

void CMessageLogWriter::WriteHtml() {
    CReportFile file;
    try {
        if (m_options.standardOutput) {
            file.OpenStandardOutput();
        } else {
            file.Open(m_criteria.m_szFileName);
        }
    } catch (const CFileError& e) {
        FailureMessage(FileErrorText(e));
        return;
    }
    m_control.BeginWriting();
    Started();

    bool failed = false;
    bool discarded = false;
    try {
        std::string& out = file.Text();
        // Rows in small Verdana, as the page's font size 1 always meant.
        html::AppendPageStart(out, "Message Log Report", "x-small", LocalTimeText(std::time(nullptr)));
        html::AppendTableStart(out);
        html::AppendHeaderRowStart(out);
        for (const RecordColumnInfo& info : RecordColumns()) {
            html::AppendHeaderCell(out, info.pageWidthPercent, info.alignRight ? "right" : "left",
                                   RecordColumnLabel(info.column));
        }
        html::AppendHeaderRowEnd(out);
        file.PieceDone();

        std::int64_t n = 1;
        try {
            for (; HasRecord(n) && m_control.KeepWriting(); ++n) {
                ReadRecord(n);
                AppendHtmlRow(file.Text(), n);
                file.PieceDone();
                m_control.PausePoint();
                if (n % m_step == 0) Progress();
            }
        } catch (const CFileError&) {
            throw;
        } catch (const CVyxError& e) {
            // A record that cannot be read: the rows before it are whole; the page is closed and kept.
            failed = true;
            html::AppendPageEnd(file.Text());
            const bool kept = !m_options.standardOutput && file.KeepPartial();
            FailureMessage(e.what(), kept ? KeptText(n - 1, {file.Path()}) : std::string());
        }
        if (!failed) {
            // Also after a stop: the page stays well formed.
            html::AppendPageEnd(file.Text());
            if (m_options.discardOnStop && Stopped(n)) {
                file.Abandon();
                discarded = true;
            } else {
                file.Close();
            }
        }
    } catch (const CFileError& e) {
        failed = true;
        file.Abandon();
        FailureMessage(ErrorText(e));
    }
    m_control.EndWriting();
    Finished(failed);
    if (!failed && !discarded && !m_options.standardOutput && m_pReceiver) {
        m_pReceiver->OnOpenDocument(m_criteria.m_szFileName);
    }
}

}  // namespace vyx
