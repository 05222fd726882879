// The Loop window, the FCU timeline and the overview bar, driven as a user drives them, offscreen, over a
// generated folder: View > Loop... from the menu bar, the events computed on the worker, the slider and
// compare mode, a click on a tile, a double click on a timeline mark (selected in the list when the load
// holds its record, otherwise after clearing the filters), and a click on the overview bar.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QToolTip>

#include "analysis/LoopStateQuery.h"
#include "app/FcuTimelineWindow.h"
#include "app/LoopWindow.h"
#include "app/MainWindow.h"
#include "gui/ViewerInput.h"
#include "platform/TempFolder.h"
#include "simulator/LoggerSimulator.h"
#include "support/RecordingBoxes.h"
#include "support/TempDir.h"
#include "views/FcuTileGrid.h"
#include "views/FcuTimelineView.h"
#include "views/ListLargeDataCtrl.h"
#include "views/TimeHistogramView.h"

using namespace vyx;

class LoopWindowTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_data;
    std::unique_ptr<CScopedTempFolder> m_temp;
    std::unique_ptr<gui::MainWindow> m_window;
    test::RecordingBoxes m_boxes;

    bool WaitForLoad() { return test::WaitForLoad(*m_window); }
    gui::LoopWindow* Loop() { return m_window->GetLoopWindow(); }
    std::int64_t Selected() { return m_window->RecordList()->Paging().SelectedSerial(); }
    std::optional<RecordLocation> SelectedPlace() {
        const std::int64_t serial = Selected();
        if (serial < 0) return std::nullopt;
        return m_window->Controller().Database().LocationOf(serial);
    }
    // Opens the timeline of an FCU by a click on its tile and waits for its events.
    gui::FcuTimelineWindow* OpenTimeline(int fcu) {
        FcuTileGrid* tiles = Loop()->Tiles();
        const QRect r = tiles->TileRect(fcu);
        if (r.isEmpty()) return nullptr;
        QTest::mouseClick(tiles, Qt::LeftButton, {}, r.center());
        if (!QTest::qWaitFor([this, fcu] { return Loop()->Timeline() && Loop()->Timeline()->Ready() &&
                                                  Loop()->Timeline()->Fcu() == fcu; }, 30000))
            return nullptr;
        return Loop()->Timeline();
    }
    // Double-clicks the first mark of a lane whose record lies on the given channel.
    std::optional<FcuEvent> DoubleClickMark(gui::FcuTimelineWindow* timeline, TimelineLane lane, std::size_t index) {
        FcuTimelineView* view = timeline->View();
        const auto point = view->MarkPoint(lane, index);
        if (!point) return std::nullopt;
        const auto mark = view->MarkAt(*point);
        if (!mark || mark->first != lane) return std::nullopt;
        const FcuEvent e = timeline->Shown()->lanes[static_cast<std::size_t>(lane)][mark->second];
        QTest::mouseDClick(view, Qt::LeftButton, {}, *point);
        return e;
    }
    // View > Loop, by mouse.
    bool OpenLoopFromTheMenu() {
        auto* bar = m_window->menuBar();
        auto* view = m_window->findChild<QMenu*>("viewMenu");
        if (!view) return false;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(view->menuAction()).center());
        if (!QTest::qWaitFor([view] { return view->isVisible(); }, 5000)) return false;
        auto* loopAction = m_window->findChild<QAction*>("loopAction");
        QTest::mouseClick(view, Qt::LeftButton, {}, view->actionGeometry(loopAction).center());
        return true;
    }
    RecordLocation PlaceOf(const FcuEvent& e) {
        return {Loop()->Events()->DayFiles()[e.dayFile], e.offset};
    }

private slots:
    void initTestCase() {
        sim::SimulatorOptions options;
        options.days = 2;
        options.recordsPerDay = 4000;
        options.seed = 12;
        options.clockJumps = true;
        sim::GenerateDataFolder(m_data.Path(), options);
        m_temp = std::make_unique<CScopedTempFolder>();
        m_window = std::make_unique<gui::MainWindow>(m_temp->Path());
        m_window->SetMessageBoxes(&m_boxes);
        m_window->resize(1200, 760);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY(WaitForLoad());
    }

    void menuOpensTheLoopWindowAndTheWorkerFillsIt() {
        QVERIFY(OpenLoopFromTheMenu());
        QVERIFY(Loop());
        QVERIFY(QTest::qWaitForWindowExposed(Loop()));
        // A new window fits in the screen of the main window (the test screen is smaller than the size wanted).
        const QRect room = m_window->screen()->availableGeometry();
        QVERIFY(room.contains(Loop()->frameGeometry()));
        QVERIFY(QTest::qWaitFor([this] { return Loop()->Ready() && Loop()->AnswersShown() > 0; }, 60000));
        QTest::qWait(50);
        QVERIFY(room.contains(Loop()->frameGeometry()));
        const CFcuEvents& events = *Loop()->Events();
        QCOMPARE(events.RecordCount(), m_window->Controller().Total() + 0);  // the list's load is unfiltered here
        // The tiles show the state at the slider's moment, as the query answers it.
        QCOMPARE(*Loop()->ShownTime(), events.FirstTime() + static_cast<std::uint32_t>(Loop()->FirstSlider()->value()));
        const auto& tiles = Loop()->Tiles()->Tiles();
        QVERIFY(tiles.size() > 10);
        QCOMPARE(tiles.front().label, std::string("Loop"));
        // The line under the grid counts every tile, each under its condition.
        const QString summary = Loop()->findChild<QLabel*>("loopSummary")->text();
        const QRegularExpression counted(QStringLiteral("(\\d+) (alarm|stopped|moving|silent|normal|unknown)"));
        int sum = 0;
        for (auto it = counted.globalMatch(summary); it.hasNext();) sum += it.next().captured(1).toInt();
        QCOMPARE(sum, static_cast<int>(tiles.size()));
        // The overview bar now shows the records by kind instead of the day files' bytes.
        QCOMPARE(m_window->Overview()->Histogram().series, kRecordKinds);
        QCOMPARE(m_window->Overview()->Histogram().Total(), static_cast<std::uint64_t>(events.RecordCount()));
    }

    void sliderAndCompareModeFollowTheInput() {
        QSlider* slider = Loop()->FirstSlider();
        slider->setFocus();
        const std::uint64_t before = Loop()->AnswersShown();
        for (int i = 0; i < 5; ++i) QTest::keyClick(slider, Qt::Key_PageUp);
        const CFcuEvents& events = *Loop()->Events();
        const std::uint32_t t = events.FirstTime() + static_cast<std::uint32_t>(slider->value());
        QVERIFY(QTest::qWaitFor([&] { return Loop()->AnswersShown() > before && Loop()->ShownTime() == t; }, 10000));
        // The tooltip of a tile says its state at that moment.
        FcuTileGrid* grid = Loop()->Tiles();
        const int fcu = grid->Tiles()[2].fcu;
        QHelpEvent help(QEvent::ToolTip, grid->TileRect(fcu).center(), grid->mapToGlobal(grid->TileRect(fcu).center()));
        QApplication::sendEvent(grid, &help);
        QVERIFY(QToolTip::text().startsWith(QStringLiteral("FCU %1 at ").arg(fcu)));
        QToolTip::hideText();

        // Compare: the framed tiles are the FCUs whose state differs between the two moments.
        QCheckBox* compare = Loop()->CompareBox();
        QTest::mouseClick(compare, Qt::LeftButton, {}, QPoint(8, compare->height() / 2));
        QVERIFY(compare->isChecked());
        const std::uint32_t second = events.FirstTime() + static_cast<std::uint32_t>(Loop()->SecondSlider()->value());
        QVERIFY(QTest::qWaitFor([&] { return Loop()->ShownTime() == second; }, 10000));
        CLoopStateQuery query(events);
        const auto earlier = std::make_unique<LoopState>(query.StateAt(std::min(t, second)));
        const auto later = std::make_unique<LoopState>(query.StateAt(std::max(t, second)));
        std::size_t expected = 0;
        for (const FcuDifference& d : CompareLoopStates(*earlier, *later)) {
            for (const LoopTile& tile : grid->Tiles()) expected += tile.fcu == d.fcu;
        }
        std::size_t framed = 0;
        for (const LoopTile& tile : grid->Tiles()) framed += !tile.change.empty();
        QVERIFY(expected > 0);
        QCOMPARE(framed, expected);
        QTest::mouseClick(compare, Qt::LeftButton, {}, QPoint(8, compare->height() / 2));
        QVERIFY(!compare->isChecked());
    }

    void doubleClickOnAMarkSelectsItsRecord() {
        gui::FcuTimelineWindow* timeline = OpenTimeline(Loop()->Tiles()->Tiles()[3].fcu);
        QVERIFY(timeline);
        m_boxes.shown.clear();  // the folder's notices at the load
        const auto e = DoubleClickMark(timeline, TimelineLane::HeardA, 0);
        QVERIFY(e.has_value());
        QVERIFY(QTest::qWaitFor([&] { return SelectedPlace() == PlaceOf(*e); }, 5000));
        QVERIFY(m_boxes.shown.empty());
    }

    // Escape and Ctrl+W close the timeline and the Loop window, as their close boxes do: the timeline alone
    // from the timeline; the Loop window keeps its events and shows them again from the menu.
    void escapeAndCtrlWCloseTheWindows() {
        gui::FcuTimelineWindow* timeline = OpenTimeline(Loop()->Tiles()->Tiles()[3].fcu);
        QVERIFY(timeline);
        QCOMPARE(QApplication::focusWidget(), timeline->View());
        QTest::keyClick(timeline->View(), Qt::Key_Escape);
        QVERIFY(!timeline->isVisible());
        QVERIFY(Loop()->isVisible());
        timeline = OpenTimeline(Loop()->Tiles()->Tiles()[4].fcu);
        QVERIFY(timeline);
        QTest::keyClick(timeline->View(), Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!timeline->isVisible());

        const CFcuEvents* events = Loop()->Events();
        auto* time = Loop()->findChild<QDateTimeEdit*>("loopTime1");
        Loop()->activateWindow();  // as the click on it does with a window manager
        QVERIFY(QTest::qWaitForWindowActive(Loop()));
        QWidget* field = QApplication::widgetAt(time->mapToGlobal(time->rect().center()));  // its line edit
        QVERIFY(field && time->isAncestorOf(field));
        QTest::mouseClick(field, Qt::LeftButton, {}, field->rect().center());
        QCOMPARE(QApplication::focusWidget(), time);
        QTest::keyClick(time, Qt::Key_Escape);
        QVERIFY(!Loop()->isVisible());
        QVERIFY(OpenLoopFromTheMenu());
        QVERIFY(QTest::qWaitForWindowExposed(Loop()));
        QCOMPARE(Loop()->Events(), events);
        QVERIFY(!Loop()->Computing());
        QSlider* slider = Loop()->FirstSlider();
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!Loop()->isVisible());
        QVERIFY(OpenLoopFromTheMenu());
        QVERIFY(QTest::qWaitForWindowExposed(Loop()));

        // A moment typed over the whole field, as it reads, is the moment the field holds.
        const QDateTime now = time->dateTime();
        const QDateTime wanted = now.addSecs(now.addSecs(3723) <= time->maximumDateTime() ? 3723 : -3723);
        Loop()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Loop()));
        QTest::mouseClick(field, Qt::LeftButton, {}, field->rect().center());
        QTest::keyClick(time, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(time, wanted.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")));
        QCOMPARE(time->dateTime(), wanted);
    }

    void markOutsideTheFilteredListIsLoadedAfterAsking() {
        // Keep only channel B in the list, then ask for a record heard on channel A.
        auto* channel = m_window->findChild<QComboBox*>("channelCombo");
        channel->setFocus();
        QTest::keyClick(channel, Qt::Key_Down);
        QTest::keyClick(channel, Qt::Key_Down);
        QVERIFY(channel->currentText().contains(QStringLiteral("MS_B")));
        auto* filter = m_window->findChild<QPushButton*>("messageFilterButton");
        QVERIFY(filter);
        QTest::mouseClick(filter, Qt::LeftButton);
        QVERIFY(WaitForLoad());
        QVERIFY(m_window->Controller().Total() < Loop()->Events()->RecordCount());

        gui::FcuTimelineWindow* timeline = OpenTimeline(Loop()->Tiles()->Tiles()[5].fcu);
        QVERIFY(timeline);
        m_boxes.shown.clear();
        const auto e = DoubleClickMark(timeline, TimelineLane::HeardA, 1);
        QVERIFY(e.has_value());
        QVERIFY(QTest::qWaitFor([&] { return !m_boxes.shown.empty(); }, 5000));
        QVERIFY(m_boxes.shown.back().text.find("Clear the filters") != std::string::npos);
        QVERIFY(WaitForLoad());
        QVERIFY(QTest::qWaitFor([&] { return SelectedPlace() == PlaceOf(*e); }, 10000));
        QCOMPARE(m_window->Controller().Total(), Loop()->Events()->RecordCount());
        QCOMPARE(m_window->Controller().SortState(), LoadOrder::Ascending);
        QCOMPARE(m_window->RecordList()->Paging().SortState(), LoadOrder::Ascending);
        QCOMPARE(channel->currentIndex(), 0);
    }

    void overviewBarClickGoesToThatTime() {
        TimeHistogramView* overview = m_window->Overview();
        QVERIFY(overview->isVisible());
        const QPoint point(overview->width() * 2 / 3, overview->height() / 3);
        const std::uint32_t t = static_cast<std::uint32_t>(overview->Axis().TimeAt(point.x()));
        const std::int64_t before = Selected();
        QTest::mouseClick(overview, Qt::LeftButton, {}, point);
        QVERIFY(QTest::qWaitFor([&] { return Selected() != before && Selected() >= 0; }, 10000));
        // In ascending time the record selected is the first at or after the moment clicked.
        CRecord record;
        QVERIFY(m_window->Controller().Database().GetRecord(Selected(), record));
        QVERIFY(record.m_nTime >= t);
    }

    // A timeline left open on a folder, when another is opened with the loop window closed: its marks name their
    // folder and load nothing. The loop window opened on the new folder takes the old timeline away.
    void anotherFolderLeavesTheOldTimelineNothingToLoad() {
        const QPointer<gui::FcuTimelineWindow> timeline = OpenTimeline(Loop()->Tiles()->Tiles()[3].fcu);
        QVERIFY(timeline);
        Loop()->close();
        const test::TempDir other;
        sim::SimulatorOptions options;
        options.days = 1;
        options.recordsPerDay = 600;
        options.seed = 4;
        sim::GenerateDataFolder(other.Path(), options);
        m_window->OpenFolder(QString::fromStdString(other.Path()), true);
        QVERIFY(WaitForLoad());
        const std::uint32_t job = m_window->Controller().Database().JobId();
        m_boxes.shown.clear();
        std::optional<FcuEvent> e;
        for (std::size_t i = 0; !e && i < 5; ++i) e = DoubleClickMark(timeline.data(), TimelineLane::HeardA, i);
        QVERIFY(e);
        QVERIFY(QTest::qWaitFor([&] { return !m_boxes.shown.empty(); }, 5000));
        QVERIFY2(m_boxes.shown.back().text.find("not in the folder open now") != std::string::npos,
                 m_boxes.shown.back().text.c_str());
        QCOMPARE(m_window->Controller().Database().JobId(), job);

        QVERIFY(OpenLoopFromTheMenu());
        QVERIFY(QTest::qWaitFor([&] { return Loop()->Folder() == other.Path() && Loop()->Ready(); }, 30000));
        QVERIFY(!Loop()->Timeline());
        QVERIFY(QTest::qWaitFor([&] { return timeline.isNull(); }, 5000));
    }

    void cleanupTestCase() { m_window.reset(); }
};

// The settings (recent folders, layout, last folder) go to a folder of this run's own, never the user's.
int main(int argc, char** argv) {
    const vyx::test::TempDir config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path()));
    QApplication app(argc, argv);
    LoopWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LoopWindowTest.moc"
