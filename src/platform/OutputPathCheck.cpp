#include "platform/OutputPathCheck.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "platform/File.h"

namespace vyx {
namespace {

namespace fs = std::filesystem;

struct FileId {
    dev_t device;
    ino_t inode;
    bool operator==(const FileId&) const = default;
};

// Follows links, as opening the file would.
std::optional<FileId> IdOf(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

fs::path Absolute(const fs::path& path) {
    std::error_code ec;
    fs::path result = fs::absolute(path, ec);
    return ec ? path : result;
}

// Links resolved in every part that exists; the rest is taken as written, without "." and "..".
fs::path Canonical(const fs::path& path) {
    std::error_code ec;
    fs::path result = fs::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : result;
}

// Both canonical: compared by whole name parts, so "/data2/x" is not within "/data".
bool IsWithin(const fs::path& path, const fs::path& folder) {
    const auto [inFolder, inPath] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    (void)inPath;
    return inFolder == folder.end();
}

bool FolderHoldsFile(const fs::path& folder, FileId file) {
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (IdOf(it->path()) == file) return true;
    }
    return false;
}

}  // namespace

OutputPlace PlaceOfOutput(const std::string& output, const std::string& folder) {
    if (output.empty() || folder.empty()) return OutputPlace::Outside;
    const fs::path folderPath = Canonical(Absolute(folder));
    const fs::path named = Absolute(output);
    const fs::path target = LinkTarget(named.string());
    const bool viaLink = target != named;
    const fs::path resolved = Canonical(target);
    const OutputPlace inside = viaLink ? OutputPlace::LinkIntoFolder : OutputPlace::InsideFolder;
    if (IsWithin(resolved, folderPath)) return inside;

    const auto folderId = IdOf(folderPath);
    if (!folderId) return OutputPlace::Outside;
    // The same folder under another name: a bind mount, or a name the canonical form does not reach.
    for (fs::path dir = resolved;; dir = dir.parent_path()) {
        if (IdOf(dir) == folderId) return inside;
        if (dir == dir.parent_path()) break;
    }
    // A hard link elsewhere to one of the folder's files is that file.
    struct stat st {};
    if (::stat(resolved.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink > 1 &&
        FolderHoldsFile(folderPath, FileId{st.st_dev, st.st_ino})) {
        return OutputPlace::LinkIntoFolder;
    }
    return OutputPlace::Outside;
}

}  // namespace vyx
