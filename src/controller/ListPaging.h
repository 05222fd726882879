#pragma once
// Paging of the large-data record list, free of the toolkit.
//
// The list never holds rows. It keeps which record stands in the top row (m_nFirst) and which one is
// selected (m_nCurrent), and lets the view below it hold only as many items as its scroll bar needs: at most
// kMaxViewItems, one view item standing for m_nScale records when the load is larger. The view (item count,
// top index = scroll position, selected item) is modelled here too, so the widget only mirrors it and the
// whole behaviour can be tested without a display. Page row r always shows serial number m_nFirst + r.

#include <cstdint>

#include "controller/ListPagingListener.h"

namespace vyx {

class CListPaging {
public:
    static constexpr std::int32_t kMaxViewItems = 100'000'000;
    static constexpr int kWheelDelta = 120;  // one notch of a mouse wheel

    CListPaging() = default;

    // Not owned; may be null. Notifications are sent synchronously from the call that caused them.
    void SetListener(IListPagingListener* listener) { m_pListener = listener; }

    // UM_LIST_RESET: no data, total 0, back to the top, an empty page of blank rows.
    void Reset();
    // UM_LIST_COUNT: the records now available (negative counts as 0).
    void SetTotal(std::int64_t total);

    // The view's size changed; rowsPerPage = whole rows that now fit.
    void Resize(int rowsPerPage);
    // A column drag ended (a horizontal scroll bar may have come or gone).
    void ColumnWidthChanged(int rowsPerPage);

    // Scroll requests, from the scroll bar, the keys and the wheel.
    void LineUp();
    void LineDown();
    void PageUp();
    void PageDown();
    void ThumbTrack(std::int32_t trackPosition);  // the thumb is being dragged to this view position
    void ScrollToTop();
    void ScrollToBottom();
    // Wheel delta in eighths of a degree; a line per whole notch. Partial notches (touchpads) add up.
    void Wheel(int delta);

    // A key pressed in the list. Handles Home, End, Up, Down, Page Up, Page Down and Enter (ListKey codes),
    // reports each to the listener and returns true; other keys return false and are left to the view.
    bool KeyDown(int keyCode);

    // Mouse, by page row (0 = the top row, -1 = above it). MousePress tells whether a left-button press
    // reaches the view at all: the half row below the page and the space above the rows are inert.
    bool MousePress(int pageRow) const;
    void Click(int pageRow);
    void DoubleClick(int pageRow);

    // A click on a column header; only the Date-Time column (1) sorts.
    void HeaderClick(int column);

    // Selects a record (go to, find). One already on the page stays where it is; any other is brought to the
    // middle of the page, or as near to it as the ends allow. Nothing is reported to the listener. False,
    // with nothing changed, when there is no such record.
    bool SelectSerial(std::int64_t serial);

    // The state the owner reads.
    std::int32_t Total() const { return m_nTotal; }
    std::int32_t First() const { return m_nFirst; }
    int RowsPerPage() const { return m_nRowsPerPage; }
    std::int32_t Current() const { return m_nCurrent; }
    bool HasData() const { return m_bHasData; }
    bool RefillAllowed() const { return m_bRefillAllowed; }
    bool SyncAllowed() const { return m_bSyncAllowed; }
    std::int32_t Scale() const { return m_nScale; }
    LoadOrder SortState() const { return m_nSortState; }
    // The order the owner loaded in by itself (not through a header click), for the header's mark.
    void SetSortState(LoadOrder state) { m_nSortState = state; }

    // The modelled view.
    std::int32_t ItemCount() const { return m_nItemCount; }
    std::int32_t TopIndex() const { return m_nTopIndex; }
    std::int32_t MaxTopIndex() const;
    std::int32_t SelectedItem() const { return m_nSelectedItem; }
    // Page row of the selected item, or -1 when nothing on the page is selected.
    int SelectedPageRow() const;

    // Serial number shown in a page row, and of a view item (m_nFirst + item - top index).
    std::int32_t SerialOfRow(int pageRow) const { return m_nFirst + pageRow; }
    std::int32_t SerialOfItem(std::int32_t item) const { return m_nFirst + (item - m_nTopIndex); }
    // Serial number of the selected row, or -1 when no row holding a record is selected.
    std::int32_t SelectedSerial() const;
    // Rows of the page (rows per page + 1, the last one partly visible) that hold a record.
    int PageRecordCount() const;

private:
    bool SetRowsPerPage(int rowsPerPage);
    void SetItemCount(std::int64_t count);
    void ScrollView(std::int64_t items);
    void SelectItem(std::int64_t item);
    void Deselect() { m_nSelectedItem = -1; }
    void Resynchronise();
    void AfterScrollRequest();
    std::int32_t LastFirst() const;  // the largest m_nFirst that keeps the page within the records
    std::int64_t LastRowOfPage() const { return std::int64_t{m_nFirst} + m_nRowsPerPage - 1; }
    std::int64_t MultiplesOfScale(std::int64_t from, std::int64_t to) const;

    void HomeKey();
    void EndKey();
    void UpKey();
    void DownKey();
    void PageUpKey();
    void PageDownKey();
    void PullCurrentIntoPage();

    std::int32_t m_nTotal = 0;
    std::int32_t m_nFirst = 0;
    std::int16_t m_nRowsPerPage = 0;
    std::int32_t m_nCurrent = -1;
    bool m_bHasData = false;
    bool m_bRefillAllowed = true;
    bool m_bSyncAllowed = true;
    std::int32_t m_nScale = 1;
    LoadOrder m_nSortState = LoadOrder::Stored;

    std::int32_t m_nItemCount = 0;
    std::int32_t m_nTopIndex = 0;
    std::int32_t m_nSelectedItem = -1;
    int m_nWheelRemainder = 0;

    IListPagingListener* m_pListener = nullptr;
};

}  // namespace vyx
