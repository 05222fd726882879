#pragma once
// The bookmarks of the folder shown, against the current load: each one is kept by its place (day file and
// offset), and turned into the row it has in the load shown now, so bookmarks survive another order, a
// filter (a bookmark whose record is filtered out has no row until the filter lets it in again) and a restart.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "controller/BookmarkFile.h"
#include "logdata/RecordDatabase.h"

namespace vyx {

class CBookmarks {
public:
    // The folder's bookmarks as the file holds them (none when the folder has none), under the folder's key
    // (CBookmarkFile::FolderKey); the store may name the same folder otherwise.
    void Open(std::string folder, FolderBookmarks bookmarks);
    const std::string& Folder() const { return m_folder; }
    const FolderBookmarks& List() const { return m_bookmarks; }

    // Adds a bookmark on the row, or removes the one it has. True when one was added. Nothing happens for a
    // row that is not published.
    bool Toggle(const CRecordDatabase& store, SerialNumber serial);
    // Whether the row carries a bookmark.
    bool IsMarked(const CRecordDatabase& store, SerialNumber serial) const;
    // The row of a bookmark in the current load; nothing when the load has no row for its record.
    std::optional<SerialNumber> SerialOf(const CRecordDatabase& store, std::size_t index) const;
    // The nearest bookmarked row after (or before) `from`, wrapping round at the end; nothing when no
    // bookmark has a row. from may be -1 (no row selected).
    std::optional<SerialNumber> Next(const CRecordDatabase& store, SerialNumber from) const;
    std::optional<SerialNumber> Previous(const CRecordDatabase& store, SerialNumber from) const;
    void SetNote(std::size_t index, std::string note);
    void Remove(std::size_t index);

private:
    // The bookmark's day file as the store names it; empty when the store holds another folder.
    std::string PathOf(const CRecordDatabase& store, const Bookmark& bookmark) const;
    std::vector<SerialNumber> Rows(const CRecordDatabase& store) const;  // rows of the bookmarks, sorted

    std::string m_folder;
    FolderBookmarks m_bookmarks;
    // The folder of the store's day files as it was opened (a link, "..", relative) and whether its key is
    // m_folder: resolved once per folder name, not for every bookmark.
    mutable std::string m_storeFolder;
    mutable bool m_storeFolderIsOurs = false;
    mutable bool m_storeFolderKnown = false;
};

}  // namespace vyx
