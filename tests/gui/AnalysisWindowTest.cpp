// Report > "Alarm Analysis..." driven as a user drives it, offscreen: opened from the menu by clicks, the
// results arrive from the worker, a double click on a flood selects its first-out in the main list, and a
// record the current load does not hold is said to be missing.

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <numeric>

#include "app/AlarmChartWidget.h"
#include "app/AnalysisTableModel.h"
#include "app/AnalysisWindow.h"
#include "app/FigureCard.h"
#include "app/MainWindow.h"
#include "gui/ViewerInput.h"
#include "platform/TempFolder.h"
#include "simulator/LoggerSimulator.h"
#include "support/FileText.h"
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

    static QString Text(const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
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
        // A new window fits in the screen of the main window (the test screen is smaller than the size wanted),
        // and stays in it once the cards have come.
        const QRect room = m_window->screen()->availableGeometry();
        QVERIFY2(room.contains(analysis->frameGeometry()), qPrintable(Text(analysis->frameGeometry())));
        QTRY_VERIFY_WITH_TIMEOUT(analysis->HasResult(), 60000);
        QTest::qWait(50);  // the cards laid out
        QVERIFY2(room.contains(analysis->frameGeometry()), qPrintable(Text(analysis->frameGeometry())));
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

    // The table's text as the window shows it: the header, then the rows given, each cell between tabs.
    static QString ShownText(const QAbstractItemModel* model, const std::vector<int>& rows) {
        QStringList lines;
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c) cells << model->headerData(c, Qt::Horizontal).toString();
        lines << cells.join(QLatin1Char('\t'));
        for (const int r : rows) {
            cells.clear();
            for (int c = 0; c < model->columnCount(); ++c) cells << model->index(r, c).data().toString();
            lines << cells.join(QLatin1Char('\t'));
        }
        return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }

    // Runs fn on the context menu once it is up (its exec() holds the caller until the menu closes).
    static void OnMenu(std::function<void(QMenu*)> fn) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, fn] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible()) return;
            timer->stop();
            timer->deleteLater();
            fn(menu);
        });
        timer->start(10);
    }

    // A right click as the window system delivers it (a click sent to the widget brings no context menu).
    static void RightClick(QWidget* widget, QPoint at) {
        QWidget* window = widget->window();
        QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, widget->mapTo(window, at));
    }

    // Ctrl+C and the context menu copy the selected rows with the header as tab-separated text, or the whole
    // table when no row is selected; Escape closes the menu first, not the window. A table that numbers its
    // rows has no row header besides.
    void copiesRowsAsTabSeparatedText() {
        gui::AnalysisWindow* analysis = m_window->AlarmAnalysisWindow();
        QVERIFY(analysis && analysis->HasResult());
        analysis->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(analysis));
        auto* tabs = analysis->findChild<QTabWidget*>("analysisTabs");
        auto* top = analysis->findChild<QTableView*>("topTable");
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
        QTRY_VERIFY(top->isVisible());
        QVERIFY(top->model()->rowCount() >= 3);
        QVERIFY(!top->verticalHeader()->isVisible());
        QVERIFY(!analysis->findChild<QTableView*>("floodsTable")->verticalHeader()->isVisible());
        const auto rowPoint = [&](int row) { return top->visualRect(top->model()->index(row, 2)).center(); };
        QVERIFY(test::ClickOnScreen(top->viewport(), rowPoint(0)));
        QTest::mouseClick(top->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowPoint(2));
        QApplication::clipboard()->clear();
        QTest::keyClick(top, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), ShownText(top->model(), {0, 1, 2}));

        bool closed = false;
        OnMenu([&](QMenu* menu) {
            QTest::keyClick(menu, Qt::Key_Escape);
            closed = !menu->isVisible();
        });
        RightClick(top->viewport(), rowPoint(1));
        QTRY_VERIFY(closed);
        QVERIFY(analysis->isVisible());
        QApplication::clipboard()->clear();
        OnMenu([](QMenu* menu) {
            QAction* copy = nullptr;
            for (QAction* action : menu->actions()) {
                if (action->text() == QStringLiteral("&Copy")) copy = action;
            }
            if (copy) QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(copy).center());
        });
        RightClick(top->viewport(), rowPoint(1));
        QTRY_COMPARE(QApplication::clipboard()->text(), ShownText(top->model(), {0, 1, 2}));

        // Nothing selected yet in this table: all of it, header first.
        auto* codes = analysis->findChild<QTableView*>("codesTable");
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(7).center());
        QTRY_VERIFY(codes->isVisible());
        QVERIFY(codes->verticalHeader()->isVisible());
        QVERIFY(!codes->selectionModel()->hasSelection());
        analysis->activateWindow();  // keys go to the active window only
        QVERIFY(QTest::qWaitForWindowActive(analysis));
        codes->setFocus();
        QTest::keyClick(codes, Qt::Key_C, Qt::ControlModifier);
        std::vector<int> all(static_cast<std::size_t>(codes->model()->rowCount()));
        std::iota(all.begin(), all.end(), 0);
        QVERIFY(all.size() > 3);
        QTRY_COMPARE(QApplication::clipboard()->text(), ShownText(codes->model(), all));
    }

    // Save Report... writes the figures shown, with the responders and the roll call, in the form chosen, on a
    // thread of its own; a file in the data folder is refused, as everywhere.
    void savesTheReportInEachForm() {
        gui::AnalysisWindow* analysis = m_window->AlarmAnalysisWindow();
        QVERIFY(analysis && analysis->HasResult());
        analysis->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(analysis));
        auto* save = analysis->findChild<QPushButton*>("analysisSave");
        auto* status = analysis->findChild<QLabel*>("analysisStatus");
        QVERIFY(save && status && save->isEnabled());
        test::TempDir out;
        const struct {
            const char* type;
            std::string path;
            std::vector<const char*> holds;
            const char* says;
        } cases[] = {
            {"html", out.File("alarms.html"), {"<svg", "Responses per FCU", "Global ESD roll call", "Span"}, "was saved"},
            {"csv", out.File("alarms.csv"), {"Responses per FCU", "Global ESD roll call", "Per 10 minutes"},
             "was saved"},
            // The report's facts, eight alarm tables with the chart's data, the responders and the roll call.
            {"xlsx", out.File("alarms.xlsx"), {"xl/worksheets/sheet11.xml"}, "was saved"},
            {"html", m_data.File("alarms.html"), {}, "lies in the data folder"},
        };
        for (const auto& c : cases) {
            analysis->SetReportChooser([&c](QWidget*, QString& type) {
                type = QString::fromLatin1(c.type);
                return QString::fromStdString(c.path);
            });
            QVERIFY(test::ClickOnScreen(save));
            QTRY_VERIFY_WITH_TIMEOUT(status->text().contains(QLatin1String(c.says)), 20000);
            QVERIFY2(status->text().contains(QString::fromStdString(c.path)), qPrintable(status->text()));
            QTRY_VERIFY(save->isEnabled());
            QCOMPARE(std::filesystem::exists(c.path), !c.holds.empty());
            if (c.holds.empty()) continue;
            const std::string text = test::ReadFileText(c.path);
            for (const char* piece : c.holds) QVERIFY2(text.find(piece) != std::string::npos, piece);
        }
    }

    // Escape and Ctrl+W close the window wherever the focus is in it, as its close box does: a run under way
    // is cancelled and ends; opened again, the window computes its figures anew.
    void escapeAndCtrlWClose() {
        gui::AnalysisWindow* analysis = OpenFromMenu();
        QVERIFY(analysis);
        QVERIFY(QTest::qWaitForWindowExposed(analysis));
        auto* tabs = analysis->findChild<QTabWidget*>("analysisTabs");
        tabs->tabBar()->setFocus();
        QTest::keyClick(tabs->tabBar(), Qt::Key_Escape);
        QVERIFY(!analysis->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!analysis->Running(), 60000);

        analysis = OpenFromMenu();
        QVERIFY(analysis);
        QVERIFY(QTest::qWaitForWindowExposed(analysis));
        QTRY_VERIFY_WITH_TIMEOUT(analysis->HasResult(), 60000);
        auto* floods = analysis->findChild<QTableView*>("floodsTable");
        QVERIFY(test::ClickOnScreen(floods->viewport(), floods->visualRect(floods->model()->index(0, 1)).center()));
        QCOMPARE(QApplication::focusWidget(), floods);
        QTest::keyClick(floods, Qt::Key_Escape);
        QVERIFY(!analysis->isVisible());

        analysis = OpenFromMenu();
        QVERIFY(analysis);
        QVERIFY(QTest::qWaitForWindowExposed(analysis));
        QTRY_VERIFY_WITH_TIMEOUT(analysis->HasResult(), 60000);
        floods = analysis->findChild<QTableView*>("floodsTable");
        floods->setFocus();
        QTest::keyClick(floods, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!analysis->isVisible());
    }

    // The chart's y axis: on a scale of hundreds the lines at 1, 2 and 10 lie a pixel apart, on a short chart
    // of 12 the 1 and the 2 do. The top of the scale is always labelled; no two labels overlap; a line goes
    // unlabelled only where its label would overlap one kept.
    void axisLabelsNeverOverlap_data() {
        QTest::addColumn<std::uint32_t>("scale");
        QTest::addColumn<double>("plotHeight");
        QTest::addColumn<double>("labelHeight");
        QTest::newRow("a big folder") << 963u << 132.0 << 16.0;
        QTest::newRow("the least scale, short") << 12u << 132.0 << 16.0;
        QTest::newRow("the least scale, tall") << 12u << 600.0 << 16.0;
        QTest::newRow("10 close under the top") << 12u << 90.0 << 16.0;
        QTest::newRow("a medium scale") << 60u << 300.0 << 16.0;
    }

    void axisLabelsNeverOverlap() {
        QFETCH(std::uint32_t, scale);
        QFETCH(double, plotHeight);
        QFETCH(double, labelHeight);
        const std::vector<std::uint32_t> kept = vyx::AxisLabelValues(scale, plotHeight, labelHeight);
        const auto at = [&](std::uint32_t v) { return v * plotHeight / scale; };
        QVERIFY(!kept.empty());
        QCOMPARE(kept.front(), scale);
        for (std::size_t i = 0; i < kept.size(); ++i) {
            for (std::size_t k = i + 1; k < kept.size(); ++k) {
                QVERIFY2(std::abs(at(kept[i]) - at(kept[k])) >= labelHeight,
                         qPrintable(QStringLiteral("%1 and %2 overlap").arg(kept[i]).arg(kept[k])));
            }
        }
        for (const std::uint32_t line : {1u, 2u, 10u}) {
            if (std::find(kept.begin(), kept.end(), line) != kept.end()) continue;
            const bool overlaps = std::any_of(kept.begin(), kept.end(), [&](std::uint32_t other) {
                return std::abs(at(line) - at(other)) < labelHeight;
            });
            QVERIFY2(overlaps, qPrintable(QStringLiteral("%1 left out with room for it").arg(line)));
        }
    }
};

QTEST_MAIN(AnalysisWindowTest)
#include "AnalysisWindowTest.moc"
