#pragma once
// The record list of the main window: a paged list for any number of records, growing while a load runs.
//
// It shows one page of rows (rows per page + 1, the last one partly visible) and drives a scroll bar of its
// own from the paging state; no item view ever holds a row per record, so 250 million records cost what 250
// do. The owner hands over the count of records (ResetList, SetTotal), supplies the page's texts through
// IListPageTextProvider and hears about page-size changes, sort requests, navigation keys and clicks
// through IListPagingListener. Keys, the wheel, clicks and the scroll bar all go through CListPaging.

#include <QList>
#include <QPoint>
#include <QStringList>
#include <QWidget>
#include <cstdint>

#include "controller/ListPaging.h"
#include "controller/ListPagingTextProvider.h"
#include "controller/RowSelection.h"

class QScrollBar;
class QTableView;

namespace vyx {

class CListPageModel;
class CListPageView;

class CListLargeDataCtrl : public QWidget {
    Q_OBJECT

public:
    explicit CListLargeDataCtrl(QWidget* parent = nullptr);
    ~CListLargeDataCtrl() override;

    // Column labels and widths in pixels, all left-aligned.
    void SetColumns(const QStringList& labels, const QList<int>& widths);
    void SetColumnWidths(const QList<int>& widths);
    QList<int> ColumnWidths() const;
    // Neither is owned; both may be null.
    void SetTextProvider(IListPageTextProvider* provider);
    void SetListener(IListPagingListener* listener) { m_paging.SetListener(listener); }

    void ResetList();                   // UM_LIST_RESET
    void SetTotal(std::int64_t total);  // UM_LIST_COUNT
    // Refill the page from the owner's cache and repaint, e.g. after the records behind it changed.
    void Redraw();
    // While the owner is busy (a load runs) the pointer over the list shows the busy cursor.
    void SetBusy(bool busy);
    // Selects a record and brings it onto the page (go to, find); false when there is no such record.
    bool SelectSerial(std::int64_t serial);
    // The owner loaded in this order by itself: the Date-Time header shows it.
    void SetSortState(LoadOrder state);

    // The rows selected: a plain click or move selects one, Shift extends from the anchor, Ctrl+click toggles,
    // Ctrl+A selects all. The current row (the focus) is the paging's.
    const CRowSelection& Selection() const { return m_selection; }
    void SelectAll();

    const CListPaging& Paging() const { return m_paging; }
    QTableView* PageView() const;
    QScrollBar* VerticalScrollBar() const { return m_scrollBar; }
    int RowHeight() const;

signals:
    // The context menu was asked for over the rows. A row under the pointer has been selected first (and
    // reported as a click); serial is the selected record, -1 when none. globalPos: where to open the menu.
    void contextMenuRequested(std::int32_t serial, const QPoint& globalPos);
    // The selected rows changed (after the listener heard of the click or key that changed them).
    void selectionChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct PageKey {
        std::uint64_t generation = 0;
        bool hasData = false;
        std::int32_t first = 0;
        std::int32_t total = 0;
        int rows = 0;
        bool operator==(const PageKey&) const = default;
    };

    void OnListKey(int keyCode);
    void OnRowPressed(int pageRow);
    void OnRowDoubleClicked(int pageRow);
    void OnWheel(int delta);
    void OnViewportResized();
    void OnSectionResized();
    void OnScrollAction(int action);
    void OnHeaderClicked(int section);
    void OnContextMenu(const QPoint& viewportPos);

    int ComputeRowsPerPage() const;
    void UpdateRowHeight();
    // Mirrors the paging state: page rows, scroll bar, texts, selection and sort mark.
    void SyncView();
    // Asks the owner for the page's texts when the page shows other records than at the last fill.
    void RefillPage();
    void ApplySelection();
    void ApplySortMark();

    // After a click or move to `serial` (the current row before it: previous), as the modifiers held say.
    void UpdateSelection(std::int64_t serial, std::int64_t previous, Qt::KeyboardModifiers modifiers);

    CListPaging m_paging;
    CRowSelection m_selection;
    CListPageModel* m_model = nullptr;  // children of this widget
    CListPageView* m_view = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    IListPageTextProvider* m_pProvider = nullptr;

    PageKey m_filledKey;
    std::uint64_t m_generation = 1;
    bool m_bFilling = false;
    bool m_bRefillPending = false;
    bool m_bColumnCheckQueued = false;
};

}  // namespace vyx
