// Several rows selected, bookmarks and the detail pane, driven through real input in the main window over a
// generated folder: Shift+click, Ctrl+click, Shift+End and the status bar's count and span, Copy Row of the
// selection (on the worker), Ctrl+F2 / F2 / Shift+F2 before and after a re-sort, and the View menu's detail
// pane with its highlighted bytes.
//
// With VYX_SELECT_BENCH_FOLDER set to a large data folder, one more case measures the longest event-loop
// turn while all rows are selected, colour rules are on and the user pages, scrolls and copies.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QElapsedTimer>
#include <QTimer>
#include <filesystem>

#include "app/BookmarksDock.h"
#include "app/DetailPaneDock.h"
#include "app/GoToDialogs.h"
#include "app/ReportDialogs.h"
#include "app/MainWindow.h"
#include "app/NoticeBar.h"
#include <QLabel>
#include "gui/ViewerInput.h"
#include "app/SelectionCopyRunner.h"
#include "app/StatusPanes.h"
#include "controller/BookmarkFile.h"
#include "controller/SelectionCopy.h"
#include "decode/DetailRows.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "decode/RecordToParameterXferConverter.h"
#include "decode/RecordTextLine.h"
#include "platform/TempFolder.h"
#include "simulator/LoggerSimulator.h"
#include "support/RecordingBoxes.h"
#include "support/TempDir.h"
#include "views/ListLargeDataCtrl.h"

using namespace vyx;

namespace {

using test::OnModal;

}  // namespace

class SelectionBookmarksPaneTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_data;
    std::unique_ptr<CScopedTempFolder> m_temp;
    std::unique_ptr<gui::MainWindow> m_window;
    test::RecordingBoxes m_boxes;

    bool WaitForLoad(int timeoutMs = 60000) { return test::WaitForLoad(*m_window, timeoutMs); }
    CListLargeDataCtrl* List() { return m_window->RecordList(); }
    QTableView* Page() { return List()->PageView(); }
    QPoint RowCentre(int row) { return QPoint(100, Page()->rowViewportPosition(row) + Page()->rowHeight(row) / 2); }
    void Click(int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(Page()->viewport(), Qt::LeftButton, modifiers, RowCentre(row));
    }
    std::int64_t Current() { return List()->Paging().Current(); }
    QString SelectionPane() { return m_window->findChild<QLabel*>("selectionPane")->text(); }
    CRecord Record(std::int64_t serial) {
        CRecord record;
        if (!m_window->Controller().Database().GetRecord(serial, record)) qWarning("record %lld unreadable", static_cast<long long>(serial));
        return record;
    }
    bool Activate() {
        m_window->activateWindow();
        return QTest::qWaitForWindowActive(m_window.get());
    }
    // Opens a menu of the menu bar by a click and clicks one of its entries.
    void ClickMenu(const QString& menuTitle, QAction* entry) {
        QMenuBar* bar = m_window->menuBar();
        QAction* menuAction = nullptr;
        for (QAction* a : bar->actions())
            if (QString(a->text()).remove('&') == QString(menuTitle).remove('&')) menuAction = a;
        QVERIFY(menuAction);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menuAction).center());
        QMenu* menu = menuAction->menu();
        QVERIFY(QTest::qWaitFor([menu] { return menu->isVisible(); }, 3000));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
        QVERIFY(QTest::qWaitFor([menu] { return !menu->isVisible(); }, 3000));
    }

private slots:
    void initTestCase() {
        sim::SimulatorOptions options;
        options.days = 2;
        options.recordsPerDay = 6500;  // more rows than a copy makes on the user-interface thread
        options.seed = 41;
        options.clockJumps = true;
        sim::GenerateDataFolder(m_data.Path(), options);
        m_temp = std::make_unique<CScopedTempFolder>();
        m_window = std::make_unique<gui::MainWindow>(m_temp->Path());
        m_window->SetMessageBoxes(&m_boxes);
        m_window->resize(1200, 800);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(Activate());
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY(WaitForLoad());
        QVERIFY(m_window->Controller().Total() > gui::SelectionCopyRunner::kInlineRows);
    }

    void cleanupTestCase() { m_window.reset(); }

    void shiftCtrlAndShiftEndSelectRangesAndCopyThem() {
        Page()->setFocus();
        Click(1);
        QCOMPARE(List()->Selection().Count(), 1);
        QCOMPARE(SelectionPane(), QString());  // one row: the list's plain selection
        Click(5, Qt::ShiftModifier);
        QCOMPARE(List()->Selection().Ranges(), (std::vector<SelectedRange>{{1, 5}}));
        QCOMPARE(Page()->selectionModel()->selectedRows().size(), 5);
        QVERIFY2(SelectionPane().startsWith(QStringLiteral("Selected: 5  (span ")), qPrintable(SelectionPane()));
        // Report > Messages takes the selection's first and last Sr.No. as its range.
        ClickMenu(QStringLiteral("Report"), m_window->findChild<QAction*>("messagesReportAction"));
        QVERIFY(QTest::qWaitFor([this] { return m_window->ReportDialog()->isVisible(); }, 3000));
        QCOMPARE(m_window->ReportDialog()->findChild<QLineEdit*>("fromRecord")->text(), QStringLiteral("2"));
        QCOMPARE(m_window->ReportDialog()->findChild<QLineEdit*>("toRecord")->text(), QStringLiteral("6"));
        QVERIFY(!m_window->ReportDialog()->findChild<QCheckBox*>("allRecords")->isChecked());
        m_window->ReportDialog()->hide();
        QVERIFY(Activate());
        Page()->setFocus();
        Click(3, Qt::ControlModifier);  // out of the range, which splits
        QCOMPARE(List()->Selection().Ranges(), (std::vector<SelectedRange>{{1, 2}, {4, 5}}));
        QCOMPARE(Current(), 3);
        Click(8, Qt::ControlModifier);
        QCOMPARE(List()->Selection().Count(), 5);

        // Shift+End: from the anchor (the row Ctrl+clicked last) to the last record, one range.
        QTest::keyClick(Page(), Qt::Key_End, Qt::ShiftModifier);
        const std::int64_t total = m_window->Controller().Total();
        QCOMPARE(List()->Selection().Ranges(), (std::vector<SelectedRange>{{8, total - 1}}));
        QCOMPARE(Current(), total - 1);
        const std::int64_t span = std::llabs(std::int64_t{Record(total - 1).m_nTime} - Record(8).m_nTime);
        QVERIFY2(SelectionPane().startsWith(QStringLiteral("Selected: %1  (span").arg(total - 8)), qPrintable(SelectionPane()));
        QVERIFY(span > 86400 ? SelectionPane().contains(QStringLiteral(" d ")) : !SelectionPane().contains(" d "));

        // Copy Row puts every selected row on the clipboard, in order, from the worker.
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(Page(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QTest::qWaitFor([this] { return !m_window->CopyRunner()->Running(); }, 60000));
        const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), total - 8);
        for (const std::int64_t serial : {std::int64_t{8}, total / 2, total - 1}) {
            std::string expected = RecordTextLine(Record(serial), serial + 1);
            while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r')) expected.pop_back();
            QCOMPARE(lines[static_cast<int>(serial - 8)], QString::fromStdString(expected));
        }

        // A plain click is the single selection again.
        QTest::keyClick(Page(), Qt::Key_Home);
        QCOMPARE(List()->Selection().Ranges(), (std::vector<SelectedRange>{{0, 0}}));
    }

    void bookmarksToggleVisitAndSurviveAResort() {
        Page()->setFocus();
        Click(2);
        QTest::keyClick(Page(), Qt::Key_F2, Qt::ControlModifier);
        Click(9);
        QTest::keyClick(Page(), Qt::Key_F2, Qt::ControlModifier);
        Click(5);
        QTest::keyClick(Page(), Qt::Key_F2, Qt::ControlModifier);
        QTest::keyClick(Page(), Qt::Key_F2, Qt::ControlModifier);  // toggled off again
        QCOMPARE(m_window->Bookmarks()->Bookmarks().List().size(), std::size_t{2});
        QCOMPARE(m_window->Bookmarks()->Table()->rowCount(), 2);
        // Kept in the user's bookmarks file, where `vyx bookmarks` finds them.
        const CBookmarkFile file;
        QCOMPARE(file.LoadFolder(CBookmarkFile::FolderKey(m_data.Path())).size(), std::size_t{2});

        QTest::keyClick(Page(), Qt::Key_Home);
        QTest::keyClick(Page(), Qt::Key_F2);
        QCOMPARE(Current(), 2);
        QTest::keyClick(Page(), Qt::Key_F2);
        QCOMPARE(Current(), 9);
        QTest::keyClick(Page(), Qt::Key_F2);  // wraps round
        QCOMPARE(Current(), 2);
        QTest::keyClick(Page(), Qt::Key_F2, Qt::ShiftModifier);
        QCOMPARE(Current(), 9);
        const auto place2 = m_window->Controller().Database().LocationOf(2);
        const auto place9 = m_window->Controller().Database().LocationOf(9);

        // Another order (a click on the Date-Time header): the bookmarks find their records' new rows.
        QHeaderView* header = Page()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 20, header->height() / 2));
        QVERIFY(WaitForLoad());
        QCOMPARE(m_window->Controller().SortState(), LoadOrder::Ascending);
        QTest::keyClick(Page(), Qt::Key_Home);
        std::vector<std::optional<RecordLocation>> visited;
        for (int i = 0; i < 2; ++i) {
            QTest::keyClick(Page(), Qt::Key_F2);
            visited.push_back(m_window->Controller().Database().LocationOf(Current()));
        }
        QVERIFY(visited[0] != visited[1]);
        for (const auto& place : visited) QVERIFY(place == place2 || place == place9);
        // The dock shows their rows in this order.
        QStringList rows;
        for (int r = 0; r < 2; ++r) rows << m_window->Bookmarks()->Table()->item(r, 0)->text();
        QVERIFY(rows.contains(QString::number(Current() + 1)));
    }

    // The folder opened through a link is the folder its bookmarks were kept for: the dock gives them rows
    // and F2 reaches them.
    void bookmarksAreVisitedWhenTheFolderIsOpenedThroughALink() {
        test::TempDir links;
        const std::string link = links.File("data");
        std::filesystem::create_directory_symlink(m_data.Path(), link);
        m_window->OpenFolder(QString::fromStdString(link + "/"), true);
        QVERIFY(WaitForLoad());
        QCOMPARE(m_window->Bookmarks()->Table()->rowCount(), 2);
        for (int r = 0; r < 2; ++r) QVERIFY(m_window->Bookmarks()->Table()->item(r, 0)->text() != QStringLiteral("-"));
        Page()->setFocus();
        QTest::keyClick(Page(), Qt::Key_Home);
        QTest::keyClick(Page(), Qt::Key_F2);
        QVERIFY(Current() > 0);
        QVERIFY(m_window->Bookmarks()->Bookmarks().IsMarked(m_window->Controller().Database(), Current()));
        // FCU mode has no list to bookmark: the dock goes, and comes back with the list.
        QVERIFY(m_window->Bookmarks()->isVisible());
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), false);
        QVERIFY(!m_window->Bookmarks()->isVisible());
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY(WaitForLoad());
        QVERIFY(m_window->Bookmarks()->isVisible());
    }

    // A bookmarks file that cannot be read is told, and neither set aside nor written over by a new bookmark.
    void anUnreadableBookmarksFileIsToldAndLeftAsItIs() {
        test::TempDir home;
        const std::string inItsPlace = home.File("bookmarks.json");
        std::filesystem::create_directory(inItsPlace);
        m_window->Bookmarks()->SetFile(CBookmarkFile(inItsPlace));
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY2(m_window->Notice()->Text().contains(QStringLiteral("cannot be read")), qPrintable(m_window->Notice()->Text()));
        QVERIFY(WaitForLoad());
        Page()->setFocus();
        Click(4);
        QTest::keyClick(Page(), Qt::Key_F2, Qt::ControlModifier);
        // The dock, shown by the new bookmark, says it is not kept, whatever notice came since.
        QVERIFY(m_window->Bookmarks()->Problem()->isVisible());
        QVERIFY(m_window->Bookmarks()->Problem()->text().contains(QStringLiteral("Is a directory")));
        QVERIFY(std::filesystem::is_directory(inItsPlace));
        QVERIFY(std::filesystem::is_empty(inItsPlace));
        QCOMPARE(std::distance(std::filesystem::directory_iterator(home.Path()), std::filesystem::directory_iterator()), 1);
        m_window->Bookmarks()->SetFile(CBookmarkFile());
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY(WaitForLoad());
        QVERIFY(m_window->Bookmarks()->Problem()->isHidden());
    }

    void detailPaneFollowsTheCurrentRowAndHighlightsBytes() {
        QVERIFY(Activate());
        QVERIFY(!m_window->DetailPane()->isVisible());
        ClickMenu(QStringLiteral("&View"), m_window->DetailPaneAction());
        QVERIFY(m_window->DetailPaneAction()->isChecked());
        QVERIFY(QTest::qWaitFor([this] { return m_window->DetailPane()->isVisible(); }, 3000));
        // The first block transfer on the page with detail rows that have bytes.
        Page()->setFocus();
        int row = -1;
        DetailRows expected;
        for (int r = 0; r < List()->Paging().RowsPerPage() && row < 0; ++r) {
            const CRecord record = Record(List()->Paging().First() + r);
            if (record.m_nMessageMode != kModeParameterBlockTransfer) continue;
            expected = BuildDetailRows(record, CRecordToParameterXferConverter(m_window->Controller().FcuInfo()),
                                       CRecordToModbusMultipleConverter());
            if (!expected.rows.empty() && expected.rowBytes.front().length > 0) row = r;
        }
        QVERIFY(row >= 0);
        Click(row);
        QTableWidget* rows = m_window->DetailPane()->Rows();
        QCOMPARE(rows->rowCount(), static_cast<int>(expected.rows.size()));
        QCOMPARE(rows->item(0, 3)->text(), QString::fromStdString(expected.rows[0][3]));
        QVERIFY(!m_window->findChild<QDialog*>("blockTransferDialog") ||
                !m_window->findChild<QDialog*>("blockTransferDialog")->isVisible());
        // A click on a detail row highlights its bytes in the hex.
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, rows->visualItemRect(rows->item(0, 1)).center());
        QCOMPARE(m_window->DetailPane()->Highlighted(), expected.rowBytes[0]);
        QCOMPARE(m_window->DetailPane()->Hex()->extraSelections().size(), static_cast<int>(expected.rowBytes[0].length));
        // The pane follows the keys like the dialogs.
        QTest::keyClick(Page(), Qt::Key_Down);
        QVERIFY(m_window->findChild<QLabel*>("detailPaneTitle")->text().startsWith(
            QStringLiteral("Record No. %1").arg(Current() + 1)));
        ClickMenu(QStringLiteral("&View"), m_window->DetailPaneAction());
        QVERIFY(!m_window->DetailPane()->isVisible());
    }

    void eventLoopStaysFreeWithAllSelectedAndColourRules() {
        const QString folder = qEnvironmentVariable("VYX_SELECT_BENCH_FOLDER");
        if (folder.isEmpty()) QSKIP("set VYX_SELECT_BENCH_FOLDER to a large data folder to time the event loop over it");
        m_window->OpenFolder(folder, true);
        QVERIFY(WaitForLoad(30 * 60 * 1000));
        const std::int64_t total = m_window->Controller().Total();
        m_window->Controller().SetColourRules({{std::string(kCountedAlarmEntry), 0xFFD6D6},
                                               {"Close", 0xD0E8FF},
                                               {"--ALL STATUS AND ALARMS--", 0xE0FFE0},
                                               {"Open", 0xFFF0C0}});
        QElapsedTimer sinceTick;
        qint64 longest = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { longest = std::max(longest, sinceTick.restart()); });
        auto measure = [&](const char* what, const std::function<void()>& act) {
            longest = 0;
            sinceTick.start();
            ticker.start(5);
            act();
            ticker.stop();
            qInfo("%s over %lld records: longest event-loop turn %lld ms", what, static_cast<long long>(total),
                  static_cast<long long>(longest));
            return longest;
        };
        // The copy is the window's shortcut: it takes keys only while the window is active, which the cases
        // before may have left otherwise.
        QVERIFY(Activate());
        Page()->setFocus();
        // Each input handled in one turn: its own time is the turn's length, whatever else the machine does.
        qint64 longestInput = 0;
        auto input = [&](const std::function<void()>& act) {
            QElapsedTimer turn;
            turn.start();
            act();
            longestInput = std::max(longestInput, turn.elapsed());
            QTest::qWait(5);
        };
        measure("idle", [] { QTest::qWait(2000); });
        measure("Ctrl+A, Shift+End, Shift+Home, page keys and scroll bar with all selected", [&] {
            input([&] { QTest::keyClick(Page(), Qt::Key_A, Qt::ControlModifier); });
            for (Qt::Key key : {Qt::Key_End, Qt::Key_Home})
                input([&] { QTest::keyClick(Page(), key, Qt::ShiftModifier); });
            input([&] { QTest::keyClick(Page(), Qt::Key_A, Qt::ControlModifier); });
            for (int i = 0; i < 40; ++i) input([&] { QTest::keyClick(Page(), Qt::Key_PageDown); });
            input([&] { QTest::keyClick(Page(), Qt::Key_A, Qt::ControlModifier); });
            for (int i = 0; i < 40; ++i)
                input([&] { List()->VerticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd); });
            input([&] { List()->VerticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum); });
        });
        qInfo("longest single input: %lld ms", static_cast<long long>(longestInput));
        QCOMPARE(List()->Selection().Count(), total);
        // All rows are more than the clipboard takes: refused with a message.
        const std::size_t boxes = m_boxes.shown.size();
        QTest::keyClick(Page(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(m_boxes.shown.size(), boxes + 1);
        QVERIFY(!m_window->CopyRunner()->Running());
        // The most the clipboard takes: Go to Record, then Shift+Home.
        OnModal<gui::GoToRecordDialog>([](gui::GoToRecordDialog* dialog) {
            auto* box = dialog->findChild<QSpinBox*>("goToSrNo");
            box->selectAll();
            QTest::keyClicks(box, QString::number(CSelectionCopy::kMaxRows));
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::keyClick(m_window.get(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(Activate());
        Page()->setFocus();
        QTest::keyClick(Page(), Qt::Key_Home, Qt::ShiftModifier);
        QCOMPARE(List()->Selection().Count(), CSelectionCopy::kMaxRows);
        QElapsedTimer whole;
        const qint64 copy = measure("Copy Row of 1,000,000 rows to its end", [&] {
            whole.start();
            input([&] { QTest::keyClick(Page(), Qt::Key_C, Qt::ControlModifier); });
            QVERIFY(m_window->CopyRunner()->Progress() && m_window->CopyRunner()->Progress()->isVisible());
            QVERIFY(QTest::qWaitFor([this] { return !m_window->CopyRunner()->Running(); }, 120000));
        });
        qInfo("copied %lld rows in %.2f s", static_cast<long long>(CSelectionCopy::kMaxRows), whole.elapsed() / 1000.0);
        QCOMPARE(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')) + 1, CSelectionCopy::kMaxRows);
        qInfo("longest single input with the copy: %lld ms", static_cast<long long>(longestInput));
        // The gaps include whatever else runs on the machine (compare the idle one); each input's own time does not.
        qInfo("longest gap during the copy: %lld ms", static_cast<long long>(copy));
        QVERIFY(longestInput < 50);
    }
};

// Settings and bookmarks go to folders of this run's own, never the user's.
int main(int argc, char** argv) {
    const vyx::test::TempDir config;
    const vyx::test::TempDir data;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
    QApplication app(argc, argv);
    SelectionBookmarksPaneTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SelectionBookmarksPaneTest.moc"
