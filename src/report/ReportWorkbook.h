#pragma once
// A spreadsheet workbook (.xlsx) written row by row in libxlsxwriter's constant-memory mode: rows go to a
// temporary file as they are written and only the current row is held in memory; the workbook file itself
// is written when it is closed.

#include <cstdint>
#include <future>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <xlsxwriter.h>

#include "platform/FileError.h"
#include "platform/PendingOutput.h"

namespace vyx {

// How hard a workbook's zip package is compressed.
//
// libxlsxwriter packs each workbook through minizip at zlib's default level, which costs more time than
// writing all the rows: it decides how fast a spreadsheet report can go. The library has no setting for
// it, so this program wraps the one minizip entry point the library calls to start a packed file, and the
// wrapper passes the level chosen here on to minizip. The workbooks stay ordinary deflated .xlsx files,
// about a quarter larger at the fastest level.

constexpr int kWorkbookFastestLevel = 1;   // zlib's best speed
constexpr int kWorkbookDefaultLevel = -1;  // zlib's default (6)

// The deflate level for workbooks written from now on (by any thread); the fastest unless changed.
void SetWorkbookCompressionLevel(int level);
int WorkbookCompressionLevel();

// True when the wrapper is the entry point the spreadsheet library actually calls (it is not when the
// library was built with a zip writer of its own; then its default level applies).
bool WorkbookCompressionWrapperActive();

struct WorkbookColumn {
    std::string_view label;
    double width;  // in characters, as the spreadsheet counts column widths
};

// A failed spreadsheet call; the text describes it. A failed file operation of the zip writer is described
// by the system's error when there is one ("No space left on device"), as other report files are.
class CWorkbookError : public CVyxError {
public:
    explicit CWorkbookError(lxw_error error, int systemError = 0);
    lxw_error Error() const { return m_error; }

private:
    lxw_error m_error;
};

// Keeps LC_NUMERIC at "C" on this thread for its lifetime: libxlsxwriter formats numbers such as column
// widths with printf, and a decimal comma would break the workbook's XML.
class CScopedCNumericLocale {
public:
    CScopedCNumericLocale();
    ~CScopedCNumericLocale();
    CScopedCNumericLocale(const CScopedCNumericLocale&) = delete;
    CScopedCNumericLocale& operator=(const CScopedCNumericLocale&) = delete;

private:
    locale_t m_locale;
    locale_t m_previous;
};

class CReportWorkbook {
public:
    CReportWorkbook() = default;
    // A workbook never closed is closed here and kept with the rows it has (a failed run keeps what it
    // wrote), its errors unseen.
    ~CReportWorkbook();
    CReportWorkbook(const CReportWorkbook&) = delete;
    CReportWorkbook& operator=(const CReportWorkbook&) = delete;

    // Starts a workbook that Close() writes to path (under a temporary name beside it, renamed when it is
    // complete); its row files go to a folder of its own inside tempFolder, removed with anything left in it
    // when the workbook closes. Throws CFileError when the file cannot be created beside path; false when
    // the library cannot set up a workbook.
    bool Create(const std::string& path, const std::string& tempFolder);
    const std::string& Path() const { return m_path; }

    // Adds a sheet and makes it the one rows are written to. Throws CWorkbookError.
    void AddSheet(const std::string& name);
    // Row 1: the labels in bold, the column widths, and column A right-aligned from row 1 down.
    void WriteHeader(std::span<const WorkbookColumn> columns);
    // A text cell of the current sheet; row and column 0-based, rows in ascending order. Column A is
    // right-aligned. An empty text leaves the cell empty. Throws CWorkbookError.
    void WriteText(std::uint32_t row, std::uint16_t column, const std::string& text);
    // A number cell, shown through a number format of NumberFormat (null: the general format). Throws
    // CWorkbookError.
    void WriteNumber(std::uint32_t row, std::uint16_t column, double value, lxw_format* format = nullptr);
    // A cell format with that number format (for example "yyyy-mm-dd hh:mm:ss"); owned by the workbook.
    // Throws CWorkbookError.
    lxw_format* NumberFormat(const std::string& pattern);

    // Writes the workbook file, gives it its name and frees everything. Throws CWorkbookError, CFileError.
    void Close();
    // Frees everything and leaves no file (an existing file of the name stays as it was).
    void Discard() noexcept;
    // True once Close has written the file under its name.
    bool IsSaved() const { return m_saved; }

private:
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_bold = nullptr;
    lxw_format* m_boldRight = nullptr;
    lxw_format* m_right = nullptr;
    std::string m_path;
    CPendingOutput m_output;
    bool m_saved = false;
    std::string m_tempFolder;
    std::string m_ownFolder;  // made for this workbook inside the temporary folder; removed when it closes
};

// Closes a finished workbook on a thread of its own, so the next one can be filled meanwhile: writing the
// file compresses every sheet and takes as long as filling them did.
class CWorkbookCloser {
public:
    CWorkbookCloser() = default;
    ~CWorkbookCloser();  // waits, errors unseen
    CWorkbookCloser(const CWorkbookCloser&) = delete;
    CWorkbookCloser& operator=(const CWorkbookCloser&) = delete;

    // Waits for the workbook closed before, then starts closing this one. Throws the earlier one's error.
    void CloseLater(std::unique_ptr<CReportWorkbook> workbook);
    // Waits for the workbook being closed; throws its error.
    void Wait();
    // The workbooks this closer has written and named, in order.
    const std::vector<std::string>& Saved() const { return m_saved; }

private:
    std::future<std::string> m_pending;
    std::vector<std::string> m_saved;
};

}  // namespace vyx
