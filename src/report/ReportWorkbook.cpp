#include "report/ReportWorkbook.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

namespace vyx {
namespace {

// Closing a workbook writes its creation time through gmtime(), whose result lives in one buffer for the
// whole process: two workbooks must not close at the same time.
std::mutex g_closeMutex;

std::atomic<int> g_level{kWorkbookFastestLevel};

constexpr int kDeflated = 8;             // zip method "deflated"
constexpr int kZipInternalError = -104;  // minizip's ZIP_INTERNALERROR

lxw_error CloseWorkbook(lxw_workbook* book) {
    const CScopedCNumericLocale cLocale;
    std::lock_guard lock(g_closeMutex);
    return workbook_close(book);
}

// A folder of its own for one workbook's row files; empty when it cannot be made.
std::string MakeWorkbookFolder(const std::string& tempFolder) {
    if (tempFolder.empty()) return {};
    std::string pattern = tempFolder + "/workbook.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

// The spreadsheet library leaves a row file open when writing the workbook fails. Nothing else opens files
// in a workbook's own folder, so whatever still points into it once the workbook is closed is such a file.
void ReleaseWorkbookFolder(const std::string& folder) {
    if (folder.empty()) return;
    const std::string prefix = folder + "/";
    std::error_code error;
    std::vector<int> leftovers;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        const auto target = std::filesystem::read_symlink(entry.path(), error);
        if (error || target.native().rfind(prefix, 0) != 0) continue;
        leftovers.push_back(std::atoi(entry.path().filename().c_str()));
    }
    for (const int fd : leftovers) ::close(fd);
    std::filesystem::remove_all(folder, error);
}

}  // namespace

void SetWorkbookCompressionLevel(int level) {
    g_level.store(level);
}

int WorkbookCompressionLevel() {
    return g_level.load();
}

}  // namespace vyx

extern "C" {

// minizip's types as its zip.h spells them: zipFile is an opaque pointer, uInt and uLong are unsigned int
// and unsigned long, and zip_fileinfo is only passed through.
using MinizipOpenNewFile = int (*)(void*, const char*, const void*, const void*, unsigned, const void*, unsigned,
                                   const char*, int, int, int, int, int, int, const char*, unsigned long, unsigned long,
                                   unsigned long, int);

// Same signature as minizip's zipOpenNewFileInZip4_64; the executable's definition comes first in symbol
// lookup, so the spreadsheet library's calls land here. Everything but the level goes through unchanged.
__attribute__((visibility("default"))) int zipOpenNewFileInZip4_64(
    void* file, const char* filename, const void* fileInfo, const void* extraLocal, unsigned extraLocalSize,
    const void* extraGlobal, unsigned extraGlobalSize, const char* comment, int method, int level, int raw,
    int windowBits, int memLevel, int strategy, const char* password, unsigned long crcForCrypting,
    unsigned long versionMadeBy, unsigned long flagBase, int zip64) {
    static const auto next = reinterpret_cast<MinizipOpenNewFile>(dlsym(RTLD_NEXT, "zipOpenNewFileInZip4_64"));
    if (next == nullptr) return vyx::kZipInternalError;
    if (method == vyx::kDeflated) level = vyx::g_level.load();
    return next(file, filename, fileInfo, extraLocal, extraLocalSize, extraGlobal, extraGlobalSize, comment, method,
                level, raw, windowBits, memLevel, strategy, password, crcForCrypting, versionMadeBy, flagBase, zip64);
}

}  // extern "C"

namespace vyx {

bool WorkbookCompressionWrapperActive() {
    return dlsym(RTLD_DEFAULT, "zipOpenNewFileInZip4_64") == reinterpret_cast<void*>(&zipOpenNewFileInZip4_64);
}

namespace {

std::string WorkbookErrorText(lxw_error error, int systemError) {
    if (error == LXW_ERROR_ZIP_FILE_OPERATION && systemError != 0) {
        return std::system_category().message(systemError);
    }
    return lxw_strerror(error);
}

}  // namespace

CWorkbookError::CWorkbookError(lxw_error error, int systemError)
    : CVyxError(WorkbookErrorText(error, systemError)), m_error(error) {}

CScopedCNumericLocale::CScopedCNumericLocale()
    : m_locale(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))),
      m_previous(m_locale ? uselocale(m_locale) : static_cast<locale_t>(nullptr)) {}

CScopedCNumericLocale::~CScopedCNumericLocale() {
    if (!m_locale) return;
    uselocale(m_previous);
    freelocale(m_locale);
}

CReportWorkbook::~CReportWorkbook() {
    try {
        Close();
    } catch (...) {
        m_output.Discard();
    }
    ReleaseWorkbookFolder(m_ownFolder);
}

bool CReportWorkbook::Create(const std::string& path, const std::string& tempFolder) {
    m_path = path;
    // Created now, to learn before any row is written whether the folder takes the file.
    m_output = CPendingOutput(path);
    m_output.CloseDescriptor();
    m_ownFolder = MakeWorkbookFolder(tempFolder);
    m_tempFolder = m_ownFolder.empty() ? tempFolder : m_ownFolder;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_tempFolder.empty() ? nullptr : m_tempFolder.data();
    // Part files keep each workbook far below 4 GiB, but a sheet of long texts can pass it uncompressed.
    options.use_zip64 = LXW_TRUE;
    m_book = workbook_new_opt(m_output.TempPath().c_str(), &options);
    if (!m_book) return false;
    m_bold = workbook_add_format(m_book);
    m_boldRight = workbook_add_format(m_book);
    m_right = workbook_add_format(m_book);
    if (!m_bold || !m_boldRight || !m_right) return false;
    format_set_bold(m_bold);
    format_set_bold(m_boldRight);
    format_set_align(m_boldRight, LXW_ALIGN_RIGHT);
    format_set_align(m_right, LXW_ALIGN_RIGHT);
    return true;
}

void CReportWorkbook::AddSheet(const std::string& name) {
    lxw_worksheet* sheet = workbook_add_worksheet(m_book, name.c_str());
    if (!sheet) throw CWorkbookError(LXW_ERROR_CREATING_TMPFILE);
    m_sheet = sheet;
}

void CReportWorkbook::WriteHeader(std::span<const WorkbookColumn> columns) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const auto column = static_cast<lxw_col_t>(i);
        const std::string label(columns[i].label);
        lxw_error error = worksheet_write_string(m_sheet, 0, column, label.c_str(), i == 0 ? m_boldRight : m_bold);
        if (error == LXW_NO_ERROR) {
            error = worksheet_set_column(m_sheet, column, column, columns[i].width, i == 0 ? m_right : nullptr);
        }
        if (error != LXW_NO_ERROR) throw CWorkbookError(error);
    }
}

void CReportWorkbook::WriteText(std::uint32_t row, std::uint16_t column, const std::string& text) {
    if (text.empty()) return;
    const lxw_error error = worksheet_write_string(m_sheet, row, column, text.c_str(), column == 0 ? m_right : nullptr);
    if (error != LXW_NO_ERROR) throw CWorkbookError(error);
}

void CReportWorkbook::WriteNumber(std::uint32_t row, std::uint16_t column, double value, lxw_format* format) {
    const lxw_error error = worksheet_write_number(m_sheet, row, column, value, format);
    if (error != LXW_NO_ERROR) throw CWorkbookError(error);
}

lxw_format* CReportWorkbook::NumberFormat(const std::string& pattern) {
    lxw_format* format = workbook_add_format(m_book);
    if (!format) throw CWorkbookError(LXW_ERROR_MEMORY_MALLOC_FAILED);
    format_set_num_format(format, pattern.c_str());
    return format;
}

void CReportWorkbook::Close() {
    if (!m_book) return;
    lxw_workbook* book = m_book;
    m_book = nullptr;
    m_sheet = nullptr;
    errno = 0;
    const lxw_error error = CloseWorkbook(book);
    const int systemError = errno;
    ReleaseWorkbookFolder(m_ownFolder);
    m_ownFolder.clear();
    if (error != LXW_NO_ERROR) {
        m_output.Discard();
        throw CWorkbookError(error, systemError);
    }
    m_output.Commit();
    m_saved = true;
}

void CReportWorkbook::Discard() noexcept {
    if (m_book) CloseWorkbook(m_book);
    m_book = nullptr;
    m_sheet = nullptr;
    ReleaseWorkbookFolder(m_ownFolder);
    m_ownFolder.clear();
    m_output.Discard();
}

CWorkbookCloser::~CWorkbookCloser() {
    try {
        Wait();
    } catch (...) {
        // Only a run that already failed leaves a close behind unseen.
    }
}

void CWorkbookCloser::CloseLater(std::unique_ptr<CReportWorkbook> workbook) {
    Wait();
    m_pending = std::async(std::launch::async, [book = std::move(workbook)] {
        book->Close();
        return book->Path();
    });
}

void CWorkbookCloser::Wait() {
    if (!m_pending.valid()) return;
    std::future<std::string> pending = std::move(m_pending);
    m_saved.push_back(pending.get());
}

}  // namespace vyx
