// The main window driven as a user drives it, offscreen, over a generated folder: open, read rows, filter,
// sort by the Date-Time header, open the details of a record, FCU mode with its channel filter.

#include <QApplication>

#include <filesystem>
#include <fstream>
#include <QComboBox>
#include <QDateEdit>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QStatusBar>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QPushButton>
#include <QTableView>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QHelpEvent>
#include <QToolTip>
#include <QTreeWidget>

#include "app/DetailDialogs.h"
#include "app/MainWindow.h"
#include "gui/ViewerInput.h"
#include "app/NoticeBar.h"
#include "app/QtMessageBoxes.h"
#include "app/RecentFolders.h"
#include "decode/RecordTextLine.h"
#include "filter/CommandList.h"
#include "platform/TempFolder.h"
#include "simulator/LoggerSimulator.h"
#include "support/RecordingBoxes.h"
#include "support/TempDir.h"
#include "views/ListLargeDataCtrl.h"
#include "views/TimeHistogramView.h"

using namespace vyx;

namespace {

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_data;
    std::unique_ptr<CScopedTempFolder> m_temp;
    std::unique_ptr<gui::MainWindow> m_window;
    test::RecordingBoxes m_boxes;
    std::int64_t m_records = 0;

    bool WaitForLoad() { return test::WaitForLoad(*m_window); }
    QTableView* Page() { return m_window->RecordList()->PageView(); }
    QString Cell(int row, int column) { return Page()->model()->index(row, column).data().toString(); }
    template <typename T>
    T* Child(const char* name) {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase() {
        // Settings (last folder, recent folders, layout) go to a test location, never the user's.
        QStandardPaths::setTestModeEnabled(true);
        sim::SimulatorOptions options;
        options.days = 2;
        options.recordsPerDay = 3000;
        options.seed = 21;
        options.clockJumps = true;
        m_records = sim::GenerateDataFolder(m_data.Path(), options).records;
        m_temp = std::make_unique<CScopedTempFolder>();
        m_window = std::make_unique<gui::MainWindow>(m_temp->Path());
        m_window->SetMessageBoxes(&m_boxes);
        m_window->resize(1200, 700);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // A day file whose walk stops in the middle: the notice sits in the window, not over it, names the day
    // file, and a click on its close button hides it; the list keeps the focus.
    void damageNoticeIsShownInTheWindowAndClosedByItsButton() {
        test::TempDir damaged;
        for (const auto& e : std::filesystem::directory_iterator(m_data.Path())) {
            std::filesystem::copy_file(e.path(), damaged.File(e.path().filename().string()));
        }
        {
            std::fstream day(damaged.File("LG050109.txt"), std::ios::in | std::ios::out | std::ios::binary);
            std::streamoff frame = 0;
            for (int i = 0; i < 100; ++i) {  // the hundredth frame
                unsigned char length[2];
                day.seekg(frame);
                day.read(reinterpret_cast<char*>(length), 2);
                frame += length[0] * 256 + length[1];
            }
            day.seekp(frame);
            day.write("\0\1", 2);  // a frame length of 1 there ends the walk
        }
        m_window->OpenFolder(QString::fromStdString(damaged.Path()), true);
        QVERIFY(WaitForLoad());
        QWidget* bar = m_window->Notice();
        QVERIFY(bar->isVisible());
        const QString text = bar->findChild<QLabel*>("noticeText")->text();
        QVERIFY2(text.contains(QStringLiteral("damaged")) && text.contains(QStringLiteral("LG050109.txt")),
                 qPrintable(text));
        auto* close = bar->findChild<QToolButton*>("noticeClose");
        Page()->setFocus();
        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!bar->isVisible());
        QVERIFY(Page()->hasFocus());
    }

    // File > "Recover Damaged Day Files", clicked in the menu bar and the menu, turns recovery on for the
    // next load and is remembered.
    void recoveryIsAFileMenuChoiceThatIsRemembered() {
        QMenuBar* bar = m_window->menuBar();
        QAction* fileAction = bar->actions().at(0);
        const QPoint fileAt = bar->actionGeometry(fileAction).center();
        QCOMPARE(QApplication::widgetAt(bar->mapToGlobal(fileAt)), static_cast<QWidget*>(bar));
        QTest::mouseClick(bar, Qt::LeftButton, {}, fileAt);
        QMenu* file = fileAction->menu();
        QTRY_VERIFY(file->isVisible());
        QAction* recover = Child<QAction>("recoverAction");
        QVERIFY(!recover->isChecked());
        QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(recover).center());
        QVERIFY(recover->isChecked());
        QVERIFY(m_window->Controller().Recovery());
        QVERIFY(gui::LoadRecoverySetting());
        recover->setChecked(false);  // as it was, for the other tests
        QVERIFY(!gui::LoadRecoverySetting());
        m_window->activateWindow();  // the menu took the activation with it
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanupTestCase() { m_window.reset(); }

    void opensAndShowsRows() {
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY(WaitForLoad());
        QCOMPARE(m_window->StatusText(0), QStringLiteral("Total Record Found:- %1").arg(m_records));
        QVERIFY(m_window->RecordList()->isVisible());
        QVERIFY(!m_window->FcuTable()->isVisible());
        // The first row is record 1, with the texts its record line has.
        CRecord first;
        QVERIFY(m_window->Controller().Database().GetRecord(0, first));
        const QStringList expected =
            QString::fromStdString(RecordTextLine(first, 1)).chopped(2).split(QLatin1Char(','));
        QCOMPARE(expected.size(), 7);
        for (int c = 0; c < 7; ++c) QCOMPARE(Cell(0, c), expected[c]);
        // The overview bar gets the day files' bytes, sized off the user-interface thread.
        const TimeHistogram bytes = DayFileBytes(ListDayFiles(m_data.Path()));
        QVERIFY(bytes.Total() > 0);
        QVERIFY(QTest::qWaitFor([&] { return m_window->Overview()->Histogram().counts == bytes.counts; }, 10000));
        QCOMPARE(m_window->Overview()->Histogram().from, bytes.from);
        // The invalid records of the folder were reported.
        QVERIFY(!m_boxes.shown.empty());
        QVERIFY(QString::fromStdString(m_boxes.shown.back().text).contains("Invalid Records are found"));
    }

    void endKeyShowsTheLastRecords() {
        Page()->setFocus();
        QTest::keyClick(Page(), Qt::Key_End);
        QTest::qWait(50);
        const auto& paging = m_window->RecordList()->Paging();
        QCOMPARE(paging.Current(), static_cast<std::int32_t>(m_records - 1));
        const int lastRow = static_cast<int>(m_records - 1 - paging.First());
        QCOMPARE(Cell(lastRow, 0), QString::number(m_records));
        QTest::keyClick(Page(), Qt::Key_Home);
        QTest::qWait(50);
        QCOMPARE(Cell(0, 0), QStringLiteral("1"));
    }

    void filtersByChannelAndCommand() {
        m_boxes.shown.clear();
        Child<QComboBox>("channelCombo")->setCurrentIndex(2);
        Child<QComboBox>("commandCombo")->setCurrentIndex(CommandIndexOf("Modbus"));
        QTest::mouseClick(Child<QPushButton>("messageFilterButton"), Qt::LeftButton);
        QVERIFY(WaitForLoad());
        const std::int64_t total = m_window->Controller().Total();
        QVERIFY(total > 0 && total < m_records);
        for (int row = 0; row < 10 && row < total; ++row) {
            QCOMPARE(Cell(row, 6), QStringLiteral("MS_B(right)"));
            QVERIFY(Cell(row, 3).startsWith(QStringLiteral("Modbus")));
        }
        // A refused FCU text, typed and clicked, leaves a message, starts nothing, keeps the list as it was
        // and puts the keyboard in the FCU box.
        m_boxes.shown.clear();
        const QString firstRow = Cell(0, 0);
        QComboBox* fcu = Child<QComboBox>("fcuCombo");
        fcu->lineEdit()->clear();
        QTest::keyClicks(fcu->lineEdit(), QStringLiteral("301"));
        QTest::mouseClick(Child<QPushButton>("messageFilterButton"), Qt::LeftButton);
        QCOMPARE(m_boxes.shown.size(), std::size_t{1});
        QCOMPARE(m_boxes.shown[0].text,
                 std::string("FCU should be between 1 and 300.\nFCU: --ALL-- or a whole number from 1 to 300"));
        QCOMPARE(m_window->Controller().Total(), total);
        QCOMPARE(Cell(0, 0), firstRow);
        QWidget* focused = QApplication::focusWidget();
        QVERIFY2(fcu->hasFocus() || fcu->lineEdit()->hasFocus(), focused ? qPrintable(focused->objectName() + " " + focused->metaObject()->className()) : "none");
        Child<QComboBox>("fcuCombo")->setCurrentIndex(0);
        Child<QComboBox>("channelCombo")->setCurrentIndex(0);
        Child<QComboBox>("commandCombo")->setCurrentIndex(0);

        // A whole date or time can be typed, digits and separators as they read, over the whole text
        // (Ctrl+A) or from a click at its start or within a section.
        auto* select = Child<QCheckBox>("selectDateTime");
        QTest::mouseClick(select, Qt::LeftButton);
        enum class Before { CtrlA, ClickAtStart, ClickInSecondSection };
        struct Typing {
            const char* field;
            Before before;
            const char* text;
            QDateTime expected;  // the date or the time that counts
        };
        const Typing typings[] = {
            {"fromDate", Before::ClickAtStart, "06/01/2009", QDateTime(QDate(2009, 1, 6), QTime())},
            {"fromDate", Before::CtrlA, "06/01/2009", QDateTime(QDate(2009, 1, 6), QTime())},
            {"fromTime", Before::CtrlA, "15:45:00", QDateTime(QDate(), QTime(15, 45, 0))},
            {"toTime", Before::ClickAtStart, "08:30:15", QDateTime(QDate(), QTime(8, 30, 15))},
            {"toTime", Before::CtrlA, "235958", QDateTime(QDate(), QTime(23, 59, 58))},
            {"fromTime", Before::ClickInSecondSection, "12:34", QDateTime(QDate(), QTime(15, 12, 34))},
        };
        for (const Typing& t : typings) {
            auto* edit = Child<QDateTimeEdit>(t.field);
            const int y = edit->height() / 2;
            const QFontMetrics metrics(edit->font());
            // A click goes to the widget on top at that place, as the mouse's does: the text field inside.
            const auto click = [&](int x) {
                QWidget* under = edit->childAt(x, y);
                QWidget* target = under ? under : edit;
                QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(edit, QPoint(x, y)));
            };
            switch (t.before) {
                case Before::CtrlA:
                    click(metrics.horizontalAdvance("00/0"));
                    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
                    break;
                case Before::ClickAtStart: click(5); break;
                case Before::ClickInSecondSection: click(4 + metrics.horizontalAdvance("00:0")); break;
            }
            QTest::keyClicks(edit, QString::fromLatin1(t.text));
            const QString what = QStringLiteral("%1 after typing %2: %3").arg(t.field, t.text, edit->text());
            if (t.expected.date().isValid()) QVERIFY2(edit->date() == t.expected.date(), qPrintable(what));
            if (t.expected.time().isValid()) QVERIFY2(edit->time() == t.expected.time(), qPrintable(what));
        }
        QTest::mouseClick(select, Qt::LeftButton);
        QVERIFY(!select->isChecked());
    }

    // Alt+F opens File (the filter buttons gave up their mnemonic), F5 filters, and a message box gives the
    // keyboard back to the list it took it from.
    void keyboardAltFOpensFileF5FiltersAndBoxesGiveTheFocusBack() {
        QMenu* file = m_window->menuBar()->actions().at(0)->menu();
        QTest::keyClick(m_window.get(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(file->isVisible());
        QTest::keyClick(file, Qt::Key_Escape);
        QTRY_VERIFY(!file->isVisible());
        // Alt+R opens Report, and its entries have their letters too.
        QMenu* report = m_window->menuBar()->actions().at(3)->menu();
        QCOMPARE(report->title(), QStringLiteral("&Report"));
        QTest::keyClick(m_window.get(), Qt::Key_R, Qt::AltModifier);
        QTRY_VERIFY(report->isVisible());
        for (QAction* entry : report->actions()) {
            QVERIFY2(entry->isSeparator() || entry->text().contains('&'), qPrintable(entry->text()));
        }
        QTest::keyClick(report, Qt::Key_Escape);
        QTRY_VERIFY(!report->isVisible());
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));

        const std::uint32_t job = m_window->Controller().Database().JobId();
        Page()->setFocus();
        QTest::keyClick(Page(), Qt::Key_F5);
        QVERIFY(WaitForLoad());
        QVERIFY(m_window->Controller().Database().JobId() != job);

        gui::QtMessageBoxes boxes(m_window.get());
        Page()->setFocus();
        QVERIFY(Page()->hasFocus());
        QTimer::singleShot(200, [] {
            if (QWidget* box = QApplication::activeModalWidget()) QTest::keyClick(box, Qt::Key_Return);
        });
        boxes.Show("A box", MessageIcon::Information);
        QTRY_VERIFY(Page()->hasFocus());
    }

    void dateTimeHeaderSortsAscendingThenDescending() {
        QHeaderView* header = Page()->horizontalHeader();
        // Another header does not sort, and says so.
        const int other = header->sectionViewportPosition(3) + 10;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(other, header->height() / 2));
        QVERIFY(m_window->statusBar()->currentMessage().contains(QStringLiteral("Only the Date-Time column sorts")));
        QCOMPARE(m_window->Controller().SortState(), LoadOrder::Stored);

        // The row clicked before a sort stays selected, at its place in the new order.
        const QRect row = Page()->visualRect(Page()->model()->index(5, 2));
        QTest::mouseClick(Page()->viewport(), Qt::LeftButton, {}, row.center());
        const std::int64_t clicked = m_window->RecordList()->Paging().SelectedSerial();
        QVERIFY(clicked >= 0);
        const std::optional<RecordLocation> place = m_window->Controller().Database().LocationOf(clicked);
        QVERIFY(place.has_value());

        const int x = header->sectionViewportPosition(1) + 10;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QVERIFY(WaitForLoad());
        QCOMPARE(m_window->Controller().SortState(), LoadOrder::Ascending);
        const std::int64_t kept = m_window->RecordList()->Paging().SelectedSerial();
        QCOMPARE(m_window->Controller().Database().LocationOf(kept), place);
        QCOMPARE(m_window->Controller().Total(), m_records);
        CRecord a, b;
        QVERIFY(m_window->Controller().Database().GetRecord(0, a));
        QVERIFY(m_window->Controller().Database().GetRecord(m_records - 1, b));
        QVERIFY(a.m_nTime <= b.m_nTime);
        QCOMPARE(header->sortIndicatorSection(), 1);

        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QVERIFY(WaitForLoad());
        QCOMPARE(m_window->Controller().SortState(), LoadOrder::Descending);
        QVERIFY(m_window->Controller().Database().GetRecord(0, a));
        QVERIFY(m_window->Controller().Database().GetRecord(m_records - 1, b));
        QVERIFY(a.m_nTime >= b.m_nTime);

        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QVERIFY(WaitForLoad());
        QCOMPARE(m_window->Controller().SortState(), LoadOrder::Stored);
    }

    void enterOnABlockTransferOpensItsDetails() {
        // Find the first block transfer and move the selection onto it.
        std::int64_t serial = -1;
        CRecord r;
        for (std::int64_t s = 0; s < 200 && serial < 0; ++s) {
            QVERIFY(m_window->Controller().Database().GetRecord(s, r));
            if (r.m_nMessageMode == kModeParameterBlockTransfer) serial = s;
        }
        QVERIFY(serial >= 0);
        Page()->setFocus();
        QTest::keyClick(Page(), Qt::Key_Home);
        for (std::int64_t s = 0; s < serial; ++s) QTest::keyClick(Page(), Qt::Key_Down);
        QTest::keyClick(Page(), Qt::Key_Return);
        QTest::qWait(50);
        auto* dialog = m_window->findChild<gui::BlockTransferDialog*>();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Paramter Block Transfer Command Decoding"));
        QCOMPARE(dialog->RecordNumberText(), QString::number(serial + 1));
        QVERIFY(m_window->isVisible());
        // It opened beside the list, not over the row it decodes; hidden for a row without a decoding, it
        // comes back at the same place.
        const QRect rowOnScreen(Page()->viewport()->mapToGlobal(Page()->visualRect(Page()->currentIndex()).topLeft()),
                                Page()->visualRect(Page()->currentIndex()).size());
        QVERIFY(!dialog->frameGeometry().intersects(rowOnScreen));
        const QRect placed = dialog->geometry();
        CRecord next;
        QVERIFY(m_window->Controller().Database().GetRecord(serial + 1, next));
        if (next.m_nMessageMode != kModeParameterBlockTransfer && next.m_nMessageMode != kModeModbus) {
            QTest::keyClick(Page(), Qt::Key_Down);
            QTRY_VERIFY(!dialog->isVisible());
            QTest::keyClick(Page(), Qt::Key_Up);
            QTRY_VERIFY(dialog->isVisible());
            QCOMPARE(dialog->geometry(), placed);
        }
        // Escape closes it and ends the details, typed in the dialog or in the list (which kept the focus,
        // since the dialog opened without taking it); Escape with nothing open leaves the window as it is.
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!m_window->Controller().DetailsActive());
        Page()->setFocus();
        QTest::keyClick(Page(), Qt::Key_Return);
        QTest::qWait(50);
        QVERIFY(dialog->isVisible());
        QTest::keyClick(Page(), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!m_window->Controller().DetailsActive());
        QTest::keyClick(Page(), Qt::Key_Escape);
        QTest::qWait(50);
        QVERIFY(m_window->isVisible());
    }

    // At 1024 x 700 the window fits, and the columns it cannot show lie within the horizontal scroll bar.
    void aSmallScreenReachesEveryColumn() {
        QVERIFY2(m_window->minimumSizeHint().width() <= 1024, qPrintable(QString::number(m_window->minimumSizeHint().width())));
        const QSize before = m_window->size();
        m_window->resize(1024, 700);
        QTRY_COMPARE(m_window->width(), 1024);
        QScrollBar* bar = Page()->horizontalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        QHeaderView* header = Page()->horizontalHeader();
        const int last = header->count() - 1;
        QVERIFY(header->sectionViewportPosition(last) + header->sectionSize(last) <= Page()->viewport()->width());
        bar->setValue(0);
        m_window->resize(before);
    }

    void cutCellsShowTheirTextAndADividerDoubleClickFitsTheColumn() {
        QHeaderView* header = Page()->horizontalHeader();
        const int content = 2;
        header->resizeSection(content, 60);
        const QRect cell = Page()->visualRect(Page()->model()->index(0, content));
        QHelpEvent tip(QEvent::ToolTip, cell.center(), Page()->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(Page()->viewport(), &tip);
        QTRY_COMPARE(QToolTip::text(), Cell(0, content));
        QToolTip::hideText();
        // The Sr.No. of the first row fits its column: no tooltip.
        const QRect number = Page()->visualRect(Page()->model()->index(0, 0));
        QHelpEvent noTip(QEvent::ToolTip, number.center(), Page()->viewport()->mapToGlobal(number.center()));
        QApplication::sendEvent(Page()->viewport(), &noTip);
        QTRY_VERIFY(!QToolTip::isVisible());

        const int divider = header->sectionViewportPosition(content) + header->sectionSize(content) - 1;
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(divider, header->height() / 2));
        QTRY_VERIFY(header->sectionSize(content) > 200);
    }

    void fcuModeWithChannelFilter() {
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), false);
        QTest::qWait(50);
        QVERIFY(m_window->FcuTable()->isVisible());
        QVERIFY(!m_window->RecordList()->isVisible());
        QCOMPARE(m_window->FcuTable()->topLevelItemCount(), 100);
        Child<QComboBox>("fcuChannelCombo")->setCurrentIndex(1);
        QTest::mouseClick(Child<QPushButton>("fcuFilterButton"), Qt::LeftButton);
        QCOMPARE(m_window->FcuTable()->topLevelItemCount(), 60);
        QCOMPARE(m_window->FcuTable()->topLevelItem(0)->text(2), QStringLiteral("MS_A(left)"));
        QCOMPARE(m_window->StatusText(0), QStringLiteral("Total Record Found:- 60"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
