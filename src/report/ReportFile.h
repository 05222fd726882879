#pragma once
// A report file being written: text gathered in UTF-8, written in large blocks in ISO-8859-1, the character
// set the HTML pages declare. It is written under a temporary name beside the chosen one and takes that
// name only when it is closed: until then an existing file of that name stays as it was.

#include <cstddef>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

#include "platform/BackgroundFileWriter.h"
#include "platform/PendingOutput.h"
#include "platform/SequentialFileSpace.h"

namespace vyx {

class CReportFile {
public:
    CReportFile() = default;
    ~CReportFile();  // removes the file without writing what is left; call Close() to keep it
    CReportFile(const CReportFile&) = delete;
    CReportFile& operator=(const CReportFile&) = delete;

    // Starts the file under a temporary name beside path. Throws CFileError.
    void Open(const std::string& path);
    // Writes to the process's standard output, which stays open afterwards.
    void OpenStandardOutput();
    bool IsOpen() const { return m_fd >= 0; }
    // From here on the blocks are written on a thread of their own while the caller goes on formatting (an
    // export of gigabytes). A failed write then shows at a later PieceDone or at Close.
    void WriteInBackground();
    const std::string& Path() const { return m_path; }

    // The text not yet written. Writers append whole pieces (a line, a table row) and then call PieceDone,
    // so a block never ends inside a character.
    std::string& Text() { return m_text; }
    void PieceDone() {
        if (m_text.size() >= kBlockBytes) WriteText();
    }
    void Append(std::string_view utf8) {
        m_text += utf8;
        PieceDone();
    }

    // Writes what is left, closes and gives the file its name. Throws CFileError (a full disk shows here at
    // the latest).
    void Close();
    // After a failure that left only whole pieces behind: keeps what was written, as Close does. False when
    // even that fails (the file is then removed).
    bool KeepPartial() noexcept;
    // Closes and removes the file without writing what is left: after a failed write its end is cut.
    void Abandon();

    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

private:
    void WriteText();
    void WriteAll(const char* data, std::size_t count);

    int m_fd = -1;
    bool m_ownsFd = false;
    CPendingOutput m_pending;
    CSequentialFileSpace m_space;  // of the file this writes; none for standard output
    std::string m_path;
    std::string m_text;
    std::string m_latin1;
    std::unique_ptr<CBackgroundFileWriter> m_background;
};

// The name of part k of a report: "_" and k inserted before the extension ("log.csv" gives "log_1.csv"). A
// path whose file name has no extension gets "_k" at its end.
std::string PartFileName(const std::string& path, long long part);

// The local time as "%d-%m-%Y - %I:%M:%S:%p" ("06-12-2026 - 02:05:09:PM"), whatever the process's locale.
std::string LocalTimeText(std::time_t time);

}  // namespace vyx
