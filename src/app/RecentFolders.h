#pragma once
// The File menu's recent folders (the last eight opened, with their mode), the remembered window layout and
// the recovery choice, all kept in the user's settings beside the last folder.

#include <QByteArray>
#include <QList>
#include <QObject>

#include "controller/MainWindowView.h"
#include "controller/MessageBoxes.h"
#include "controller/RecentFolderList.h"

class QAction;
class QMenu;

namespace vyx::gui {

class RecentFolders : public QObject {
    Q_OBJECT
public:
    // The entries go into menu just before `before`, under a separator of their own. Reads the stored list.
    RecentFolders(QMenu* menu, QAction* before, QObject* parent);

    // A folder was opened: it goes first, and the list is stored.
    void Add(const FolderChoice& choice);
    // The entry for folder did not open: asks whether to drop it, and stores the list when it went.
    void OfferRemoval(const std::string& folder, IMessageBoxes& boxes);
    const CRecentFolderList& List() const { return m_list; }
    QList<QAction*> Actions() const { return m_actions; }

signals:
    void openRequested(const vyx::FolderChoice& choice);
    // The entries changed (added, moved or removed).
    void changed();

private:
    void Store();
    void Rebuild();

    QMenu* m_menu;
    QAction* m_before;
    QAction* m_separator = nullptr;
    QList<QAction*> m_actions;
    CRecentFolderList m_list;
};

// Window geometry and the record list's column widths as last saved; empty when none (or unusable).
struct RememberedLayout {
    QByteArray geometry;
    QList<int> recordColumns;
};

RememberedLayout LoadRememberedLayout(int recordColumnCount);
void SaveRememberedLayout(const RememberedLayout& layout);

// Whether damaged day files are read in recovery mode (off unless the user chose it).
bool LoadRecoverySetting();
void SaveRecoverySetting(bool recover);
// View > Follow, remembered; off by default.
bool LoadFollowSetting();
void SaveFollowSetting(bool follow);

}  // namespace vyx::gui
