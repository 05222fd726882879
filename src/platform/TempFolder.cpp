#include "platform/TempFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "platform/FileError.h"

namespace vyx {
namespace {

std::string MakeFreshFolder(const std::string& parent, const char* prefix) {
    std::string pattern = parent + "/" + prefix + "XXXXXX";
    // mkdtemp makes a new directory of mode 0700 under a name nobody could have prepared.
    if (::mkdtemp(pattern.data()) == nullptr) throw CFileError(errno, parent);
    return pattern;
}

void WriteOwnerFile(const std::string& folder) {
    const ProcessIdentity self = ThisProcess();
    const std::string text = std::to_string(self.pid) + " " + std::to_string(self.startTime) + "\n";
    const std::string path = folder + "/" + kRunFolderOwnerFile;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) throw CFileError(errno, path);
    const ssize_t written = ::write(fd, text.data(), text.size());
    const int error = written < 0 ? errno : ENOSPC;
    ::close(fd);
    if (written != static_cast<ssize_t>(text.size())) throw CFileError(error, path);
}

}  // namespace

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

std::optional<ProcessIdentity> ReadRunFolderOwner(const std::string& runFolder) {
    const std::string path = runFolder + "/" + kRunFolderOwnerFile;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return std::nullopt;
    char buffer[64];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    // The line is complete only with its newline: an owner still being written is not read as another.
    if (n <= 0 || buffer[n - 1] != '\n') return std::nullopt;
    const char* end = buffer + n - 1;
    ProcessIdentity owner;
    const auto pid = std::from_chars(buffer, end, owner.pid);
    if (pid.ec != std::errc() || pid.ptr == end || *pid.ptr != ' ') return std::nullopt;
    const auto start = std::from_chars(pid.ptr + 1, end, owner.startTime);
    if (start.ec != std::errc() || start.ptr != end || owner.pid <= 0) return std::nullopt;
    return owner;
}

std::string KeepInFolderOfItsOwn(const std::string& file, const std::string& parent) {
    const std::string folder = MakeFreshFolder(parent, "log-");
    const std::string kept = folder + "/" + std::filesystem::path(file).filename().string();
    if (::rename(file.c_str(), kept.c_str()) != 0) {
        const int error = errno;
        ::rmdir(folder.c_str());
        throw CFileError(error, file);
    }
    return kept;
}

CScopedTempFolder::CScopedTempFolder() : CScopedTempFolder(PrivateTempFolder()) {}

CScopedTempFolder::CScopedTempFolder(const std::string& parent) : m_path(MakeFreshFolder(parent, "run-")) {
    try {
        WriteOwnerFile(m_path);
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
        throw;
    }
}

CScopedTempFolder::~CScopedTempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

}  // namespace vyx
