// Paging of the large-data record list: scale above the view's item limit, line, page, thumb, wheel, keys,
// mouse, resize, sort requests and browsing while a load grows.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "controller/ListPaging.h"

namespace vyx {
namespace {

constexpr std::int64_t kCap = CListPaging::kMaxViewItems;

class RecordingListener : public IListPagingListener {
public:
    void OnPageRowsChanged(int rows) override { pageRows.push_back(rows); }
    void OnSortRequest(SortRequest& request) override {
        requests.push_back(request);
        stateSeenDuringRequest = paging->SortState();
        if (refuse) request.accept = 0;
    }
    void OnKeyDown(int key) override { keys.push_back(key); }
    void OnClick(std::int32_t serial) override { clicks.push_back(serial); }
    void OnDoubleClick(std::int32_t serial) override { doubleClicks.push_back(serial); }

    const CListPaging* paging = nullptr;
    bool refuse = false;
    int stateSeenDuringRequest = -1;
    std::vector<int> pageRows, keys;
    std::vector<SortRequest> requests;
    std::vector<std::int32_t> clicks, doubleClicks;
};

struct List {
    List(std::int64_t total, int rows) {
        listener.paging = &paging;
        paging.SetListener(&listener);
        paging.Resize(rows);
        paging.Reset();
        paging.SetTotal(total);
    }
    CListPaging paging;
    RecordingListener listener;
};

// The view's top index follows m_nFirst: it is m_nFirst / scale, so the thumb stays proportional and its ends
// are the records' ends.
void ExpectConsistent(const CListPaging& p) {
    ASSERT_GE(p.First(), 0);
    ASSERT_LE(p.First(), std::max<std::int64_t>(0, std::int64_t{p.Total()} - p.RowsPerPage()));
    ASSERT_LE(p.ItemCount(), kCap + p.RowsPerPage());
    ASSERT_LE(p.TopIndex(), p.MaxTopIndex());
    ASSERT_EQ(p.TopIndex(), p.First() / p.Scale());
    if (p.SelectedSerial() >= 0) {
        ASSERT_EQ(p.SelectedSerial(), p.Current());
    }
}

// ---- scale ------------------------------------------------------------------------------------------------

struct ScaleCase {
    std::int64_t total;
    int rows;
    int scale;
};

class ListScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ListScale, ItemCountStaysWithinTheViewLimit) {
    const ScaleCase c = GetParam();
    List list(c.total, c.rows);
    const CListPaging& p = list.paging;
    EXPECT_EQ(p.Scale(), c.scale);
    const std::int64_t expected = c.scale == 1 ? c.total : c.rows + (c.total - c.rows) / c.scale;
    EXPECT_EQ(p.ItemCount(), expected);
    EXPECT_LE(p.ItemCount() - c.rows, kCap - c.rows);
    // The smallest such scale: one less would overflow the view.
    if (c.scale > 2) {
        EXPECT_GT((c.total - c.rows) / (c.scale - 1), kCap - c.rows);
    }
}

INSTANTIATE_TEST_SUITE_P(Totals, ListScale,
                         ::testing::Values(ScaleCase{9'000'000, 30, 1}, ScaleCase{kCap, 30, 1},
                                           ScaleCase{kCap + 1, 30, 2}, ScaleCase{kCap * 5 / 2, 30, 3},
                                           // twice the limit needs 3: the page's own rows count too
                                           ScaleCase{2 * kCap, 30, 3}, ScaleCase{kCap * 10, 30, 11},
                                           ScaleCase{2'147'483'647, 30, 22}, ScaleCase{kCap * 5 / 2, 1, 3}));

TEST(ListPaging, NewTotalRealignsTheViewWhenTheScaleChanges) {
    List list(50'000'000, 30);
    CListPaging& p = list.paging;
    p.ThumbTrack(40'000'000);
    ASSERT_EQ(p.First(), 40'000'000);
    p.SetTotal(kCap * 5 / 2);  // the load grew past the limit
    EXPECT_EQ(p.Scale(), 3);
    EXPECT_EQ(p.First(), 40'000'000);
    EXPECT_EQ(p.TopIndex(), 40'000'000 / 3);
    ExpectConsistent(p);
}

// ---- line, page and thumb ---------------------------------------------------------------------------------

TEST(ListPaging, LineMovesAtTheEndsDoNothing) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    p.LineUp();
    EXPECT_EQ(p.First(), 0);
    EXPECT_EQ(p.TopIndex(), 0);
    p.ThumbTrack(970);
    ASSERT_EQ(p.First(), 970);
    p.LineDown();
    EXPECT_EQ(p.First(), 970);
    EXPECT_EQ(p.TopIndex(), 970);
    p.LineUp();
    EXPECT_EQ(p.First(), 969);
    EXPECT_EQ(p.TopIndex(), 969);
}

TEST(ListPaging, ScaledLinesMoveTheViewOnlyAtMultiplesOfTheScale) {
    List list(kCap * 5 / 2, 30);
    CListPaging& p = list.paging;
    std::vector<std::int32_t> tops;
    for (int i = 0; i < 6; ++i) {
        p.LineDown();
        tops.push_back(p.TopIndex());
    }
    EXPECT_EQ(tops, (std::vector<std::int32_t>{0, 0, 1, 1, 1, 2}));
    EXPECT_EQ(p.First(), 6);
    tops.clear();
    for (int i = 0; i < 6; ++i) {
        p.LineUp();
        tops.push_back(p.TopIndex());
    }
    EXPECT_EQ(tops, (std::vector<std::int32_t>{1, 1, 1, 0, 0, 0}));
}

TEST(ListPaging, ScaledUpAndDownAcrossAMultipleDoNotDriftTheView) {
    List list(kCap * 5 / 2, 30);
    CListPaging& p = list.paging;
    p.ThumbTrack(1000);
    ASSERT_EQ(p.First(), 3000);
    for (int i = 0; i < 10; ++i) {
        p.Wheel(120);
        p.Wheel(-120);
    }
    EXPECT_EQ(p.First(), 3000);
    EXPECT_EQ(p.TopIndex(), 1000);
}

struct PageCase {
    std::int64_t total;
    bool down;
    std::int32_t firstBefore;
    std::int32_t firstAfter;
    std::int32_t itemsScrolled;  // multiples of the scale passed over
};

class ListPage : public ::testing::TestWithParam<PageCase> {};

TEST_P(ListPage, MovesOnePageLessOneRowAndScrollsByTheMultiplesPassed) {
    const PageCase c = GetParam();
    List list(c.total, 30);
    CListPaging& p = list.paging;
    // Reach the start position line by line so the view stands where browsing would have put it.
    p.ThumbTrack(c.firstBefore / p.Scale());
    while (p.First() < c.firstBefore) p.LineDown();
    while (p.First() > c.firstBefore) p.LineUp();
    ASSERT_EQ(p.First(), c.firstBefore);
    const std::int32_t top = p.TopIndex();
    c.down ? p.PageDown() : p.PageUp();
    EXPECT_EQ(p.First(), c.firstAfter);
    EXPECT_EQ(p.TopIndex() - top, c.down ? c.itemsScrolled : -c.itemsScrolled);
    ExpectConsistent(p);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, ListPage,
    ::testing::Values(PageCase{1000, true, 0, 29, 29}, PageCase{1000, false, 29, 0, 29},
                      PageCase{1000, false, 10, 0, 10},
                      // limited by the end: the new first counts too, so the view reaches its bottom
                      PageCase{1000, true, 960, 970, 10}, PageCase{1000, true, 970, 970, 0},
                      PageCase{kCap * 5 / 2, true, 0, 29, 9}, PageCase{kCap * 5 / 2, true, 1, 30, 10},
                      PageCase{kCap * 5 / 2, false, 60, 31, 10}, PageCase{kCap * 5 / 2, false, 59, 30, 9},
                      PageCase{kCap * 5 / 2, false, 58, 29, 10},
                      PageCase{kCap * 5 / 2, true, 249'999'940, 249'999'969, 10},
                      PageCase{kCap * 5 / 2, true, 249'999'960, 249'999'970, 3}));

TEST(ListPaging, PageMovesNeedMoreThanOneRow) {
    List list(1000, 1);
    CListPaging& p = list.paging;
    p.LineDown();
    p.PageDown();
    EXPECT_EQ(p.First(), 1);
    p.PageUp();
    EXPECT_EQ(p.First(), 1);
}

TEST(ListPaging, ThumbTrackMovesByScaleAndReachesBothEnds) {
    List list(kCap * 5 / 2, 30);
    CListPaging& p = list.paging;
    p.ThumbTrack(10);
    EXPECT_EQ(p.First(), 30);
    p.ThumbTrack(p.MaxTopIndex());
    EXPECT_EQ(p.First(), kCap * 5 / 2 - 30);
    EXPECT_EQ(p.TopIndex(), p.MaxTopIndex());
    p.ThumbTrack(0);
    EXPECT_EQ(p.First(), 0);
    EXPECT_EQ(p.TopIndex(), 0);
}

TEST(ListPaging, ThumbReachesTheFirstRecordAfterPagingToTheEnd) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    for (int i = 0; i < 40; ++i) p.PageDown();
    ASSERT_EQ(p.First(), 970);
    EXPECT_EQ(p.TopIndex(), p.MaxTopIndex());
    p.ThumbTrack(0);
    EXPECT_EQ(p.First(), 0);
}

TEST(ListPaging, ScrollBarTopAndBottomMoveThePageWithTheThumb) {
    List list(kCap * 5 / 2, 30);
    CListPaging& p = list.paging;
    p.ScrollToBottom();
    EXPECT_EQ(p.First(), kCap * 5 / 2 - 30);
    EXPECT_EQ(p.TopIndex(), p.MaxTopIndex());
    p.ScrollToTop();
    EXPECT_EQ(p.First(), 0);
    EXPECT_EQ(p.TopIndex(), 0);
}

TEST(ListPaging, WheelMovesALinePerWholeNotch) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    p.Wheel(-240);
    EXPECT_EQ(p.First(), 2);
    p.Wheel(120);
    EXPECT_EQ(p.First(), 1);
    for (int i = 0; i < 3; ++i) p.Wheel(-40);  // a touchpad: three small steps make one notch
    EXPECT_EQ(p.First(), 2);
    p.Wheel(-60);
    p.Wheel(60);  // turning back does not complete the notch begun the other way
    p.Wheel(-60);
    EXPECT_EQ(p.First(), 2);
    p.Wheel(-120 * 5000);
    EXPECT_EQ(p.First(), 970);
}

// ---- keys --------------------------------------------------------------------------------------------------

TEST(ListPaging, HomeWithCurrentZeroAndEndOnTheLastRecordDoNothing) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    p.Wheel(-120 * 100);  // scrolled away, selection still on record 0
    ASSERT_EQ(p.Current(), 0);
    EXPECT_TRUE(p.KeyDown(kListKeyHome));
    EXPECT_EQ(p.First(), 100);

    EXPECT_TRUE(p.KeyDown(kListKeyEnd));
    EXPECT_EQ(p.First(), 970);
    EXPECT_EQ(p.Current(), 999);
    EXPECT_EQ(p.SelectedPageRow(), 29);
    p.Wheel(120 * 50);
    EXPECT_TRUE(p.KeyDown(kListKeyEnd));
    EXPECT_EQ(p.First(), 920);  // no-op: already on the last record
    EXPECT_EQ(p.SelectedPageRow(), -1);

    EXPECT_TRUE(p.KeyDown(kListKeyHome));
    EXPECT_EQ(p.First(), 0);
    EXPECT_EQ(p.Current(), 0);
    EXPECT_EQ(p.SelectedPageRow(), 0);
    EXPECT_EQ(list.listener.keys, (std::vector<int>{kListKeyHome, kListKeyEnd, kListKeyEnd, kListKeyHome}));
}

TEST(ListPaging, UpAndDownScrollOnlyAtThePageEdges) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    for (int i = 0; i < 29; ++i) p.KeyDown(kListKeyDown);
    EXPECT_EQ(p.Current(), 29);
    EXPECT_EQ(p.First(), 0);
    EXPECT_EQ(p.SelectedPageRow(), 29);
    p.KeyDown(kListKeyDown);
    EXPECT_EQ(p.Current(), 30);
    EXPECT_EQ(p.First(), 1);
    EXPECT_EQ(p.SelectedPageRow(), 29);
    for (int i = 0; i < 29; ++i) p.KeyDown(kListKeyUp);
    EXPECT_EQ(p.First(), 1);
    EXPECT_EQ(p.SelectedPageRow(), 0);
    p.KeyDown(kListKeyUp);
    EXPECT_EQ(p.First(), 0);
    EXPECT_EQ(p.Current(), 0);
    p.KeyDown(kListKeyUp);
    EXPECT_EQ(p.Current(), 0);
    EXPECT_EQ(p.SelectedSerial(), 0);
}

TEST(ListPaging, DownStopsAtTheLastRecordWithScale) {
    List list(kCap * 5 / 2, 30);
    CListPaging& p = list.paging;
    p.KeyDown(kListKeyEnd);
    const std::int32_t first = p.First();
    p.KeyDown(kListKeyDown);
    EXPECT_EQ(p.Current(), kCap * 5 / 2 - 1);
    EXPECT_EQ(p.First(), first);
    p.KeyDown(kListKeyUp);
    EXPECT_EQ(p.SelectedSerial(), kCap * 5 / 2 - 2);
}

struct KeyWalk {
    std::vector<int> keys;
    std::int32_t current;
    std::int32_t first;
};

class ListPageKeys : public ::testing::TestWithParam<KeyWalk> {};

TEST_P(ListPageKeys, LandOnTheExpectedRow) {
    const KeyWalk w = GetParam();
    List list(1000, 30);
    CListPaging& p = list.paging;
    for (int key : w.keys) p.KeyDown(key);
    EXPECT_EQ(p.Current(), w.current);
    EXPECT_EQ(p.First(), w.first);
    EXPECT_EQ(p.SelectedSerial(), w.current);  // the moved row is selected, never left blank
    EXPECT_EQ(list.listener.keys, w.keys);
    ExpectConsistent(p);
}

INSTANTIATE_TEST_SUITE_P(
    Walks, ListPageKeys,
    ::testing::Values(KeyWalk{{kListKeyPageDown}, 29, 0},                     // to the page's last row
                      KeyWalk{{kListKeyPageDown, kListKeyPageDown}, 58, 29},  // then a page on
                      KeyWalk{{kListKeyDown, kListKeyPageUp}, 0, 0},          // to the top row
                      KeyWalk{{kListKeyPageUp}, 0, 0},                        // at the top: stays
                      KeyWalk{{kListKeyPageDown, kListKeyPageDown, kListKeyPageUp}, 29, 29},
                      KeyWalk{{kListKeyPageDown, kListKeyPageDown, kListKeyPageUp, kListKeyPageUp}, 0, 0},
                      KeyWalk{{kListKeyEnd, kListKeyPageUp}, 970, 970},
                      KeyWalk{{kListKeyEnd, kListKeyPageUp, kListKeyPageUp}, 941, 941},
                      KeyWalk{{kListKeyEnd, kListKeyPageDown}, 999, 970},
                      KeyWalk{{kListKeyEnd, kListKeyUp, kListKeyPageDown}, 999, 970}, KeyWalk{{kListKeyEnter}, 0, 0}));

TEST(ListPaging, PageKeysBringASelectionThatScrolledAwayBackToThePage) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    p.KeyDown(kListKeyDown);
    p.Wheel(-120 * 300);
    ASSERT_EQ(p.SelectedPageRow(), -1);
    p.KeyDown(kListKeyPageDown);  // the page's last row
    EXPECT_EQ(p.Current(), 329);
    p.Wheel(-120 * 300);
    p.KeyDown(kListKeyPageUp);  // the page's top row
    EXPECT_EQ(p.Current(), 600);
    EXPECT_EQ(p.SelectedPageRow(), 0);
}

TEST(ListPaging, OtherKeysAreLeftToTheView) {
    List list(1000, 30);
    EXPECT_FALSE(list.paging.KeyDown(37));  // left arrow
    EXPECT_FALSE(list.paging.KeyDown('A'));
    EXPECT_TRUE(list.listener.keys.empty());
}

// ---- mouse ---------------------------------------------------------------------------------------------------

TEST(ListPaging, ClicksSelectRowsThatHoldRecords) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    p.Wheel(-120 * 100);
    EXPECT_FALSE(p.MousePress(30));  // the half row below the page
    EXPECT_FALSE(p.MousePress(-1));
    ASSERT_TRUE(p.MousePress(7));
    p.Click(7);
    EXPECT_EQ(p.Current(), 107);
    EXPECT_EQ(p.SelectedSerial(), 107);
    p.DoubleClick(7);
    EXPECT_EQ(list.listener.clicks, (std::vector<std::int32_t>{107}));
    EXPECT_EQ(list.listener.doubleClicks, (std::vector<std::int32_t>{107}));

    p.Reset();  // blank rows of a starting load hold nothing
    ASSERT_TRUE(p.MousePress(3));
    p.Click(3);
    p.DoubleClick(3);
    EXPECT_EQ(p.Current(), 0);
    EXPECT_EQ(list.listener.clicks.size(), 1u);
    EXPECT_EQ(list.listener.doubleClicks.size(), 1u);
}

TEST(ListPaging, ClicksBelowTheLastRecordOfAShortListAreIgnored) {
    List list(10, 30);
    CListPaging& p = list.paging;
    EXPECT_TRUE(p.MousePress(30));  // no item there, the press goes to empty space
    p.Click(12);
    EXPECT_EQ(p.Current(), 0);
    p.Click(9);
    EXPECT_EQ(p.Current(), 9);
}

// ---- resize ----------------------------------------------------------------------------------------------

TEST(ListPaging, TallerPageAtTheEndPullsFirstBack) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    p.KeyDown(kListKeyEnd);
    p.Resize(40);
    EXPECT_EQ(p.First(), 960);
    EXPECT_EQ(p.Current(), 999);
    EXPECT_EQ(p.SelectedPageRow(), 39);
    EXPECT_EQ(list.listener.pageRows, (std::vector<int>{30, 40}));
    p.Resize(40);
    EXPECT_EQ(list.listener.pageRows.size(), 2u);  // unchanged: no notification
    ExpectConsistent(p);
}

TEST(ListPaging, PageTallerThanTheListStaysAtTheTop) {
    List list(10, 5);
    CListPaging& p = list.paging;
    p.KeyDown(kListKeyEnd);
    ASSERT_EQ(p.First(), 5);
    p.Resize(30);
    EXPECT_EQ(p.First(), 0);  // never negative
    EXPECT_EQ(p.SelectedSerial(), 9);
    EXPECT_EQ(p.PageRecordCount(), 10);
}

TEST(ListPaging, TallerPageAtTheEndOfAScaledList) {
    List list(kCap * 5 / 2, 30);
    CListPaging& p = list.paging;
    p.KeyDown(kListKeyEnd);
    p.Resize(40);
    EXPECT_EQ(p.First(), kCap * 5 / 2 - 40);
    EXPECT_EQ(p.ItemCount(), 40 + (kCap * 5 / 2 - 40) / 3);
    EXPECT_EQ(p.SelectedSerial(), kCap * 5 / 2 - 1);
    ExpectConsistent(p);
}

TEST(ListPaging, ColumnChangeThatFreesARowPullsFirstBack) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    p.KeyDown(kListKeyEnd);
    p.ColumnWidthChanged(31);  // a horizontal scroll bar went away
    EXPECT_EQ(p.First(), 969);
    EXPECT_EQ(p.TopIndex(), 969);
    p.ColumnWidthChanged(30);
    EXPECT_EQ(p.First(), 969);
}

// ---- sort --------------------------------------------------------------------------------------------------

TEST(ListPaging, DateTimeHeaderCyclesTheSortStateAndTheOwnerMayRefuse) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    p.HeaderClick(2);
    EXPECT_TRUE(list.listener.requests.empty());
    std::vector<int> states;
    for (int i = 0; i < 3; ++i) {
        p.HeaderClick(1);
        states.push_back(p.SortState());
        EXPECT_EQ(list.listener.stateSeenDuringRequest, p.SortState());
    }
    EXPECT_EQ(states, (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(list.listener.requests[1].oldState, 1);
    EXPECT_EQ(list.listener.requests[1].newState, 2);

    list.listener.refuse = true;
    p.HeaderClick(1);
    EXPECT_EQ(p.SortState(), 0);
    EXPECT_EQ(list.listener.stateSeenDuringRequest, 1);
    p.Reset();
    EXPECT_EQ(p.SortState(), 0);
}

// ---- loads ---------------------------------------------------------------------------------------------------

TEST(ListPaging, ResetEmptiesThePageAndCountsBringTheDataBack) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    p.KeyDown(kListKeyEnd);
    p.Reset();
    EXPECT_FALSE(p.HasData());
    EXPECT_EQ(p.Total(), 0);
    EXPECT_EQ(p.First(), 0);
    EXPECT_EQ(p.Current(), 0);
    EXPECT_EQ(p.ItemCount(), 30);
    EXPECT_EQ(p.PageRecordCount(), 0);
    EXPECT_EQ(p.SelectedSerial(), -1);
    p.SetTotal(1000);
    EXPECT_TRUE(p.HasData());
    EXPECT_EQ(p.SelectedSerial(), 0);
    EXPECT_EQ(p.PageRecordCount(), 31);
    p.SetTotal(0);  // a failed load
    EXPECT_FALSE(p.HasData());
    EXPECT_EQ(p.PageRecordCount(), 0);
}

TEST(ListPaging, BrowsingWhileTheLoadGrows) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    p.KeyDown(kListKeyEnd);
    const std::int32_t first = p.First();
    const std::int32_t current = p.Current();
    ASSERT_EQ(first, 970);
    for (std::int64_t total = 2000; total <= 2'000'000; total *= 10) {
        p.SetTotal(total);
        EXPECT_EQ(p.First(), first);
        EXPECT_EQ(p.Current(), current);
        EXPECT_EQ(p.SelectedSerial(), current);
        ExpectConsistent(p);
    }
    p.KeyDown(kListKeyPageDown);  // the end seen before is no end any more
    EXPECT_GT(p.First(), first);
    p.SetTotal(kCap * 5 / 2);
    EXPECT_EQ(p.SelectedSerial(), p.Current());
    ExpectConsistent(p);
}

TEST(ListPaging, RandomBrowsingKeepsViewAndPageTogether) {
    std::mt19937 rng(7);
    for (std::int64_t total : {std::int64_t{5}, std::int64_t{1000}, kCap * 5 / 2}) {
        List list(total, 30);
        CListPaging& p = list.paging;
        const int keys[] = {kListKeyHome, kListKeyEnd, kListKeyUp, kListKeyDown, kListKeyPageUp, kListKeyPageDown};
        for (int step = 0; step < 4000; ++step) {
            const unsigned op = rng() % 9;
            switch (op) {
                case 0: p.KeyDown(keys[rng() % 6]); break;
                case 1: p.LineUp(); break;
                case 2: p.LineDown(); break;
                case 3: p.PageUp(); break;
                case 4: p.PageDown(); break;
                case 5: p.ThumbTrack(static_cast<std::int32_t>(rng() % (p.MaxTopIndex() + 1))); break;
                case 6: p.Wheel(static_cast<int>(rng() % 721) - 360); break;
                case 7: p.Resize(20 + static_cast<int>(rng() % 20)); break;
                case 8: p.Click(static_cast<int>(rng() % 31)); break;
            }
            ExpectConsistent(p);
            if (::testing::Test::HasFatalFailure()) FAIL() << "total " << total << " step " << step << " op " << op;
        }
    }
}

}  // namespace
}  // namespace vyx
