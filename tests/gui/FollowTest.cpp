// View > Follow driven as a user drives it, offscreen, while the logger simulator writes into the folder:
// the "Live" mark, the list that keeps to the newest rows when the last row is selected and stays where
// the user is otherwise, the Loop window and the alarm analysis that grow with the new records, and Follow
// switched off again.

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QDateEdit>
#include <QTest>

#include <thread>

#include "app/AnalysisWindow.h"
#include "app/FigureCard.h"
#include "app/FcuTimelineWindow.h"
#include "app/GoToDialogs.h"
#include "app/LoopWindow.h"
#include "app/MainWindow.h"
#include "gui/ViewerInput.h"
#include "app/RecentFolders.h"
#include "platform/TempFolder.h"
#include "simulator/LiveLogger.h"
#include "simulator/LoggerSimulator.h"
#include "support/RecordingBoxes.h"
#include "support/TempDir.h"
#include "views/FcuTileGrid.h"
#include "views/ListLargeDataCtrl.h"

using namespace vyx;

class FollowTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_data;
    std::unique_ptr<CScopedTempFolder> m_temp;
    std::unique_ptr<gui::MainWindow> m_window;
    test::RecordingBoxes m_boxes;
    std::uint64_t m_seed = 5;

    bool WaitForLoad() { return test::WaitForLoad(*m_window); }
    QTableView* Page() { return m_window->RecordList()->PageView(); }
    QLabel* LiveMark() { return m_window->findChild<QLabel*>(QStringLiteral("liveMark")); }
    std::int64_t SelectedSerial() { return m_window->RecordList()->Paging().SelectedSerial(); }
    // The largest Sr.No. on screen.
    qint64 LastSrNoInView() {
        qint64 last = 0;
        for (int row = 0; row < Page()->model()->rowCount(); ++row) {
            last = std::max(last, Page()->model()->index(row, 0).data().toLongLong());
        }
        return last;
    }

    // The logger writes `count` records at 200 a second on the day of the folder, as a running logger does.
    void Write(int count) {
        sim::LiveLoggerOptions options;
        options.rate = 200;
        options.clockStart = 1231156800;  // 05-01-2009 12:00:00
        options.seed = ++m_seed;
        options.records = count;
        sim::RunLiveLogger(m_data.Path(), options);
    }

    // Report > Alarm Analysis..., by clicks on the menu bar and the menu.
    gui::AnalysisWindow* OpenAnalysis() {
        if (!test::ChooseFromMenu(*m_window, QStringLiteral("Report"), "alarmAnalysisAction")) return nullptr;
        return m_window->AlarmAnalysisWindow();
    }

    void PressFollow() {
        // Ctrl+T, typed into the window where the list has the focus.
        Page()->setFocus();
        QTest::keyClick(Page(), Qt::Key_T, Qt::ControlModifier);
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        gui::SaveFollowSetting(false);  // as on a first start, whatever an earlier run left
        sim::SimulatorOptions options;
        options.days = 1;
        options.recordsPerDay = 400;
        options.faults = false;
        sim::GenerateDataFolder(m_data.Path(), options);
        m_temp = std::make_unique<CScopedTempFolder>();
        m_window = std::make_unique<gui::MainWindow>(m_temp->Path());
        m_window->SetMessageBoxes(&m_boxes);
        m_window->resize(1200, 700);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void followKeepsTheNewestRowsInViewOnlyFromTheLastRow() {
        QAction* follow = m_window->findChild<QAction*>(QStringLiteral("followAction"));
        QVERIFY(follow != nullptr);
        QVERIFY(!follow->isChecked());  // off by default
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY(WaitForLoad());
        QCOMPARE(m_window->Controller().Total(), std::int64_t{400});
        QVERIFY(!LiveMark()->isVisible());

        PressFollow();
        QVERIFY(follow->isChecked());
        QVERIFY(WaitForLoad());
        QTRY_VERIFY(LiveMark()->isVisible());
        QVERIFY(LiveMark()->text().startsWith(QStringLiteral("Live")));

        // The first row selected: records come, the view stays where the user is.
        QTest::mouseClick(Page()->viewport(), Qt::LeftButton, {}, Page()->visualRect(Page()->model()->index(0, 1)).center());
        QCOMPARE(SelectedSerial(), std::int64_t{0});
        std::thread first([this] { Write(30); });
        QTRY_COMPARE_WITH_TIMEOUT(m_window->Controller().Total(), std::int64_t{430}, 10000);
        first.join();
        QCOMPARE(SelectedSerial(), std::int64_t{0});
        QCOMPARE(Page()->model()->index(0, 0).data().toLongLong(), qint64{1});
        QVERIFY(LiveMark()->text().startsWith(QStringLiteral("Live, last 05-01-2009 12:00")));

        // The Loop window and the alarm analysis, computed from the folder as it is now, grow with it.
        QTest::keyClick(Page(), Qt::Key_L, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->GetLoopWindow() && m_window->GetLoopWindow()->Ready(), 30000);
        gui::LoopWindow* loop = m_window->GetLoopWindow();
        QCOMPARE(loop->Events()->RecordCount(), std::int64_t{430});
        // The moment of the tiles to the end of the span, where it stays as the span grows.
        QSlider* slider = loop->FirstSlider();
        QVERIFY(test::ClickOnScreen(slider));
        QTest::keyClick(slider, Qt::Key_End);
        QCOMPARE(slider->value(), slider->maximum());
        // The loop's own timeline, by a click on its tile once the tiles show that moment (they come from a
        // worker some time after the events).
        QTRY_COMPARE_WITH_TIMEOUT(loop->ShownTime().value_or(0), loop->Events()->LastTime(), 30000);
        QVERIFY(!loop->Tiles()->TileRect(kLoopFcu).isEmpty());
        QTest::mouseClick(loop->Tiles(), Qt::LeftButton, {}, loop->Tiles()->TileRect(kLoopFcu).center());
        QTRY_VERIFY_WITH_TIMEOUT(loop->Timeline() && loop->Timeline()->Ready(), 30000);
        const FcuTimeline* timelineBefore = loop->Timeline()->Shown();
        gui::AnalysisWindow* analysis = OpenAnalysis();
        QVERIFY(analysis != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(analysis->HasResult(), 30000);
        const auto activations = analysis->Result()->alarms.activations;
        // A row of the Top 10 chosen by clicks: figures computed again keep it, and the column widths.
        auto* tabs = analysis->findChild<QTabWidget*>("analysisTabs");
        auto* top = analysis->findChild<QTableView*>("topTable");
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
        QTRY_VERIFY(top->isVisible());
        QVERIFY(top->model()->rowCount() >= 2);
        QVERIFY(test::ClickOnScreen(top->viewport(), top->visualRect(top->model()->index(1, 2)).center()));
        const QVariant chosen = top->model()->index(1, 2).data();
        const int width = top->columnWidth(2);
        QVERIFY(top->selectionModel()->isRowSelected(1, {}));
        const QList<gui::FigureCard*> cards = analysis->findChildren<gui::FigureCard*>();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));

        // The last row selected (End): the list keeps showing the newest rows as they come.
        QTest::keyClick(Page(), Qt::Key_End);
        QCOMPARE(SelectedSerial(), std::int64_t{429});
        const std::uint32_t before = loop->Events()->LastTime();
        std::thread second([this] { Write(40); });
        QTRY_COMPARE_WITH_TIMEOUT(m_window->Controller().Total(), std::int64_t{470}, 10000);
        second.join();
        QTRY_COMPARE(SelectedSerial(), std::int64_t{469});
        QTRY_COMPARE(LastSrNoInView(), qint64{470});
        QTRY_COMPARE_WITH_TIMEOUT(loop->Events()->RecordCount(), std::int64_t{470}, 10000);
        QVERIFY(loop->Growths() > 0);
        QVERIFY(loop->StatusText().contains(QStringLiteral("470 records")));
        // The folder's day runs to midnight and the logger's clock said noon: behind the last record, so the
        // new records are flagged, not placed among the others.
        QCOMPARE(loop->Events()->LastTime(), before);
        QVERIFY(loop->StatusText().contains(QStringLiteral("40 records came out of time order")));
        QCOMPARE(slider->value(), slider->maximum());
        QTRY_COMPARE_WITH_TIMEOUT(loop->ShownTime().value_or(0), loop->Events()->LastTime(), 10000);
        // The timeline, which reached the end of the span, is read again from the grown events.
        QTRY_VERIFY_WITH_TIMEOUT(loop->Timeline()->Shown() != timelineBefore, 10000);
        // The analysis computes its figures again from the grown events, within its few seconds.
        QTRY_VERIFY_WITH_TIMEOUT(analysis->Updates() > 0, 20000);
        QVERIFY(analysis->Result()->alarms.activations >= activations);
        QVERIFY(analysis->StatusText().contains(QStringLiteral("Growing with the followed folder")));
        const int kept = top->selectionModel()->currentIndex().row();
        QVERIFY(kept >= 0 && top->selectionModel()->isRowSelected(kept, {}));
        QCOMPARE(top->model()->index(kept, 2).data(), chosen);
        QCOMPARE(top->columnWidth(2), width);
        QCOMPARE(analysis->findChildren<gui::FigureCard*>(), cards);  // set again, not made anew

        // Follow off: the mark goes and what the logger writes is not added.
        PressFollow();
        QVERIFY(!follow->isChecked());
        QVERIFY(!LiveMark()->isVisible());
        Write(10);
        QTest::qWait(1500);
        QCOMPARE(m_window->Controller().Total(), std::int64_t{470});
        QVERIFY(m_boxes.shown.empty());
    }

    // The folder opened for its FCUs: the follow of the records ends with their list, and comes back with it.
    void fcuModeEndsTheFollowAndMessagesResumeIt() {
        PressFollow();
        QVERIFY(WaitForLoad());
        QTRY_VERIFY(LiveMark()->isVisible());
        const std::int64_t total = m_window->Controller().Total();
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), false);
        QVERIFY(!LiveMark()->isVisible());
        QVERIFY(m_window->findChild<QAction*>(QStringLiteral("followAction"))->isChecked());
        Write(10);
        QTest::qWait(1500);
        QVERIFY(!LiveMark()->isVisible());
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY(WaitForLoad());
        QCOMPARE(m_window->Controller().Total(), total + 10);
        QTRY_VERIFY(LiveMark()->isVisible());
        PressFollow();
        QVERIFY(m_boxes.shown.empty());
    }

    // A day file of a later day widens the filter bar's date range and its date fields, which no window uses.
    void aLaterDayFileWidensTheDateRange() {
        auto* range = m_window->findChild<QLabel*>(QStringLiteral("dateRange"));
        auto* toDate = m_window->findChild<QDateEdit*>(QStringLiteral("toDate"));
        QCOMPARE(toDate->date(), QDate(2009, 1, 5));
        PressFollow();
        QVERIFY(WaitForLoad());
        QTRY_VERIFY(LiveMark()->isVisible());
        sim::LiveLoggerOptions options;
        options.rate = 200;
        options.clockStart = 1231243200;  // 06-01-2009 12:00:00
        options.records = 5;
        sim::RunLiveLogger(m_data.Path(), options);
        QTRY_VERIFY_WITH_TIMEOUT(range->text().endsWith(QStringLiteral("06-01-2009")), 10000);
        QCOMPARE(toDate->date(), QDate(2009, 1, 6));
        PressFollow();
    }

    // Go to Record takes a record the follow added while its dialog was open.
    void goToRecordReachesRecordsAddedWhileItIsOpen() {
        // Ctrl+G is the main window's: it is in front, whatever window an earlier case left there.
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        PressFollow();
        QVERIFY(WaitForLoad());
        QTRY_VERIFY(LiveMark()->isVisible());
        const std::int64_t before = m_window->Controller().Total();
        bool accepted = false;
        test::OnModal<gui::GoToRecordDialog>([&](gui::GoToRecordDialog* dialog) {
            Write(10);
            QTRY_COMPARE_WITH_TIMEOUT(m_window->Controller().Total(), before + 10, 10000);
            auto* box = dialog->findChild<QSpinBox*>("goToSrNo");
            box->selectAll();
            QTest::keyClicks(box, QString::number(before + 10));
            QTest::keyClick(box, Qt::Key_Return);
            accepted = !dialog->isVisible();
            if (!accepted) QTest::keyClick(box, Qt::Key_Escape);
        });
        Page()->setFocus();
        QTest::keyClick(Page(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(accepted);
        QCOMPARE(SelectedSerial(), before + 9);
        PressFollow();
    }

    void cleanupTestCase() {
        m_window.reset();
        m_temp.reset();
    }
};

QTEST_MAIN(FollowTest)
#include "FollowTest.moc"
