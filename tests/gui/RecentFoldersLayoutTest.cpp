// The File menu's recent folders and the remembered window layout, driven through the real main window and
// kept in a settings file of the test's own (never the user's).

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "app/MainWindow.h"
#include "gui/ViewerInput.h"
#include "platform/TempFolder.h"
#include "simulator/LoggerSimulator.h"
#include "support/RecordingBoxes.h"
#include "support/TempDir.h"
#include "views/ListLargeDataCtrl.h"

using namespace vyx;

namespace {

}  // namespace

class RecentFoldersLayoutTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_first, m_second, m_noFcuFile;
    std::unique_ptr<CScopedTempFolder> m_temp;
    test::RecordingBoxes m_boxes;

    std::unique_ptr<gui::MainWindow> NewWindow() {
        auto window = std::make_unique<gui::MainWindow>(m_temp->Path());
        window->SetMessageBoxes(&m_boxes);
        return window;
    }
    static bool WaitForLoad(gui::MainWindow& window) { return test::WaitForLoad(window); }
    static QStringList RecentTexts(gui::MainWindow& window) {
        QStringList texts;
        for (QAction* action : window.GetRecentFolders()->Actions()) texts << action->text();
        return texts;
    }
    static QMenu* FileMenu(gui::MainWindow& window) { return window.menuBar()->actions().at(0)->menu(); }
    QString Folder(const test::TempDir& dir) { return QString::fromStdString(dir.Path()); }

private slots:
    void initTestCase() {
        const QSettings settings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer"));
        QVERIFY2(settings.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")),
                 qPrintable(settings.fileName()));
        sim::SimulatorOptions options;
        options.days = 1;
        options.recordsPerDay = 500;
        sim::GenerateDataFolder(m_first.Path(), options);
        sim::GenerateDataFolder(m_second.Path(), options);
        m_temp = std::make_unique<CScopedTempFolder>();
    }

    void recentFoldersAreListedReopenedAndKept() {
        auto window = NewWindow();
        window->show();
        QVERIFY(RecentTexts(*window).isEmpty());

        window->OpenFolder(Folder(m_first), true);
        QVERIFY(WaitForLoad(*window));
        window->OpenFolder(Folder(m_second) + QStringLiteral("/"), false);
        // A folder without its FCU information file does not open in any mode: it is not offered again.
        window->OpenFolder(Folder(m_noFcuFile), true);
        QCOMPARE(window->Controller().Mode(), ViewMode::None);
        QCOMPARE(RecentTexts(*window), (QStringList{QStringLiteral("&1 %1 (FCU)").arg(Folder(m_second)),
                                                    QStringLiteral("&2 %1 (Message)").arg(Folder(m_first))}));
        // The entries stand in the File menu between "&Select Folder" and "&Exit".
        const QList<QAction*> menu = FileMenu(*window)->actions();
        QCOMPARE(menu.first()->text(), QStringLiteral("&Select Folder"));
        QCOMPARE(menu.last()->text(), QStringLiteral("&Exit"));
        const qsizetype at = menu.indexOf(window->GetRecentFolders()->Actions().first());
        QVERIFY(at > 0 && at < menu.size() - 1);

        // Choosing the second entry opens that folder in its mode, and it moves to the top.
        window->GetRecentFolders()->Actions().at(1)->trigger();
        QCOMPARE(window->Controller().Mode(), ViewMode::Messages);
        QCOMPARE(QString::fromStdString(window->Controller().FolderPath()), Folder(m_first));
        QVERIFY(WaitForLoad(*window));
        QVERIFY(window->RecordList()->isVisible());
        QCOMPARE(RecentTexts(*window).first(), QStringLiteral("&1 %1 (Message)").arg(Folder(m_first)));

        // A new window, as at the next start, offers the same list.
        window.reset();
        auto next = NewWindow();
        QCOMPARE(RecentTexts(*next), (QStringList{QStringLiteral("&1 %1 (Message)").arg(Folder(m_first)),
                                                  QStringLiteral("&2 %1 (FCU)").arg(Folder(m_second))}));
    }

    void layoutIsSavedOnExitAndRestored() {
        auto window = NewWindow();
        window->setGeometry(40, 50, 1100, 640);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->OpenFolder(Folder(m_first), true);
        QVERIFY(WaitForLoad(*window));
        QHeaderView* header = window->RecordList()->PageView()->horizontalHeader();
        header->resizeSection(2, 431);  // what dragging the MessageContent edge does
        header->resizeSection(6, 97);
        const QList<int> widths = window->RecordList()->ColumnWidths();
        const QRect geometry = window->normalGeometry();
        window->close();
        window.reset();

        auto next = NewWindow();
        QCOMPARE(next->normalGeometry().size(), geometry.size());
        next->show();
        QVERIFY(QTest::qWaitForWindowExposed(next.get()));
        // Opening a folder sets the list's columns: to the remembered widths, not the standard ones.
        next->OpenFolder(Folder(m_first), true);
        QVERIFY(WaitForLoad(*next));
        QCOMPARE(next->RecordList()->ColumnWidths(), widths);
        QCOMPARE(next->RecordList()->ColumnWidths().at(2), 431);
        // Switching to FCU mode and back keeps them too.
        next->OpenFolder(Folder(m_first), false);
        next->OpenFolder(Folder(m_first), true);
        QVERIFY(WaitForLoad(*next));
        QCOMPARE(next->RecordList()->ColumnWidths(), widths);
    }
};

// The settings (recent folders, layout, last folder) go to a folder of this run's own, never the user's.
int main(int argc, char** argv) {
    const vyx::test::TempDir config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path()));
    QApplication app(argc, argv);
    RecentFoldersLayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "RecentFoldersLayoutTest.moc"
