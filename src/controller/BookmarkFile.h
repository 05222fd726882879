#pragma once
// The bookmarks of every data folder, kept across runs in one JSON file under the user's data folder
// ($XDG_DATA_HOME/vyx/bookmarks.json, by default ~/.local/share/vyx). A bookmark names its record by the day
// file and the offset in it, which no other order or filter changes. The file is replaced as a whole, never
// written in place. One that was read but is no bookmarks file is damaged: it is reported and set aside before
// anything is written over it. One that cannot be read at all (no permission, a read error, a folder in its
// place) is only reported: it may be whole, so it is neither renamed nor written over.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/FileError.h"

namespace vyx {

struct Bookmark {
    std::string dayFile;       // the day file's name within its folder
    std::uint64_t offset = 0;  // of the record's frame in the day file
    std::uint32_t time = 0;    // the record's time stamp, for listing without reading the day file
    std::string note;
    bool operator==(const Bookmark&) const = default;
};

using FolderBookmarks = std::vector<Bookmark>;

// The bookmarks file was read whole but is no bookmarks file of this version.
class CBookmarkFileDamaged : public CVyxError {
public:
    using CVyxError::CVyxError;
};

class CBookmarkFile {
public:
    // The file in the user's data folder.
    CBookmarkFile();
    explicit CBookmarkFile(std::string path) : m_path(std::move(path)) {}

    // $XDG_DATA_HOME/vyx/bookmarks.json, or ~/.local/share/vyx/bookmarks.json when XDG_DATA_HOME is unset,
    // empty or relative.
    static std::string DefaultPath();
    const std::string& Path() const { return m_path; }
    // The key a folder's bookmarks are kept under: its absolute, clean path without a trailing separator, so
    // that the viewer and `vyx bookmarks` name a folder alike however it was typed.
    static std::string FolderKey(const std::string& folder);

    // Every folder's bookmarks (folder paths without a trailing separator). A missing file has none. Throws
    // CBookmarkFileDamaged naming the file when it is no bookmarks file, CVyxError when it cannot be read.
    std::map<std::string, FolderBookmarks> Load() const;
    // One folder's bookmarks.
    FolderBookmarks LoadFolder(const std::string& folder) const;
    // Replaces one folder's bookmarks (none removes the folder) and writes the file anew, atomically,
    // creating its folder. Throws as Load does (a damaged file is set aside first; an unreadable one is left
    // as it is) and CVyxError on a failed write.
    void SaveFolder(const std::string& folder, const FolderBookmarks& bookmarks) const;
    // Renames a damaged file to "<file>.broken-<seconds since 1970>" so that it is kept; returns the new path.
    std::string SetAside() const;

private:
    std::string m_path;
};

}  // namespace vyx
