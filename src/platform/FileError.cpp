#include "platform/FileError.h"

#include <cerrno>
#include <cstring>

namespace vyx {

std::string SystemErrorText(int errorNumber) {
    char buffer[256];
    // GNU strerror_r returns the text, which may or may not live in buffer.
    const char* text = strerror_r(errorNumber, buffer, sizeof buffer);
    return text ? std::string(text) : std::string("Unknown error");
}

static std::string MakeText(int errorNumber, const std::string& path) {
    std::string text = SystemErrorText(errorNumber);
    if (!path.empty()) text += ": " + path;
    return text;
}

CFileError::CFileError(int errorNumber, const std::string& path)
    : CVyxError(MakeText(errorNumber, path)), m_errno(errorNumber), m_path(path) {}

bool CFileError::IsDiskFull() const { return m_errno == ENOSPC || m_errno == EDQUOT; }

}  // namespace vyx
