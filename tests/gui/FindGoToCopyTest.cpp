// Go to, find and copy in the main window, driven as a user drives them, offscreen, over a generated folder:
// the shortcuts, the dialogs, the find bar with its wrap notice, Escape, the clipboard and the row menu. The
// expected rows come from walking every loaded record here.
//
// With VYX_FIND_BENCH_FOLDER set to a large data folder, one more case times a full find over it and
// measures how long the window's event loop is ever kept waiting meanwhile.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "app/FindBar.h"
#include "app/GoToDialogs.h"
#include "app/MainWindow.h"
#include "gui/ViewerInput.h"
#include "controller/RecordMatcher.h"
#include "decode/FormatRecord.h"
#include "decode/RecordTextLine.h"
#include "platform/TempFolder.h"
#include "simulator/LoggerSimulator.h"
#include "support/RecordingBoxes.h"
#include "support/TempDir.h"
#include "views/ListLargeDataCtrl.h"

using namespace vyx;

namespace {

using test::OnModal;

QString DateTimeText(std::uint32_t time) {
    const CivilDateTime t = BreakDown(time);
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::UTC)
        .toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

}  // namespace

class FindGoToCopyTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_data;
    std::unique_ptr<CScopedTempFolder> m_temp;
    std::unique_ptr<gui::MainWindow> m_window;
    test::RecordingBoxes m_boxes;
    std::vector<CRecord> m_records;

    static bool WaitForLoad(gui::MainWindow& window, int timeoutMs = 60000) {
        return test::WaitForLoad(window, timeoutMs);
    }
    bool WaitForSearch() {
        return QTest::qWaitFor([this] { return !Bar()->IsSearching(); }, 60000);
    }
    gui::FindBar* Bar() { return m_window->GetFindBar(); }
    QTableView* Page() { return m_window->RecordList()->PageView(); }
    QLineEdit* FindText() { return Bar()->findChild<QLineEdit*>("findText"); }
    std::int64_t Selected() { return m_window->RecordList()->Paging().SelectedSerial(); }
    QString SelectedCell(int column) {
        const int row = m_window->RecordList()->Paging().SelectedPageRow();
        return Page()->model()->index(row, column).data().toString();
    }
    std::vector<std::int64_t> Matching(const CRecordMatcher& matcher) {
        std::vector<std::int64_t> serials;
        std::string scratch;
        for (std::size_t s = 0; s < m_records.size(); ++s) {
            if (matcher.Matches(static_cast<std::int64_t>(s), m_records[s], scratch)) {
                serials.push_back(static_cast<std::int64_t>(s));
            }
        }
        return serials;
    }
    // Shortcuts and the focus work in the active window; a closed dialog leaves none active offscreen.
    bool Activate() {
        m_window->activateWindow();
        return QTest::qWaitForWindowActive(m_window.get());
    }
    void GoToSrNo(std::int64_t srNo) {
        OnModal<gui::GoToRecordDialog>([srNo](gui::GoToRecordDialog* dialog) {
            auto* box = dialog->findChild<QSpinBox*>("goToSrNo");
            box->selectAll();
            QTest::keyClicks(box, QString::number(srNo));
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::keyClick(m_window.get(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(Activate());
    }
    void TypeQuery(const QString& text, int mode) {
        QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier);
        Bar()->findChild<QComboBox*>("findMode")->setCurrentIndex(mode);
        QVERIFY(FindText()->hasFocus());
        FindText()->selectAll();
        QTest::keyClicks(FindText(), text);
    }

private slots:
    void initTestCase() {
        QVERIFY(QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer"))
                    .fileName()
                    .startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
        sim::SimulatorOptions options;
        options.days = 2;
        options.recordsPerDay = 3000;
        options.seed = 33;
        options.clockJumps = true;
        sim::GenerateDataFolder(m_data.Path(), options);
        m_temp = std::make_unique<CScopedTempFolder>();
        m_window = std::make_unique<gui::MainWindow>(m_temp->Path());
        m_window->SetMessageBoxes(&m_boxes);
        m_window->resize(1200, 700);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(Activate());
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY(WaitForLoad(*m_window));
        const std::int64_t total = m_window->Controller().Total();
        QVERIFY(total > 5000);
        m_records.resize(static_cast<std::size_t>(total));
        for (std::int64_t s = 0; s < total; ++s) {
            QVERIFY(m_window->Controller().Database().GetRecord(s, m_records[static_cast<std::size_t>(s)]));
        }
    }

    void cleanupTestCase() { m_window.reset(); }

    void goToRecordSelectsThatRow() {
        // A number past the last is refused in the dialog, with a word, not cut to another row.
        const std::int64_t total = m_window->Controller().Total();
        Page()->setFocus();
        OnModal<gui::GoToRecordDialog>([total](gui::GoToRecordDialog* dialog) {
            auto* box = dialog->findChild<QSpinBox*>("goToSrNo");
            box->selectAll();
            QTest::keyClicks(box, QString::number(total * 10 + 9));
            QTest::keyClick(box, Qt::Key_Return);
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->findChild<QLabel*>("goToSrNoRefusal")->text(),
                     QStringLiteral("There is no Sr.No. %1: the list ends at %2.").arg(total * 10 + 9).arg(total));
            QTest::keyClick(box, Qt::Key_Escape);
        });
        const std::int64_t before = Selected();
        QTest::keyClick(m_window.get(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(Activate());
        QCOMPARE(Selected(), before);
        Page()->setFocus();
        GoToSrNo(4321);
        QCOMPARE(Selected(), std::int64_t{4320});
        QCOMPARE(SelectedCell(0), QStringLiteral("4321"));
        QVERIFY(Page()->hasFocus());
        // The keys go on from there.
        QTest::keyClick(Page(), Qt::Key_Down);
        QCOMPARE(SelectedCell(0), QStringLiteral("4322"));
    }

    void goToTimeSelectsTheFirstRecordAtOrAfterIt() {
        // In stored order with clock jumps the times are not sorted: the first in serial order counts.
        const std::uint32_t time = m_records[3500].m_nTime + 1;
        std::int64_t expected = -1;
        for (std::size_t s = 0; s < m_records.size() && expected < 0; ++s) {
            if (m_records[s].m_nTime >= time) expected = static_cast<std::int64_t>(s);
        }
        QVERIFY(expected >= 0);
        const QString when = DateTimeText(time);
        OnModal<gui::GoToTimeDialog>([time](gui::GoToTimeDialog* dialog) {
            // Typed over the whole field, as it reads.
            auto* edit = dialog->findChild<QDateTimeEdit*>("goToDateTime");
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(edit, QDateTime::fromSecsSinceEpoch(time, Qt::UTC).toString("dd/MM/yyyy HH:mm:ss"));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        const int widest = Bar()->minimumSizeHint().width();
        QTest::keyClick(m_window.get(), Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(Activate());
        QVERIFY(Bar()->isVisible());
        QVERIFY(WaitForSearch());
        QCOMPARE(Selected(), expected);
        QCOMPARE(Bar()->StatusText(),
                 QStringLiteral("Sr.No. %1 is the first record at or after %2.").arg(expected + 1).arg(when));
        // However long what the bar says, the window need not be wider for it.
        QCOMPARE(Bar()->minimumSizeHint().width(), widest);
        // Closed and opened anew for a find, it no longer says where the go to went.
        QTest::keyClick(FindText(), Qt::Key_Escape);
        QVERIFY(!Bar()->isVisible());
        QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(Bar()->isVisible());
        QCOMPARE(Bar()->StatusText(), QString());
        QTest::keyClick(FindText(), Qt::Key_Escape);
    }

    void findNextPreviousAndWrap() {
        std::vector<std::int64_t> matches = Matching(CRecordMatcher::Text("set time", false));
        QVERIFY(matches.size() >= 3);
        // The search starts after the selected row (the first): a match there is found last.
        if (matches.front() == 0) std::rotate(matches.begin(), matches.begin() + 1, matches.end());
        GoToSrNo(1);
        TypeQuery(QStringLiteral("SET time"), 0);
        QTest::keyClick(FindText(), Qt::Key_Return);
        QVERIFY(Bar()->IsSearching());
        QVERIFY(WaitForSearch());
        QCOMPARE(Selected(), matches[0]);
        QVERIFY(SelectedCell(3).contains(QStringLiteral("Set Time")));
        QCOMPARE(Bar()->StatusText(), QStringLiteral("Found at Sr.No. %1.").arg(matches[0] + 1));

        QTest::keyClick(FindText(), Qt::Key_F3);
        QVERIFY(WaitForSearch());
        QCOMPARE(Selected(), matches[1]);
        QTest::keyClick(FindText(), Qt::Key_F3, Qt::ShiftModifier);
        QVERIFY(WaitForSearch());
        QCOMPARE(Selected(), matches[0]);

        // Backward from the first match goes round to the last one, and says so.
        if (matches.back() == 0) QSKIP("the first record matches: no wrap to see");
        QTest::keyClick(FindText(), Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(WaitForSearch());
        QCOMPARE(Selected(), matches.back());
        QCOMPARE(Bar()->StatusText(), QStringLiteral("Passed the top of the list; continued from the end. "
                                                     "Found at Sr.No. %1.")
                                          .arg(matches.back() + 1));
        QTest::keyClick(m_window.get(), Qt::Key_F3);
        QVERIFY(WaitForSearch());
        QCOMPARE(Selected(), matches.front());
        QVERIFY(Bar()->StatusText().startsWith(QStringLiteral("Passed the end of the list; continued from the top.")));

        // Nothing there: the selection stays.
        TypeQuery(QStringLiteral("no such text anywhere"), 0);
        QTest::keyClick(FindText(), Qt::Key_Return);
        QVERIFY(WaitForSearch());
        QCOMPARE(Selected(), matches.front());
        QCOMPARE(Bar()->StatusText(), QStringLiteral("\"no such text anywhere\" was not found."));
    }

    void findHexBytesInMessageContent() {
        const CRecord& target = m_records[2345];
        QVERIFY(target.m_nDataLength >= 4);
        const std::vector<std::uint8_t> bytes(target.m_pData.begin() + 1, target.m_pData.begin() + 4);
        const std::vector<std::int64_t> matches = Matching(CRecordMatcher::Bytes(bytes));
        QVERIFY(!matches.empty());
        TypeQuery(QStringLiteral("zz"), 1);
        QTest::keyClick(FindText(), Qt::Key_Return);
        QCOMPARE(Bar()->StatusText(), QStringLiteral("Type the bytes as pairs of hex digits, e.g. 01 A0."));
        QVERIFY(!Bar()->IsSearching());

        GoToSrNo(1);
        const QString hex = QString::fromStdString(FormatHexBytes(bytes.data(), bytes.size())).trimmed().toLower();
        TypeQuery(hex, 1);
        QTest::keyClick(FindText(), Qt::Key_Return);
        QVERIFY(WaitForSearch());
        const auto expected = matches.front() == 0 && matches.size() > 1 ? matches[1] : matches.front();
        QCOMPARE(Selected(), expected);
        QVERIFY(SelectedCell(2).contains(hex.toUpper()));
        Bar()->findChild<QComboBox*>("findMode")->setCurrentIndex(0);
    }

    void escapeCancelsTheSearchThenClosesTheBar() {
        GoToSrNo(10);
        TypeQuery(QStringLiteral("no such text anywhere"), 0);
        // The bar's buttons stay where they are while the search shows its progress.
        QWidget* next = Bar()->findChild<QWidget*>("findNext");
        QVERIFY(next);
        const QRect before = next->geometry();
        QTest::keyClick(FindText(), Qt::Key_Return);
        QVERIFY(Bar()->IsSearching());
        QApplication::sendPostedEvents(Bar(), QEvent::LayoutRequest);
        QCOMPARE(next->geometry(), before);
        QTest::keyClick(FindText(), Qt::Key_Escape);
        QVERIFY(!Bar()->IsSearching());
        QCOMPARE(Bar()->StatusText(), QStringLiteral("Search cancelled."));
        QVERIFY(!m_window->Search().IsRunning());
        QTest::qWait(200);  // whatever it had queued is dropped
        QCOMPARE(Bar()->StatusText(), QStringLiteral("Search cancelled."));
        QVERIFY(Bar()->isVisible());

        // Escape on the list while a search runs cancels it too, rather than closing the window.
        Page()->setFocus();
        QTest::keyClick(Page(), Qt::Key_F3);
        QVERIFY(Bar()->IsSearching());
        QTest::keyClick(Page(), Qt::Key_Escape);
        QVERIFY(!Bar()->IsSearching());
        QVERIFY(m_window->isVisible());

        // With nothing running, Escape in the bar closes the bar and hands the focus back to the list.
        FindText()->setFocus();
        QTest::keyClick(FindText(), Qt::Key_Escape);
        QVERIFY(!Bar()->isVisible());
        QVERIFY(m_window->isVisible());
        QVERIFY(Page()->hasFocus());
        QCOMPARE(Selected(), std::int64_t{9});
    }

    void copyRowAndMessageContent() {
        GoToSrNo(77);
        QApplication::clipboard()->clear();
        QTest::keyClick(Page(), Qt::Key_C, Qt::ControlModifier);
        std::string line = RecordTextLine(m_records[76], 77);
        line.resize(line.size() - 2);  // no CR LF
        QCOMPARE(QApplication::clipboard()->text(), QString::fromStdString(line));

        // The row menu acts on the row under the pointer.
        const int row = 3;
        const QPoint pos(40, Page()->rowViewportPosition(row) + Page()->rowHeight(row) / 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, Page()->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(Page()->viewport(), &event);
        const std::int64_t serial = m_window->RecordList()->Paging().First() + row;
        QCOMPARE(Selected(), serial);
        QMenu* menu = m_window->findChild<QMenu*>("recordContextMenu");
        QVERIFY(menu);
        QTRY_VERIFY(menu->isVisible());
        QStringList texts;
        for (QAction* action : menu->actions()) texts << action->text();
        QCOMPARE(texts, (QStringList{QStringLiteral("&Copy Row"), QStringLiteral("Copy &MessageContent")}));
        QAction* copyContent = menu->actions().at(1);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(copyContent).center());
        QTRY_VERIFY(!menu->isVisible());
        const CRecord& record = m_records[static_cast<std::size_t>(serial)];
        QCOMPARE(QApplication::clipboard()->text(),
                 QString::fromStdString(CFormatRecord(&record).FormatMessageContent()));
    }

    void aNewLoadStopsARunningSearchFirst() {
        GoToSrNo(1);
        TypeQuery(QStringLiteral("no such text anywhere"), 0);
        QTest::keyClick(FindText(), Qt::Key_Return);
        QVERIFY(Bar()->IsSearching());
        // "&Filter !" resets the store the search reads; the search must have let go of it by then.
        QTest::mouseClick(m_window->findChild<QPushButton*>("messageFilterButton"), Qt::LeftButton);
        QVERIFY(!m_window->Search().IsRunning());
        QCOMPARE(Bar()->StatusText(), QStringLiteral("Search cancelled: the records were reloaded."));
        QVERIFY(WaitForLoad(*m_window));
        QCOMPARE(m_window->Controller().Total(), static_cast<std::int64_t>(m_records.size()));
        QCOMPARE(Bar()->StatusText(), QStringLiteral("Search cancelled: the records were reloaded."));
    }

    void findOverTheBenchmarkFolder() {
        const QString folder = qEnvironmentVariable("VYX_FIND_BENCH_FOLDER");
        if (folder.isEmpty()) QSKIP("set VYX_FIND_BENCH_FOLDER to a large data folder to time a find over it");
        m_window->OpenFolder(folder, true);
        QElapsedTimer load;
        load.start();
        QVERIFY(WaitForLoad(*m_window, 30 * 60 * 1000));
        const std::int64_t total = m_window->Controller().Total();
        qInfo("loaded %lld records in %.1f s", static_cast<long long>(total), load.elapsed() / 1000.0);

        // The event loop's longest wait while the search runs, from a timer that ticks every 10 ms.
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
        auto timeFind = [&](const QString& text, int mode) {
            GoToSrNo(1);
            TypeQuery(text, mode);
            longestGap = 0;
            QElapsedTimer search;
            search.start();
            sinceTick.start();
            ticker.start(10);
            QTest::keyClick(FindText(), Qt::Key_Return);
            const bool ended = QTest::qWaitFor([this] { return !Bar()->IsSearching(); }, 30 * 60 * 1000);
            ticker.stop();
            qInfo("find %s over %lld records: %.2f s, longest event-loop wait %lld ms (%s)", qPrintable(text),
                  static_cast<long long>(total), search.elapsed() / 1000.0, static_cast<long long>(longestGap),
                  qPrintable(Bar()->StatusText()));
            return ended;
        };
        // The floor: the same timer with no search running, on a machine that may be busy with other work.
        longestGap = 0;
        sinceTick.start();
        ticker.start(10);
        QTest::qWait(3000);
        ticker.stop();
        qInfo("no search running: longest event-loop wait %lld ms over 3 s", static_cast<long long>(longestGap));
        QVERIFY(timeFind(QStringLiteral("no such text anywhere"), 0));
        QVERIFY(timeFind(QStringLiteral("01 02 03 04 05 06 07"), 1));

        // Cancelled a fiftieth of a second in: how soon the window has it back (a find quicker than that leaves
        // nothing to cancel).
        TypeQuery(QStringLiteral("no such text anywhere"), 0);
        QTest::keyClick(FindText(), Qt::Key_Return);
        QTest::qWait(20);
        if (!Bar()->IsSearching()) {
            qInfo("the find ended within 20 ms: nothing left to cancel");
            return;
        }
        QElapsedTimer cancel;
        cancel.start();
        QTest::keyClick(FindText(), Qt::Key_Escape);
        qInfo("cancelled after 20 ms: the search thread ended %.1f ms after Escape", cancel.nsecsElapsed() / 1e6);
        QVERIFY(!Bar()->IsSearching());
    }
};

// The settings (recent folders, layout, last folder) go to a folder of this run's own, never the user's.
int main(int argc, char** argv) {
    const vyx::test::TempDir config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path()));
    QApplication app(argc, argv);
    FindGoToCopyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "FindGoToCopyTest.moc"
