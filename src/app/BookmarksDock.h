#pragma once
// The bookmarks of the folder shown: toggled on the current row (Ctrl+F2), visited in turn (F2, Shift+F2) and
// listed in a dock with their row in the current load and a note the user can edit. They are kept in the
// user's bookmarks file at every change; a damaged file is set aside and reported, never written over, and
// one that cannot be read is reported and left as it is.

#include <QDockWidget>
#include <functional>
#include <optional>

#include "controller/BookmarkFile.h"
#include "controller/Bookmarks.h"

class QTableWidget;

namespace vyx {
class CRecordDatabase;
}

class QLabel;

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
    // Why the bookmarks are not kept, shown above the list while the file cannot be used (a notice in the
    // window gives way to the next one).
    QLabel* Problem() const { return m_problem; }

signals:
    // A bookmark's row was double-clicked: select it.
    void recordRequested(std::int64_t serial);

private:
    void Save();
    void Fill(const CRecordDatabase* store);

    std::function<void(const QString&)> m_notice;
    CBookmarkFile m_file;
    CBookmarks m_bookmarks;
    bool m_fileUsable = true;  // false when it could not be read, or was damaged and could not be set aside
    bool m_filling = false;
    QTableWidget* m_table = nullptr;
    QLabel* m_problem = nullptr;
};

}  // namespace vyx::gui
