#pragma once
// What the window shows while no folder is open: a centred panel that says what to do first, with a
// button that opens the folder dialog and one button per recent folder.

#include <QList>
#include <QWidget>

class QAction;
class QPushButton;
class QVBoxLayout;

namespace vyx::gui {

class RecentFolders;

class StartPanel : public QWidget {
    Q_OBJECT
public:
    // selectFolder: File > "&Select Folder", which the "Open folder..." button runs.
    StartPanel(QAction* selectFolder, RecentFolders* recent, QWidget* parent);

    QPushButton* OpenButton() const { return m_open; }
    QList<QPushButton*> RecentButtons() const { return m_recentButtons; }

private:
    void RebuildRecent();

    RecentFolders* m_recent;
    QPushButton* m_open = nullptr;
    QWidget* m_recentTitle = nullptr;
    QVBoxLayout* m_recentLayout = nullptr;
    QList<QPushButton*> m_recentButtons;
};

}  // namespace vyx::gui
