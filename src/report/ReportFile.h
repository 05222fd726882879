#pragma once
// A report file being written: text gathered in UTF-8, written in large blocks in ISO-8859-1, the character
// set the HTML pages declare.

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace vyx {

class CReportFile {
public:
    CReportFile() = default;
    ~CReportFile();  // closes quietly without writing what is left; call Close() to keep it
    CReportFile(const CReportFile&) = delete;
    CReportFile& operator=(const CReportFile&) = delete;

    // Creates or truncates the file, write-only. Throws CFileError.
    void Open(const std::string& path);
    // Writes to the process's standard output, which stays open afterwards.
    void OpenStandardOutput();
    bool IsOpen() const { return m_fd >= 0; }
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

    // Writes what is left and closes. Throws CFileError (a full disk shows here at the latest).
    void Close();
    // Closes without writing what is left: after a failure the file is given up anyway.
    void Abandon();

    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

private:
    void WriteText();
    void WriteAll(const char* data, std::size_t count);

    int m_fd = -1;
    bool m_ownsFd = false;
    std::string m_path;
    std::string m_text;
    std::string m_latin1;
};

// Creates (or truncates) the file and closes it again, to learn early whether it can be written: the
// workbook writer creates its file only at the end. Throws CFileError.
void CheckCanCreate(const std::string& path);

// The name of part k of a report: "_" and k inserted before the extension ("log.csv" gives "log_1.csv"). A
// path whose file name has no extension gets "_k" at its end.
std::string PartFileName(const std::string& path, long long part);

// The local time as "%d-%m-%Y - %I:%M:%S:%p" ("06-12-2026 - 02:05:09:PM"), whatever the process's locale.
std::string LocalTimeText(std::time_t time);

}  // namespace vyx
