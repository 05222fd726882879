#pragma once
// Errors the core reports to the user. The text is what the user sees.

#include <stdexcept>
#include <string>

namespace vyx {

// A failure with a user-facing text.
class CVyxError : public std::runtime_error {
public:
    explicit CVyxError(const std::string& text) : std::runtime_error(text) {}
};

// A failed file operation: carries the system error number so callers can tell disk-full apart.
class CFileError : public CVyxError {
public:
    CFileError(int errorNumber, const std::string& path);

    int ErrorNumber() const { return m_errno; }
    const std::string& Path() const { return m_path; }
    bool IsDiskFull() const;

private:
    int m_errno;
    std::string m_path;
};

// The platform's text for an error number ("No space left on device", ...).
std::string SystemErrorText(int errorNumber);

}  // namespace vyx
