// Report > "Alarm Analysis..." driven as a user drives it, offscreen: opened from the menu by clicks, the
// results arrive from the worker, a double click on a flood selects its first-out in the main list, and a
// record the current load does not hold is said to be missing.

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "app/AnalysisTableModel.h"
#include "app/AnalysisWindow.h"
#include "app/FigureCard.h"
#include "app/MainWindow.h"
#include "gui/ViewerInput.h"
#include "platform/TempFolder.h"
#include "simulator/LoggerSimulator.h"
#include "support/RecordingBoxes.h"
#include "support/TempDir.h"
#include "views/ListLargeDataCtrl.h"

using namespace vyx;

class AnalysisWindowTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_data;
    std::unique_ptr<CScopedTempFolder> m_temp;
    std::unique_ptr<gui::MainWindow> m_window;
    test::RecordingBoxes m_boxes;

    bool WaitForLoad() { return test::WaitForLoad(*m_window); }

    // Report > Alarm Analysis..., by clicks on the menu bar and the menu.
    gui::AnalysisWindow* OpenFromMenu() {
        if (!test::ChooseFromMenu(*m_window, QStringLiteral("Report"), "alarmAnalysisAction")) return nullptr;
        return m_window->AlarmAnalysisWindow();
    }

    void DoubleClickRow(QTableView* view, int row) {
        const QPoint at = view->visualRect(view->model()->index(row, 1)).center();
        QCOMPARE(QApplication::widgetAt(view->viewport()->mapToGlobal(at)), view->viewport());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        sim::SimulatorOptions options;
        options.days = 2;
        options.recordsPerDay = 4000;
        options.seed = 5;
        sim::GenerateDataFolder(m_data.Path(), options);
        m_temp = std::make_unique<CScopedTempFolder>();
        m_window = std::make_unique<gui::MainWindow>(m_temp->Path());
        m_window->SetMessageBoxes(&m_boxes);
        m_window->resize(1200, 700);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY(WaitForLoad());
    }

    void cleanupTestCase() { m_window.reset(); }

    void opensFromTheMenuAndGoesToTheFirstOutOfAFlood() {
        gui::AnalysisWindow* analysis = OpenFromMenu();
        QVERIFY(analysis);
        QVERIFY(QTest::qWaitForWindowExposed(analysis));
        QTRY_VERIFY_WITH_TIMEOUT(analysis->HasResult(), 60000);
        // The cards carry the figures with their band.
        const auto cards = analysis->findChildren<gui::FigureCard*>();
        QVERIFY(cards.size() >= 10);
        for (const gui::FigureCard* card : cards) QVERIFY(!card->Value().isEmpty());

        auto* tabs = analysis->findChild<QTabWidget*>("analysisTabs");
        auto* floods = analysis->findChild<QTableView*>("floodsTable");
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(0).center());
        QVERIFY(floods->isVisible());
        QAbstractItemModelTester tester(floods->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY2(floods->model()->rowCount() > 0, "the generated folder has floods");
        const auto* model = static_cast<const gui::AnalysisTableModel*>(floods->model());
        const auto place = model->PlaceOf(0);
        QVERIFY(place);
        const std::string dayFile = analysis->Result()->dayFiles[place->dayFile];
        const auto expected = m_window->Controller().Database().SerialAt({dayFile, place->offset});
        QVERIFY(expected);
        const std::size_t boxes = m_boxes.shown.size();
        DoubleClickRow(floods, 0);
        QTRY_COMPARE(m_window->RecordList()->Paging().SelectedSerial(), *expected);
        QCOMPARE(m_boxes.shown.size(), boxes);
    }

    void aRecordOutsideTheLoadIsSaidToBeMissing() {
        gui::AnalysisWindow* analysis = m_window->AlarmAnalysisWindow();
        QVERIFY(analysis && analysis->HasResult());
        auto* top = analysis->findChild<QTableView*>("topTable");
        auto* tabs = analysis->findChild<QTabWidget*>("analysisTabs");
        analysis->activateWindow();
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
        QTRY_VERIFY(top->isVisible());
        QVERIFY(top->model()->rowCount() > 0);
        // The store emptied under the window, as when another load begins: no record is held now.
        m_window->Controller().Database().StopLoad();
        m_window->Controller().Database().Reset();
        const std::size_t boxes = m_boxes.shown.size();
        DoubleClickRow(top, 0);
        QTRY_COMPARE(m_boxes.shown.size(), boxes + 1);
        QVERIFY(m_boxes.shown.back().text.find("does not hold this record") != std::string::npos);
    }
};

QTEST_MAIN(AnalysisWindowTest)
#include "AnalysisWindowTest.moc"
