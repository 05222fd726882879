// The record list widget driven as a user drives it: texts of the page, keys, wheel, scroll bar, clicks,
// sort header, resize and the busy cursor, at a thousand records and at 250 million.

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTableView>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "decode/FormatRecord.h"
#include "logdata/DayFileReader.h"
#include "logdata/Parse.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempDir.h"
#include "views/ListLargeDataCtrl.h"

namespace vyx {
namespace {

// Page texts from records the logger simulator wrote, read and formatted as the viewer does. Serial numbers
// beyond the records cycle through them, so any total can be shown.
class SimulatedPages : public IListPageTextProvider {
public:
    explicit SimulatedPages(int records) {
        test::TempDir dir;
        sim::SimulatorOptions options;
        options.days = 1;
        options.recordsPerDay = records;
        options.faults = false;
        const sim::SimulatorSummary summary = sim::GenerateDataFolder(dir.Path(), options);
        CDayFileReader reader;
        reader.Open(summary.dayFiles.front());
        const CParse parse;
        Frame frame;
        while (reader.Next(frame)) {
            if (!frame.IsDecodable()) continue;
            m_records.emplace_back();
            parse.Parse(frame.bytes, frame.RecordSize(), m_records.back());
        }
    }

    int FillPage(std::int32_t first, int count) override {
        ++fills;
        m_rows.clear();
        for (int row = 0; row < count; ++row) {
            std::vector<std::string> texts;
            for (int column = 0; column < 7; ++column) texts.push_back(Expected(first + row, column));
            m_rows.push_back(std::move(texts));
        }
        return count;
    }

    std::string_view CellText(int row, int column) const override {
        return m_rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }

    std::string Expected(std::int64_t serial, int column) const {
        if (column == 0) return std::to_string(serial + 1);
        const CFormatRecord format(&m_records.at(static_cast<std::size_t>(serial) % m_records.size()));
        switch (column) {
            case 1: return format.FormatDateTime();
            case 2: return format.FormatMessageContent();
            case 3: return format.FormatMessageMode();
            case 4: return format.FormatSource();
            case 5: return format.FormatFCU();
            default: return format.FormatChannel();
        }
    }

    int fills = 0;

private:
    std::vector<CRecord> m_records;
    std::vector<std::vector<std::string>> m_rows;
};

class Recorder : public IListPagingListener {
public:
    void OnPageRowsChanged(int rows) override { pageRows.push_back(rows); }
    void OnSortRequest(SortRequest& request) override {
        ++sortRequests;
        if (refuseSort) request.accept = 0;
    }
    void OnKeyDown(int key) override { keys.push_back(key); }
    void OnClick(std::int32_t serial) override { clicks.push_back(serial); }
    void OnDoubleClick(std::int32_t serial) override { doubleClicks.push_back(serial); }

    bool refuseSort = false;
    int sortRequests = 0;
    std::vector<int> pageRows, keys;
    std::vector<std::int32_t> clicks, doubleClicks;
};

const QStringList kLabels = {"Sr.No.", "Date-Time", "MessageContent", "MessageMode", "Source", "FCU", "Channel"};
const QList<int> kWidths = {50, 150, 350, 150, 120, 50, 75};

}  // namespace

class ListLargeDataCtrlTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SimulatedPages> m_pages;
    std::unique_ptr<CListLargeDataCtrl> m_list;
    std::unique_ptr<QAbstractItemModelTester> m_modelTester;
    Recorder m_recorder;

    QTableView* View() const { return m_list->PageView(); }
    const CListPaging& Paging() const { return m_list->Paging(); }
    QString Shown(int row, int column) const { return View()->model()->index(row, column).data().toString(); }
    QString Expected(std::int64_t serial, int column) const {
        return QString::fromStdString(m_pages->Expected(serial, column));
    }
    int SelectedRow() const {
        const QModelIndexList rows = View()->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.front().row() : -1;
    }
    QPoint RowCentre(int row) const {
        return QPoint(100, View()->rowViewportPosition(row) + View()->rowHeight(row) / 2);
    }
    void Key(Qt::Key key) { QTest::keyClick(View(), key); }

    // Every shown row (the half row too) carries its serial number's texts; rows past the end are blank.
    void VerifyPage() {
        const int rows = View()->model()->rowCount();
        QCOMPARE(rows, Paging().RowsPerPage() + 1);
        for (int row = 0; row < rows; ++row) {
            const std::int64_t serial = std::int64_t{Paging().First()} + row;
            for (int column = 0; column < 7; ++column) {
                const QString expected = serial < Paging().Total() ? Expected(serial, column) : QString();
                QCOMPARE(Shown(row, column), expected);
            }
        }
        QCOMPARE(m_list->VerticalScrollBar()->value(), Paging().TopIndex());
        QCOMPARE(m_list->VerticalScrollBar()->maximum(), Paging().MaxTopIndex());
    }

private slots:
    void initTestCase() { m_pages = std::make_unique<SimulatedPages>(400); }

    void init() {
        m_recorder = Recorder();
        m_list = std::make_unique<CListLargeDataCtrl>();
        m_list->SetColumns(kLabels, kWidths);
        m_list->SetTextProvider(m_pages.get());
        m_list->SetListener(&m_recorder);
        m_modelTester = std::make_unique<QAbstractItemModelTester>(
            View()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_list->resize(1100, 30 * m_list->RowHeight() + View()->horizontalHeader()->height() + 8);
        m_list->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_list.get()));
        m_list->setFocus();
        m_list->ResetList();
        m_list->SetTotal(1000);
    }

    void cleanup() {
        m_modelTester.reset();
        m_list.reset();
    }

    void showsTheTextsOfThePage() {
        QVERIFY(Paging().RowsPerPage() >= 20);
        QCOMPARE(View()->horizontalHeader()->count(), 7);
        for (int column = 0; column < 7; ++column) {
            QCOMPARE(View()->model()->headerData(column, Qt::Horizontal).toString(), kLabels.at(column));
            QCOMPARE(View()->horizontalHeader()->sectionSize(column), kWidths.at(column));
        }
        VerifyPage();
        QCOMPARE(SelectedRow(), 0);

        m_list->ResetList();  // a new load starts: blank rows, nothing selected
        for (int column = 0; column < 7; ++column) QCOMPARE(Shown(0, column), QString());
        QCOMPARE(SelectedRow(), -1);
        m_list->SetTotal(5);
        VerifyPage();
        QCOMPARE(Shown(5, 0), QString());
    }

    void keysMoveTheSelectionAndThePage() {
        const int rows = Paging().RowsPerPage();
        for (int i = 0; i < rows - 1; ++i) Key(Qt::Key_Down);
        QCOMPARE(SelectedRow(), rows - 1);
        QCOMPARE(Paging().First(), 0);
        Key(Qt::Key_Down);  // off the page's last row: the page moves one line
        QCOMPARE(Paging().First(), 1);
        QCOMPARE(SelectedRow(), rows - 1);
        QCOMPARE(Shown(SelectedRow(), 0), Expected(rows, 0));
        VerifyPage();

        Key(Qt::Key_PageDown);
        QCOMPARE(Paging().Current(), 2 * rows - 1);
        QCOMPARE(Shown(SelectedRow(), 0), Expected(2 * rows - 1, 0));
        VerifyPage();

        Key(Qt::Key_End);
        QCOMPARE(Shown(SelectedRow(), 0), QStringLiteral("1000"));
        QCOMPARE(m_list->VerticalScrollBar()->value(), m_list->VerticalScrollBar()->maximum());
        VerifyPage();
        Key(Qt::Key_Home);
        QCOMPARE(SelectedRow(), 0);
        QCOMPARE(Shown(0, 0), QStringLiteral("1"));
        VerifyPage();

        Key(Qt::Key_Return);
        Key(Qt::Key_A);  // not the list's: no report, nothing moves
        const std::vector<int> expected(static_cast<std::size_t>(rows), kListKeyDown);
        QCOMPARE(m_recorder.keys.size(), expected.size() + 4);
        QVERIFY(std::equal(expected.begin(), expected.end(), m_recorder.keys.begin()));
        QCOMPARE(m_recorder.keys.back(), static_cast<int>(kListKeyEnter));
        QCOMPARE(SelectedRow(), 0);
    }

    void wheelMovesALinePerNotch() {
        QWheelEvent down(RowCentre(3), View()->viewport()->mapToGlobal(RowCentre(3)), QPoint(), QPoint(0, -360),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(View()->viewport(), &down);
        QCOMPARE(Paging().First(), 3);
        QCOMPARE(Shown(0, 0), QStringLiteral("4"));
        QCOMPARE(SelectedRow(), -1);  // record 0 has left the page
        VerifyPage();

        QWheelEvent up(QPoint(5, 5), m_list->VerticalScrollBar()->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, 120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_list->VerticalScrollBar(), &up);  // over the scroll bar: the same lines
        QCOMPARE(Paging().First(), 2);
        VerifyPage();
    }

    void scrollBarDragAndClicksMoveThePage() {
        m_list->SetTotal(250'000'000);
        QCOMPARE(Paging().Scale(), 3);
        QScrollBar* bar = m_list->VerticalScrollBar();
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = Qt::Vertical;
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = bar->sliderPosition();
        option.sliderValue = bar->value();
        option.singleStep = bar->singleStep();
        option.pageStep = bar->pageStep();
        option.subControls = QStyle::SC_All;
        const QRect thumb =
            bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
        QVERIFY(thumb.isValid());

        const QPoint from = thumb.center();
        const QPoint to = from + QPoint(0, bar->height() / 3);
        QTest::mousePress(bar, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, bar->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
        QVERIFY(Paging().First() > 10'000'000);
        QCOMPARE(Paging().TopIndex(), Paging().First() / 3);
        VerifyPage();

        const std::int32_t first = Paging().First();
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 20));  // in the groove
        QCOMPARE(Paging().First(), first + Paging().RowsPerPage() - 1);
        VerifyPage();

        Key(Qt::Key_End);
        QCOMPARE(Shown(Paging().RowsPerPage() - 1, 0), QStringLiteral("250000000"));
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(View()->model()->rowCount(), Paging().RowsPerPage() + 1);
        VerifyPage();
    }

    void sortHeaderCyclesTheMarks() {
        QHeaderView* header = View()->horizontalHeader();
        auto clickSection = [header](int section) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(section) + 20, header->height() / 2));
        };
        QVERIFY(!header->isSortIndicatorShown());
        clickSection(1);
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), 1);
        const Qt::SortOrder ascending = header->sortIndicatorOrder();
        QCOMPARE(ascending, Qt::DescendingOrder);  // the order QHeaderView draws with its up mark
        clickSection(1);
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(Paging().SortState(), LoadOrder::Descending);
        clickSection(1);
        QVERIFY(!header->isSortIndicatorShown());
        QCOMPARE(Paging().SortState(), LoadOrder::Stored);
        clickSection(2);  // other columns do not sort
        QCOMPARE(m_recorder.sortRequests, 3);

        m_recorder.refuseSort = true;
        clickSection(1);
        QCOMPARE(m_recorder.sortRequests, 4);
        QVERIFY(!header->isSortIndicatorShown());
        QCOMPARE(Paging().SortState(), LoadOrder::Stored);
    }

    void clicksSelectRowsAndDoubleClicksReportThem() {
        Key(Qt::Key_PageDown);
        Key(Qt::Key_PageDown);
        const std::int32_t first = Paging().First();
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, RowCentre(5));
        QCOMPARE(SelectedRow(), 5);
        QCOMPARE(Paging().Current(), first + 5);
        QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, RowCentre(7));
        QCOMPARE(SelectedRow(), 7);
        QCOMPARE(m_recorder.doubleClicks, std::vector<std::int32_t>{first + 7});
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, RowCentre(Paging().RowsPerPage()));  // half row
        QCOMPARE(SelectedRow(), 7);
        QCOMPARE(m_recorder.clicks.back(), first + 7);
    }

    void resizeChangesTheRowsPerPage() {
        const int rows = Paging().RowsPerPage();
        m_recorder.pageRows.clear();
        Key(Qt::Key_End);
        m_list->resize(m_list->width(), m_list->height() - 10 * m_list->RowHeight());
        QTRY_COMPARE(Paging().RowsPerPage(), rows - 10);
        QCOMPARE(m_recorder.pageRows.back(), rows - 10);
        QCOMPARE(Paging().First(), 1000 - rows);  // a shorter page keeps its top row
        QCOMPARE(SelectedRow(), -1);
        VerifyPage();
        m_list->resize(m_list->width(), m_list->height() + 20 * m_list->RowHeight());
        QTRY_COMPARE(Paging().RowsPerPage(), rows + 10);
        QCOMPARE(Paging().First(), 1000 - (rows + 10));  // a taller one does not run past the end
        QCOMPARE(Shown(rows + 9, 0), QStringLiteral("1000"));
        QCOMPARE(SelectedRow(), rows + 9);
        VerifyPage();
    }

    void narrowColumnsLeaveTheFullPage() {
        const int rows = Paging().RowsPerPage();
        m_list->SetColumnWidths({400, 400, 400, 400, 400, 400, 400});  // a horizontal scroll bar appears
        QTRY_VERIFY(Paging().RowsPerPage() < rows);
        m_list->SetColumnWidths(kWidths);
        QTRY_COMPARE(Paging().RowsPerPage(), rows);
        VerifyPage();
    }

    void busyCursorWhileTheOwnerIsBusy() {
        m_list->SetBusy(true);
        QCOMPARE(View()->viewport()->cursor().shape(), Qt::BusyCursor);
        m_list->SetBusy(false);
        QCOMPARE(View()->viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    void refillsOnlyWhenThePageChanges() {
        const int fills = m_pages->fills;
        Key(Qt::Key_Down);  // the selection moves within the page
        QCOMPARE(m_pages->fills, fills);
        Key(Qt::Key_PageDown);
        Key(Qt::Key_PageDown);
        QCOMPARE(m_pages->fills, fills + 1);
        m_list->SetTotal(2000);  // more records, same page: the owner refreshes it once
        QCOMPARE(m_pages->fills, fills + 2);
        m_list->Redraw();
        QCOMPARE(m_pages->fills, fills + 3);
    }
};

}  // namespace vyx

QTEST_MAIN(vyx::ListLargeDataCtrlTest)
#include "ListLargeDataCtrlTest.moc"
