#include "controller/Bookmarks.h"

#include <algorithm>

#include "platform/FileError.h"

namespace vyx {
namespace {

std::string FileName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void CBookmarks::Open(std::string folder, FolderBookmarks bookmarks) {
    m_folder = std::move(folder);
    m_bookmarks = std::move(bookmarks);
    m_storeFolderKnown = false;
}

std::string CBookmarks::PathOf(const CRecordDatabase& store, const Bookmark& bookmark) const {
    const auto& files = store.Files();
    if (files.empty()) return {};
    // Every day file of a load lies in the one folder the load was given, named as it was given.
    const std::string& path = files.front()->Path();
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);  // "" is the root
    if (!m_storeFolderKnown || folder != m_storeFolder) {
        m_storeFolder = folder;
        m_storeFolderIsOurs = CBookmarkFile::FolderKey(folder.empty() ? "/" : folder) == m_folder;
        m_storeFolderKnown = true;
    }
    return m_storeFolderIsOurs ? folder + "/" + bookmark.dayFile : std::string();
}

bool CBookmarks::Toggle(const CRecordDatabase& store, SerialNumber serial) {
    const std::optional<RecordLocation> place = store.LocationOf(serial);
    CRecord record;
    if (!place || !store.GetRecord(serial, record)) return false;
    const std::string name = FileName(place->dayFile);
    const auto it = std::find_if(m_bookmarks.begin(), m_bookmarks.end(), [&](const Bookmark& b) {
        return b.dayFile == name && b.offset == place->offset;
    });
    if (it != m_bookmarks.end()) {
        m_bookmarks.erase(it);
        return false;
    }
    // Kept in the order of their places, which is the stored order.
    Bookmark bookmark{name, place->offset, record.m_nTime, {}};
    const auto at = std::lower_bound(m_bookmarks.begin(), m_bookmarks.end(), bookmark, [](const Bookmark& a, const Bookmark& b) {
        return a.dayFile != b.dayFile ? a.dayFile < b.dayFile : a.offset < b.offset;
    });
    m_bookmarks.insert(at, std::move(bookmark));
    return true;
}

std::optional<SerialNumber> CBookmarks::SerialOf(const CRecordDatabase& store, std::size_t index) const {
    if (index >= m_bookmarks.size()) return std::nullopt;
    const Bookmark& bookmark = m_bookmarks[index];
    const std::string path = PathOf(store, bookmark);
    if (path.empty()) return std::nullopt;
    try {
        return store.SerialAt({path, bookmark.offset});
    } catch (const CVyxError&) {
        return std::nullopt;  // its day file cannot be read now: the bookmark has no row
    }
}

bool CBookmarks::IsMarked(const CRecordDatabase& store, SerialNumber serial) const {
    for (std::size_t i = 0; i < m_bookmarks.size(); ++i)
        if (SerialOf(store, i) == serial) return true;
    return false;
}

std::vector<SerialNumber> CBookmarks::Rows(const CRecordDatabase& store) const {
    std::vector<SerialNumber> rows;
    for (std::size_t i = 0; i < m_bookmarks.size(); ++i)
        if (const auto serial = SerialOf(store, i)) rows.push_back(*serial);
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::optional<SerialNumber> CBookmarks::Next(const CRecordDatabase& store, SerialNumber from) const {
    const std::vector<SerialNumber> rows = Rows(store);
    if (rows.empty()) return std::nullopt;
    const auto it = std::upper_bound(rows.begin(), rows.end(), from);
    return it == rows.end() ? rows.front() : *it;
}

std::optional<SerialNumber> CBookmarks::Previous(const CRecordDatabase& store, SerialNumber from) const {
    const std::vector<SerialNumber> rows = Rows(store);
    if (rows.empty()) return std::nullopt;
    const auto it = std::lower_bound(rows.begin(), rows.end(), from < 0 ? rows.back() + 1 : from);
    return it == rows.begin() ? rows.back() : *(it - 1);
}

void CBookmarks::SetNote(std::size_t index, std::string note) {
    if (index < m_bookmarks.size()) m_bookmarks[index].note = std::move(note);
}

void CBookmarks::Remove(std::size_t index) {
    if (index < m_bookmarks.size()) m_bookmarks.erase(m_bookmarks.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace vyx
