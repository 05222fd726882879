#pragma once
// The bookmarks of the folder shown: toggled on the current row (Ctrl+F2), visited in turn (F2, Shift+F2) and
// listed in a dock with their row in the current load and a note the user can edit. They are kept in the
// user's bookmarks file at every change; a damaged file is set aside and reported, never written over.

#include <QDockWidget>
#include <functional>
#include <optional>

#include "controller/BookmarkFile.h"
#include "controller/Bookmarks.h"

class QTableWidget;

namespace vyx {
class CRecordDatabase;
}

namespace vyx::gui {

class BookmarksDock : public QDockWidget {
    Q_OBJECT
public:
    // notice shows a text in the window's notice bar.
    BookmarksDock(QWidget* parent, std::function<void(const QString&)> notice);

    // The bookmarks file (tests point it elsewhere); read again at the next OpenFolder.
    void SetFile(CBookmarkFile file) { m_file = std::move(file); }
    // A folder is shown: its bookmarks are read.
    void OpenFolder(const std::string& folder);
    // The rows of the bookmarks in the load now shown (after a load, a sort, a filter).
    void Refresh(const CRecordDatabase& store);

    void Toggle(const CRecordDatabase& store, std::int64_t serial);
    std::optional<std::int64_t> Next(const CRecordDatabase& store, std::int64_t from) const;
    std::optional<std::int64_t> Previous(const CRecordDatabase& store, std::int64_t from) const;
    const CBookmarks& Bookmarks() const { return m_bookmarks; }
    QTableWidget* Table() const { return m_table; }

signals:
    // A bookmark's row was double-clicked: select it.
    void recordRequested(std::int64_t serial);

private:
    void Save();
    void Fill(const CRecordDatabase* store);

    std::function<void(const QString&)> m_notice;
    CBookmarkFile m_file;
    CBookmarks m_bookmarks;
    bool m_fileUsable = true;  // false when it could not be read and could not be set aside either
    bool m_filling = false;
    QTableWidget* m_table = nullptr;
};

}  // namespace vyx::gui
