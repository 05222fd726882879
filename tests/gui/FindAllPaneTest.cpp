// Find all in the main window, driven through the keyboard and the mouse offscreen over a generated folder:
// the shortcut and the find bar's button fill the results pane with every match (checked against the
// reference matcher over every loaded record), decoded detail included, and a click on a result selects its
// record in the list. The pane's model runs under QAbstractItemModelTester throughout.

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTest>

#include "app/FindAllPane.h"
#include "app/FindBar.h"
#include "app/MainWindow.h"
#include "controller/FindController.h"
#include "platform/TempFolder.h"
#include "simulator/LoggerSimulator.h"
#include "support/RecordingBoxes.h"
#include "support/TempDir.h"
#include "views/ListLargeDataCtrl.h"

using namespace vyx;

class FindAllPaneTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_data;
    std::unique_ptr<CScopedTempFolder> m_temp;
    std::unique_ptr<gui::MainWindow> m_window;
    test::RecordingBoxes m_boxes;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::vector<CRecord> m_records;

    gui::FindBar* Bar() { return m_window->GetFindBar(); }
    gui::FindAllPane* Pane() { return m_window->GetFindAllPane(); }
    QLineEdit* FindText() { return Bar()->findChild<QLineEdit*>("findText"); }
    template <typename Widget>
    void Click(Widget* widget) {
        QVERIFY(widget->isVisible());
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }
    std::vector<std::int64_t> Expected(const CRecordMatcher& matcher) {
        std::vector<std::int64_t> serials;
        std::string scratch;
        for (std::size_t s = 0; s < m_records.size(); ++s) {
            if (matcher.Matches(static_cast<std::int64_t>(s), m_records[s], scratch)) serials.push_back(static_cast<std::int64_t>(s));
        }
        return serials;
    }
    std::vector<std::int64_t> Listed() {
        std::vector<std::int64_t> serials;
        for (int row = 0; row < Pane()->Model().rowCount(); ++row) serials.push_back(Pane()->Model().SerialAt(row));
        return serials;
    }

private slots:
    void initTestCase() {
        QVERIFY(QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer"))
                    .fileName()
                    .startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
        sim::SimulatorOptions options;
        options.days = 2;
        options.recordsPerDay = 20000;
        options.seed = 41;
        sim::GenerateDataFolder(m_data.Path(), options);
        m_temp = std::make_unique<CScopedTempFolder>();
        m_window = std::make_unique<gui::MainWindow>(m_temp->Path());
        m_window->SetMessageBoxes(&m_boxes);
        m_window->resize(1200, 800);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_tester = std::make_unique<QAbstractItemModelTester>(&Pane()->Model(),
                                                              QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY(QTest::qWaitFor(
            [&] { return m_window->Controller().Database().JobId() != 0 && m_window->Controller().LoadEnded(); }, 60000));
        m_records.resize(static_cast<std::size_t>(m_window->Controller().Total()));
        for (std::size_t s = 0; s < m_records.size(); ++s) {
            QVERIFY(m_window->Controller().Database().GetRecord(static_cast<std::int64_t>(s), m_records[s]));
        }
    }

    void cleanupTestCase() {
        m_tester.reset();
        m_window.reset();
    }

    void shortcutListsEveryMatchAndAClickSelectsIt() {
        QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(FindText()->hasFocus());
        QTest::keyClicks(FindText(), QStringLiteral("oPEN"));
        QTest::keyClick(FindText(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(Pane()->isVisible());
        QVERIFY(QTest::qWaitFor([this] { return !Pane()->IsSearching(); }, 60000));
        const std::vector<std::int64_t> expected = Expected(CRecordMatcher::Text("open", false));
        QVERIFY(expected.size() > 100);
        QCOMPARE(Listed(), expected);
        QVERIFY2(Pane()->StatusText().startsWith(QLocale().toString(static_cast<qlonglong>(expected.size()))),
                 qPrintable(Pane()->StatusText()));
        const QModelIndex found = Pane()->Model().index(0, gui::FindResultsModel::MatchColumn);
        QCOMPARE(found.data().toString(), QStringLiteral("MessageMode"));
        QVERIFY(Pane()->Model().index(0, gui::FindResultsModel::MatchText).data().toString().contains("Open"));

        // A click on the third result selects its record in the list.
        QTableView* view = Pane()->View();
        const QRect cell = view->visualRect(Pane()->Model().index(2, gui::FindResultsModel::SrNo));
        QVERIFY(cell.isValid());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(m_window->RecordList()->Paging().SelectedSerial(), expected[2]);
    }

    void findAllButtonWithDecodedDetail() {
        QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier);
        FindText()->selectAll();
        QTest::keyClicks(FindText(), QStringLiteral("obstructed"));
        // Without decoded detail no record has it; the bar says so until the next search.
        QTest::keyClick(FindText(), Qt::Key_Return);
        QVERIFY(QTest::qWaitFor([this] { return !Bar()->IsSearching(); }, 60000));
        QVERIFY(!Bar()->StatusText().isEmpty());
        Click(Bar()->findChild<QCheckBox*>("findDecoded"));
        QVERIFY(Bar()->Decoded());
        Click(Bar()->findChild<QPushButton*>("findAll"));
        QVERIFY(QTest::qWaitFor([this] { return !Pane()->IsSearching(); }, 60000));
        QVERIFY2(Bar()->StatusText().isEmpty(), qPrintable(Bar()->StatusText()));  // not the last search's outcome
        CRecordMatcher decoded = CRecordMatcher::Text("obstructed", false);
        decoded.SetDetailDecoders(MakeDetailDecoders(m_window->Controller().FcuInfo(),
                                                     m_window->Controller().Database().Settings().modbusBaseAddress));
        const std::vector<std::int64_t> expected = Expected(decoded);
        QVERIFY(!expected.empty());
        QVERIFY(Expected(CRecordMatcher::Text("obstructed", false)).empty());
        QCOMPARE(Listed(), expected);
        QCOMPARE(Pane()->Model().index(0, gui::FindResultsModel::MatchColumn).data().toString(),
                 QStringLiteral("Decoded detail"));
        // The text shown is the cell of the detail rows that holds it.
        QVERIFY(Pane()->Model().index(0, gui::FindResultsModel::MatchText).data().toString().contains(
            QStringLiteral("obstructed"), Qt::CaseInsensitive));
        Click(Bar()->findChild<QCheckBox*>("findDecoded"));
    }
};

// The settings go to a folder of this run's own, never the user's.
int main(int argc, char** argv) {
    const vyx::test::TempDir config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path()));
    QApplication app(argc, argv);
    FindAllPaneTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "FindAllPaneTest.moc"
