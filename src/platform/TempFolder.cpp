#include "platform/TempFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/FileError.h"

namespace vyx {

std::string EnsurePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) throw CFileError(errno, path);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) throw CFileError(errno, path);
    if (S_ISLNK(st.st_mode)) throw CVyxError("The temporary folder is a symbolic link: " + path);
    if (!S_ISDIR(st.st_mode)) throw CVyxError("The temporary folder is not a directory: " + path);
    if (st.st_uid != ::geteuid()) throw CVyxError("The temporary folder belongs to another user: " + path);
    // Ours, but perhaps made by an older tool with a looser mode: close it to others.
    if ((st.st_mode & 0077) != 0 && ::chmod(path.c_str(), 0700) != 0) throw CFileError(errno, path);
    return path;
}

std::string PrivateTempFolder() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    const std::string path = (base / ("vyx-" + std::to_string(::geteuid()))).string();
    return EnsurePrivateFolder(path);
}

CScopedTempFolder::CScopedTempFolder() : CScopedTempFolder(PrivateTempFolder()) {}

CScopedTempFolder::CScopedTempFolder(const std::string& parent) {
    std::string pattern = parent + "/run-XXXXXX";
    // mkdtemp makes a new directory of mode 0700 under a name nobody could have prepared.
    if (::mkdtemp(pattern.data()) == nullptr) throw CFileError(errno, parent);
    m_path = pattern;
}

CScopedTempFolder::~CScopedTempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

}  // namespace vyx
