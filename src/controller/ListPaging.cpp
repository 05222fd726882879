#include "controller/ListPaging.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace vyx {
namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

std::int32_t Narrow(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, -kInt32Max - 1, kInt32Max));
}

}  // namespace

// ---- state the owner drives ------------------------------------------------------------------------------

void CListPaging::Reset() {
    m_bHasData = false;
    m_nTotal = 0;
    m_nFirst = 0;
    m_nCurrent = 0;
    SetItemCount(m_nRowsPerPage);
    // The rows are blank now; a highlight on one of them would mean nothing.
    Deselect();
    m_nWheelRemainder = 0;
}

void CListPaging::SetTotal(std::int64_t total) {
    m_nTotal = Narrow(std::clamp<std::int64_t>(total, 0, kInt32Max));

    const std::int64_t rows = m_nRowsPerPage;
    if (m_nTotal <= kMaxViewItems) {
        SetItemCount(m_nTotal);
        m_nScale = 1;
    } else {
        // The smallest scale that keeps the view within its item limit. It grows past ten for the very
        // largest loads rather than leave the view with a count that no longer matches the total.
        std::int64_t scale = 2;
        while ((m_nTotal - rows) / scale > kMaxViewItems - rows) ++scale;
        m_nScale = Narrow(scale);
        SetItemCount(rows + (m_nTotal - rows) / scale);
    }

    // Only a failed load makes the total shrink; the page must still lie within the records.
    m_nFirst = std::min(m_nFirst, LastFirst());

    // Re-align the view so that its thumb stands where m_nFirst is.
    const std::int64_t range = std::max<std::int32_t>(m_nItemCount, 1);
    const std::int64_t ratio = (m_nTotal + range - 1) / range;
    const std::int64_t target = ratio == 0 ? 0 : m_nFirst / ratio;
    m_bRefillAllowed = false;
    ScrollView(target - m_nTopIndex);
    m_bRefillAllowed = true;
    Resynchronise();

    m_bHasData = m_nTotal > 0;
}

void CListPaging::Resize(int rowsPerPage) {
    const bool changed = SetRowsPerPage(rowsPerPage);
    const std::int64_t rows = m_nRowsPerPage;
    if (rows >= m_nTotal) m_nFirst = 0;
    if (m_nTotal > kMaxViewItems) {
        SetItemCount(rows + (m_nTotal - rows) / m_nScale);
        if (m_nFirst - std::int64_t{m_nTopIndex} * m_nScale >= m_nScale) {
            ScrollView(m_nFirst / m_nScale - std::int64_t{m_nTopIndex});
            Resynchronise();
        }
        // A taller page at the end must not run past the last record here either.
        m_nFirst = std::min(m_nFirst, LastFirst());
    } else if (rows + m_nFirst >= m_nTotal && m_nTotal > 0) {
        m_nFirst = LastFirst();
    }
    if (changed) {
        Deselect();
        Resynchronise();
    }
}

void CListPaging::ColumnWidthChanged(int rowsPerPage) {
    if (!SetRowsPerPage(rowsPerPage)) return;
    if (m_nTotal > kMaxViewItems) SetItemCount(std::int64_t{m_nRowsPerPage} + (m_nTotal - m_nRowsPerPage) / m_nScale);
    if (m_nFirst > LastFirst()) {
        m_nFirst = LastFirst();
        Resynchronise();
    }
}

// ---- scroll requests -------------------------------------------------------------------------------------

void CListPaging::LineUp() {
    if (m_nFirst > 0) {
        // The view moves only when a multiple of the scale is crossed, so its thumb stays proportional: its top
        // is m_nFirst / m_nScale. Going up that means leaving a multiple; stepping onto one instead would let
        // every small up-and-down across a multiple push the view one item further down.
        const bool leavesMultiple = m_nFirst % m_nScale == 0;
        --m_nFirst;
        if (leavesMultiple) ScrollView(-1);
    }
    AfterScrollRequest();
}

void CListPaging::LineDown() {
    if (m_nFirst < std::int64_t{m_nTotal} - m_nRowsPerPage) {
        ++m_nFirst;
        if (m_nFirst % m_nScale == 0) ScrollView(1);
    }
    AfterScrollRequest();
}

void CListPaging::PageUp() {
    const std::int64_t oldFirst = m_nFirst;
    if (m_nRowsPerPage > 1) m_nFirst = Narrow(std::max<std::int64_t>(0, oldFirst - (m_nRowsPerPage - 1)));
    const std::int64_t passed = MultiplesOfScale(std::int64_t{m_nFirst} + 1, oldFirst);  // multiples left
    m_bSyncAllowed = false;
    ScrollView(-passed);
    m_bSyncAllowed = true;
    AfterScrollRequest();
}

void CListPaging::PageDown() {
    if (std::int64_t{m_nTotal} >= std::int64_t{m_nFirst} + m_nRowsPerPage) {
        const std::int64_t oldFirst = m_nFirst;
        if (m_nRowsPerPage > 1) m_nFirst = std::min(Narrow(oldFirst + m_nRowsPerPage - 1), LastFirst());
        // Every multiple stepped onto counts, the new first included even when the end limited it; leaving
        // it out would stop the view one item short of the bottom and shift the thumb from then on.
        const std::int64_t passed = MultiplesOfScale(oldFirst + 1, m_nFirst);
        m_bSyncAllowed = false;
        ScrollView(passed);
        m_bSyncAllowed = true;
    }
    AfterScrollRequest();
}

void CListPaging::ThumbTrack(std::int32_t trackPosition) {
    const std::int64_t delta = std::int64_t{trackPosition} - m_nTopIndex;
    std::int64_t first = m_nFirst + delta * m_nScale;
    if (delta > 0) first = std::min<std::int64_t>(first, LastFirst());
    if (delta < 0) first = std::max<std::int64_t>(first, 0);
    // The thumb's ends are the records' ends. Moves relative to the view drift from them once the end of a
    // scaled list has clipped m_nFirst, and the top of the scroll bar would no longer show the first record.
    if (trackPosition <= 0) first = 0;
    if (trackPosition >= MaxTopIndex()) first = LastFirst();
    m_nFirst = Narrow(first);
    ScrollView(delta);  // the view follows the thumb itself
    AfterScrollRequest();
}

// The scroll bar's own "top" and "bottom" commands move the page with the thumb, so that the thumb never
// stands at one end while the page shows records from elsewhere.
void CListPaging::ScrollToTop() {
    m_nFirst = 0;
    ScrollView(-std::int64_t{m_nTopIndex});
    AfterScrollRequest();
}

void CListPaging::ScrollToBottom() {
    m_nFirst = LastFirst();
    ScrollView(std::int64_t{MaxTopIndex()} - m_nTopIndex);
    AfterScrollRequest();
}

void CListPaging::Wheel(int delta) {
    // Touchpads send small deltas; they add up to whole notches. A turn the other way starts afresh.
    if ((delta > 0 && m_nWheelRemainder < 0) || (delta < 0 && m_nWheelRemainder > 0)) m_nWheelRemainder = 0;
    const std::int64_t sum = std::int64_t{m_nWheelRemainder} + delta;
    const std::int64_t lines = sum / kWheelDelta;
    m_nWheelRemainder = static_cast<int>(sum % kWheelDelta);
    // More lines than records cannot move the page any further.
    const std::int64_t count = std::min<std::int64_t>(std::abs(lines), std::int64_t{m_nTotal} + 1);
    for (std::int64_t i = 0; i < count; ++i) {
        if (lines > 0) {
            LineUp();
        } else {
            LineDown();
        }
    }
}

// ---- keys ------------------------------------------------------------------------------------------------

bool CListPaging::KeyDown(int keyCode) {
    switch (keyCode) {
        case kListKeyHome: HomeKey(); break;
        case kListKeyEnd: EndKey(); break;
        case kListKeyUp: UpKey(); break;
        case kListKeyDown: DownKey(); break;
        case kListKeyPageUp: PageUpKey(); break;
        case kListKeyPageDown: PageDownKey(); break;
        case kListKeyEnter: break;  // the owner opens the details; nothing moves
        default: return false;
    }
    if (m_pListener) m_pListener->OnKeyDown(keyCode);
    return true;
}

void CListPaging::HomeKey() {
    if (m_nCurrent > 0 && m_nTotal > 0) {
        m_nFirst = 0;
        m_nCurrent = 0;
        ScrollToTop();
    }
}

void CListPaging::EndKey() {
    if (m_nTotal > 0 && m_nCurrent < m_nTotal - 1) {
        if (m_nRowsPerPage < m_nTotal) m_nFirst = m_nTotal - m_nRowsPerPage;
        m_nCurrent = m_nTotal - 1;
        ScrollToBottom();
    }
}

void CListPaging::UpKey() {
    if (m_nCurrent >= 1) {
        const std::int32_t old = m_nCurrent--;
        if (old == m_nFirst) {
            LineUp();
        } else {
            Resynchronise();
        }
    }
}

void CListPaging::DownKey() {
    if (m_nCurrent < std::int64_t{m_nTotal} - 1) {
        const std::int32_t old = m_nCurrent++;
        if (old == LastRowOfPage()) {
            LineDown();
        } else {
            Resynchronise();
        }
    }
}

void CListPaging::PageUpKey() {
    if (m_nCurrent == -1) m_nCurrent = m_nFirst;
    const std::int64_t n = std::int64_t{m_nCurrent} - m_nRowsPerPage + 1;
    Deselect();
    bool scrolled = false;
    if (n >= 1 && m_nCurrent == m_nFirst) {
        m_nCurrent = Narrow(n);
        PageUp();
        scrolled = true;
    } else if (n >= 1) {
        m_nCurrent = m_nFirst;
    } else if (m_nFirst > 0) {
        scrolled = m_nCurrent > 0;  // Home acts only then
        HomeKey();
    } else if (m_nCurrent > 0) {
        m_nCurrent = 0;
    }
    // Also when nothing moved: the row was deselected above and must not stay blank.
    if (!scrolled) Resynchronise();
    PullCurrentIntoPage();
}

void CListPaging::PageDownKey() {
    if (m_nTotal < 1) return;
    const std::int64_t n = std::int64_t{m_nCurrent} + m_nRowsPerPage - 1;
    const std::int64_t lastRecord = std::int64_t{m_nTotal} - 1;
    Deselect();
    bool scrolled = false;
    if (n < lastRecord && m_nCurrent == LastRowOfPage()) {
        m_nCurrent = Narrow(n);
        PageDown();
        scrolled = true;
    } else if (n < lastRecord) {
        m_nCurrent = Narrow(LastRowOfPage());
    } else if (m_nCurrent != lastRecord) {
        scrolled = m_nCurrent < lastRecord;  // End acts only then
        EndKey();
    }
    if (!scrolled) Resynchronise();
    PullCurrentIntoPage();
}

void CListPaging::PullCurrentIntoPage() {
    if (m_nCurrent < m_nFirst || m_nCurrent > std::int64_t{m_nFirst} + m_nRowsPerPage) {
        m_nCurrent = m_nFirst;
        Resynchronise();
    }
}

// ---- mouse and header ------------------------------------------------------------------------------------

bool CListPaging::MousePress(int pageRow) const {
    if (pageRow < 0) return false;
    // The half row below the page belongs to no page position the keys can reach.
    return !(pageRow == m_nRowsPerPage && std::int64_t{m_nTopIndex} + m_nRowsPerPage < m_nItemCount);
}

void CListPaging::Click(int pageRow) {
    if (pageRow < 0 || pageRow > m_nRowsPerPage) return;
    const std::int64_t item = std::int64_t{m_nTopIndex} + pageRow;
    const std::int64_t serial = std::int64_t{m_nFirst} + pageRow;
    // A blank row (no data yet, or past the last record) holds nothing to select.
    if (item >= m_nItemCount || !m_bHasData || serial >= m_nTotal) return;
    m_nCurrent = Narrow(serial);
    SelectItem(item);
    if (m_pListener) m_pListener->OnClick(m_nCurrent);
}

void CListPaging::DoubleClick(int pageRow) {
    if (pageRow < 0 || pageRow > m_nRowsPerPage) return;
    const std::int64_t item = std::int64_t{m_nTopIndex} + pageRow;
    const std::int64_t serial = std::int64_t{m_nFirst} + pageRow;
    if (item >= m_nItemCount || !m_bHasData || serial >= m_nTotal) return;
    if (m_pListener) m_pListener->OnDoubleClick(Narrow(serial));
}

void CListPaging::HeaderClick(int column) {
    if (column != 1) {
        if (m_pListener) m_pListener->OnHeaderNotSorting(column);
        return;
    }
    SortRequest request;
    request.oldState = m_nSortState;
    request.newState = NextSortState(m_nSortState);
    request.accept = 1;
    // The new state is in place while the owner decides: a reload started from there reads it.
    m_nSortState = request.newState;
    if (m_pListener) m_pListener->OnSortRequest(request);
    if (request.accept == 0) m_nSortState = request.oldState;
}

bool CListPaging::SelectSerial(std::int64_t serial) {
    if (!m_bHasData || serial < 0 || serial >= m_nTotal) return false;
    if (serial < m_nFirst || serial > LastRowOfPage()) {
        m_nFirst = Narrow(std::clamp<std::int64_t>(serial - m_nRowsPerPage / 2, 0, LastFirst()));
        // The view's top follows m_nFirst as line scrolling keeps it: one item per m_nScale records.
        ScrollView(std::int64_t{m_nFirst} / m_nScale - m_nTopIndex);
    }
    m_nCurrent = Narrow(serial);
    Resynchronise();
    return true;
}

// ---- the modelled view -----------------------------------------------------------------------------------

std::int32_t CListPaging::MaxTopIndex() const {
    return std::max(0, m_nItemCount - m_nRowsPerPage);
}

int CListPaging::SelectedPageRow() const {
    if (m_nSelectedItem < 0) return -1;
    const std::int64_t row = std::int64_t{m_nSelectedItem} - m_nTopIndex;
    return row < 0 || row > m_nRowsPerPage ? -1 : static_cast<int>(row);
}

std::int32_t CListPaging::SelectedSerial() const {
    const int row = SelectedPageRow();
    if (row < 0 || !m_bHasData) return -1;
    const std::int64_t serial = std::int64_t{m_nFirst} + row;
    return serial < m_nTotal ? Narrow(serial) : -1;
}

int CListPaging::PageRecordCount() const {
    if (!m_bHasData) return 0;
    return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{m_nTotal} - m_nFirst, 0, m_nRowsPerPage + 1));
}

bool CListPaging::SetRowsPerPage(int rowsPerPage) {
    const int rows = std::clamp<int>(rowsPerPage, 0, std::numeric_limits<std::int16_t>::max());
    if (rows == m_nRowsPerPage) return false;
    m_nRowsPerPage = static_cast<std::int16_t>(rows);
    ScrollView(0);  // the view keeps its scroll position within the new range
    if (m_pListener) m_pListener->OnPageRowsChanged(m_nRowsPerPage);
    return true;
}

void CListPaging::SetItemCount(std::int64_t count) {
    m_nItemCount = Narrow(std::clamp<std::int64_t>(count, 0, kInt32Max));
    ScrollView(0);
    if (m_nSelectedItem >= m_nItemCount) Deselect();
}

void CListPaging::ScrollView(std::int64_t items) {
    m_nTopIndex = Narrow(std::clamp<std::int64_t>(std::int64_t{m_nTopIndex} + items, 0, MaxTopIndex()));
}

void CListPaging::SelectItem(std::int64_t item) {
    if (item >= 0 && item < m_nItemCount) {
        m_nSelectedItem = Narrow(item);
    } else {
        Deselect();
    }
}

void CListPaging::Resynchronise() {
    const std::int64_t current = m_nCurrent;
    const std::int64_t first = m_nFirst;
    if (current < first || current > first + m_nRowsPerPage) {
        Deselect();
    } else if (current == 0) {
        SelectItem(0);
    } else {
        // The half row below the page too: with more records than view items the view does not move with
        // every line, so the item selected before would now stand for another record.
        SelectItem(std::int64_t{m_nTopIndex} + current - first);
    }
}

void CListPaging::AfterScrollRequest() {
    if (m_bSyncAllowed) Resynchronise();
}

std::int32_t CListPaging::LastFirst() const {
    return std::max(0, m_nTotal - m_nRowsPerPage);
}

std::int64_t CListPaging::MultiplesOfScale(std::int64_t from, std::int64_t to) const {
    if (to < from || from < 0) return 0;
    return to / m_nScale - (from + m_nScale - 1) / m_nScale + 1;
}

}  // namespace vyx
