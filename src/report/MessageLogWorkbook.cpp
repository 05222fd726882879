// The spreadsheet form of the Message Log report: 65535 records per sheet below a bold header row, three
// sheets per workbook, part files beyond that; the sheet names count on across the workbooks.

#include <array>
#include <memory>

#include "decode/RecordColumns.h"
#include "report/MessageLogWriter.h"
#include "report/ReportFile.h"
#include "report/ReportGenerator.h"
#include "report/ReportWorkbook.h"
#include "res/StringTable.h"

namespace vyx {
namespace {

std::array<WorkbookColumn, kRecordColumnCount> MessageLogColumns() {
    std::array<WorkbookColumn, kRecordColumnCount> columns{};
    for (const RecordColumnInfo& info : RecordColumns()) {
        columns[static_cast<std::size_t>(info.column)] = {RecordColumnLabel(info.column), info.workbookWidth};
    }
    return columns;
}

std::string SheetName(std::int64_t number) {
    return "Sheet" + std::to_string(number);
}

}  // namespace

void CMessageLogWriter::WriteWorkbook() {
    const std::int64_t perSheet = m_options.recordsPerSheet > 0 ? m_options.recordsPerSheet : kRecordsPerSheet;
    const std::int64_t perWorkbook = perSheet * kSheetsPerWorkbook;
    const std::string& chosen = m_criteria.m_szFileName;
    const auto columns = MessageLogColumns();
    const CScopedCNumericLocale cLocale;

    std::int64_t workbookNumber = 1;
    std::string path = m_count > perWorkbook ? PartFileName(chosen, workbookNumber) : chosen;
    auto workbook = std::make_unique<CReportWorkbook>();
    bool created = false;
    try {
        created = workbook->Create(path, m_options.workbookTempFolder);
    } catch (const CFileError& e) {
        FailureMessage(FileErrorText(e));
        return;
    }
    if (!created) {
        if (m_pReceiver) {
            m_pReceiver->OnMessage(std::string(res::LoadString(res::IDS_CANNOT_START_EXCEL)), MessageIcon::Stop);
        }
        return;
    }
    try {
        workbook->AddSheet(SheetName(1));
        workbook->WriteHeader(columns);
    } catch (const CWorkbookError& e) {
        FailureMessage(e.what());
        return;
    }
    m_control.BeginWriting();
    Started();

    // Rows in use on the sheet (1: the header), the first row of the pending batch, the sheet's place in
    // its workbook. Progress follows the batches of 1000 (or 200) records and the last partial batch.
    std::int64_t used = 1;
    std::int64_t batchFirst = 2;
    std::int64_t sheetInWorkbook = 1;
    bool sheetFull = false;
    bool failed = false;
    std::string failure;
    CWorkbookCloser closer;
    std::array<std::string, 7> cells;
    std::int64_t n = 1;
    try {
        for (; HasRecord(n) && m_control.KeepWriting(); ++n) {
            // The next sheet (or workbook) is begun only when a record goes onto it: a run that ends on a
            // full sheet leaves no empty one behind.
            if (sheetFull) {
                if (sheetInWorkbook % kSheetsPerWorkbook == 0) {
                    closer.CloseLater(std::move(workbook));
                    ++workbookNumber;
                    sheetInWorkbook = 1;
                    path = PartFileName(chosen, workbookNumber);
                    workbook = std::make_unique<CReportWorkbook>();
                    if (!workbook->Create(path, m_options.workbookTempFolder)) {
                        throw CWorkbookError(LXW_ERROR_MEMORY_MALLOC_FAILED);
                    }
                } else {
                    ++sheetInWorkbook;
                }
                workbook->AddSheet(SheetName(sheetInWorkbook + kSheetsPerWorkbook * (workbookNumber - 1)));
                workbook->WriteHeader(columns);
                sheetFull = false;
            }

            ReadRecord(n);
            for (RecordColumn column : kAllRecordColumns) {
                std::string& cell = cells[static_cast<std::size_t>(column)];
                cell.clear();
                AppendRecordColumnText(m_format, column, n, cell);
            }
            for (std::size_t c = 0; c < cells.size(); ++c) {
                workbook->WriteText(static_cast<std::uint32_t>(used), static_cast<std::uint16_t>(c), cells[c]);
            }
            ++used;

            if (used == perSheet + 1) {
                sheetFull = true;
                batchFirst = 2;
                used = 1;
            } else if (n % m_step == 0) {
                Progress();
                batchFirst = used + 1;
            }
            m_control.PausePoint();
        }
        if (used >= batchFirst) Progress();
        // The earlier workbook first: closes never overlap, and its error is the earlier one.
        closer.Wait();
        if (m_options.discardOnStop && Stopped(n)) {
            workbook->Discard();
        } else {
            workbook->Close();
        }
    } catch (const CWorkbookError& e) {
        failed = true;
        failure = e.what();
    } catch (const CFileError& e) {
        failed = true;
        failure = FileErrorText(e);
    } catch (const CVyxError& e) {
        failed = true;
        failure = e.what();
    }
    if (failed) {
        // What was written stays in the workbooks, named as incomplete; their own errors are no news now.
        try {
            closer.Wait();
        } catch (...) {
        }
        std::vector<std::string> kept = closer.Saved();
        // Every workbook handed to the closer was full.
        std::int64_t keptRecords = static_cast<std::int64_t>(kept.size()) * perWorkbook;
        if (workbook) {
            try {
                workbook->Close();
            } catch (...) {
            }
            if (workbook->IsSaved()) {
                kept.push_back(workbook->Path());
                keptRecords = n - 1;
            }
        }
        workbook.reset();
        FailureMessage(failure, KeptText(keptRecords, kept));
    }
    m_control.EndWriting();
    Finished(failed);
}

}  // namespace vyx
