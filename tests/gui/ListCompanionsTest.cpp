// The record list's two companions: the FCU number box that takes digits only, and the detail dialogs' list
// that repaints whole when it scrolls.

#include <QClipboard>
#include <QLineEdit>
#include <QPaintEvent>
#include <QScrollBar>
#include <QtTest>

#include "views/ListCtrlGridLines.h"
#include "views/NumericComboBox.h"

namespace vyx {
namespace {

// Remembers the region of the last paint of a widget.
class PaintWatcher : public QObject {
public:
    explicit PaintWatcher(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion painted;
};

}  // namespace

class ListCompanionsTest : public QObject {
    Q_OBJECT

private slots:
    void numericBoxDropsEveryTypedCharacterButDigits() {
        CNumericComboBox box;
        box.addItems({"--ALL--", "7", "12"});
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.setFocus();
        QLineEdit* edit = box.lineEdit();
        edit->clear();

        QTest::keyClicks(edit, "1a2-b.3 ");
        QCOMPARE(edit->text(), QStringLiteral("123"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("12"));
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);  // shortcuts still work
        QVERIFY(edit->hasSelectedText());
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(&box, "x9");  // keys sent to the box itself reach the same edit field
        QCOMPARE(edit->text(), QStringLiteral("129"));
        QTest::keyClick(edit, Qt::Key_Return);  // Enter does not add the number to the list
        QCOMPARE(box.count(), 3);

        QGuiApplication::clipboard()->setText(QStringLiteral("3x4"));
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), QStringLiteral("34"));
        QGuiApplication::clipboard()->setText(QStringLiteral("abc"));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), QStringLiteral("34"));

        QInputMethodEvent composed(QString(), {});
        composed.setCommitString(QStringLiteral("5é6"));
        QApplication::sendEvent(edit, &composed);
        QCOMPARE(edit->text(), QStringLiteral("3456"));

        box.setCurrentIndex(2);
        QCOMPARE(edit->text(), QStringLiteral("12"));
        QTest::keyClick(edit, Qt::Key_Up);  // choosing an entry by key
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(box.currentText(), QStringLiteral("--ALL--"));
        QCOMPARE(edit->text(), QStringLiteral("--ALL--"));
    }

    void gridListHoldsRowsAndSelectsOneWholeRow() {
        CListCtrlGridLines list;
        list.SetColumns({"No.", "Command Type", "FCU No"}, {50, 150, 80});
        QCOMPARE(list.columnCount(), 3);
        QCOMPARE(list.columnWidth(1), 150);
        QCOMPARE(list.AppendRow({"1", "Open", "12", "dropped"}), 0);
        QCOMPARE(list.AppendRow({"2"}), 1);
        QCOMPARE(list.item(0, 2)->text(), QStringLiteral("12"));
        QVERIFY(list.item(1, 1) == nullptr);
        QVERIFY(list.showGrid());
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(1, 0)).center());
        QCOMPARE(list.selectionModel()->selectedRows().size(), 1);
        QCOMPARE(list.selectionModel()->selectedIndexes().size(), 3);
        QTest::keyClicks(list.viewport(), "x");  // read only
        QCOMPARE(list.item(0, 0)->text(), QStringLiteral("1"));
        list.SetColumns({"No."}, {50});
        QCOMPARE(list.rowCount(), 0);
    }

    void gridListRepaintsWholeAfterAScroll() {
        CListCtrlGridLines list;
        list.SetColumns({"No.", "Packet", "Block and Parameter Info"}, {50, 400, 400});
        for (int row = 0; row < 200; ++row) list.AppendRow({QString::number(row + 1), "00 01 02", "Block"});
        list.resize(300, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        PaintWatcher watcher(list.viewport());
        for (QScrollBar* bar : {list.verticalScrollBar(), list.horizontalScrollBar()}) {
            QCoreApplication::processEvents();
            watcher.painted = QRegion();
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            QCoreApplication::processEvents();
            QVERIFY((QRegion(list.viewport()->rect()) - watcher.painted).isEmpty());
        }
    }
};

}  // namespace vyx

QTEST_MAIN(vyx::ListCompanionsTest)
#include "ListCompanionsTest.moc"
