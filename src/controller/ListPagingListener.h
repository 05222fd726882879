#pragma once
// What the large-data record list tells its owner, and the ids those messages always had.

#include <cstdint>

#include "logdata/LoadSettings.h"

namespace vyx {

// Messages between the main window and the record list. The numbers are kept so traces stay comparable.
enum ListMessage : std::uint32_t {
    UM_LIST_RESET = 0x40D,          // a load starts: forget the total, back to the top
    UM_LIST_COUNT = 0x40E,          // the number of records now available
    LNM_PAGE_ROWS_CHANGED = 0x411,  // the list's rows per page changed: resize the page cache
    LNM_SORT_REQUEST = 0x420,       // a click on the Date-Time header asks for another order
};

// Key codes the list reports after it handled a key (the values the key-down handling compares against).
enum ListKey : int {
    kListKeyEnter = 13,
    kListKeyPageUp = 33,
    kListKeyPageDown = 34,
    kListKeyEnd = 35,
    kListKeyHome = 36,
    kListKeyUp = 38,
    kListKeyDown = 40,
};

// The sort state of the Date-Time column is the load order: one type for both.
struct SortRequest {
    LoadOrder oldState = LoadOrder::Stored;
    LoadOrder newState = LoadOrder::Stored;
    int accept = 1;  // the owner sets it to 0 to refuse; the list then keeps its old state
};

class IListPagingListener {
public:
    virtual ~IListPagingListener() = default;
    // LNM_PAGE_ROWS_CHANGED: the page now has this many whole rows; the cache needs one row more.
    virtual void OnPageRowsChanged(int rowsPerPage) = 0;
    // LNM_SORT_REQUEST: the list already holds newState while this runs, so a reload started from here
    // reads the new order.
    virtual void OnSortRequest(SortRequest& request) = 0;
    // A click on the header of a column that does not sort (all but Date-Time).
    virtual void OnHeaderNotSorting(int /*column*/) {}
    // After one of the navigation keys or Enter was handled; the selection has already moved.
    virtual void OnKeyDown(int keyCode) = 0;
    // A click or double click on a row that holds a record.
    virtual void OnClick(std::int32_t serial) = 0;
    virtual void OnDoubleClick(std::int32_t serial) = 0;
};

}  // namespace vyx
