// Paging of the large-data record list: scale above the view's item limit, line, page, thumb, wheel, keys,
// mouse, resize, sort requests and browsing while a load grows.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
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
    std::optional<LoadOrder> stateSeenDuringRequest;
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

// ---- page counts -------------------------------------------------------------------------------------------

struct PageCase {
    std::int64_t total;
    bool down;
    std::int32_t firstBefore;
    std::int32_t firstAfter;
    std::int32_t itemsScrolled;  // multiples of the scale crossed
};

class ListPage : public ::testing::TestWithParam<PageCase> {};

TEST_P(ListPage, MovesOnePageLessOneRowAndScrollsByTheMultiplesCrossed) {
    const PageCase c = GetParam();
    List list(c.total, 30);
    CListPaging& p = list.paging;
    p.ThumbTrack(c.firstBefore / p.Scale());
    while (p.First() < c.firstBefore) p.LineDown();
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
                      PageCase{kCap * 5 / 2, true, 249'999'960, 249'999'970, 3}));

// ---- browsing scenarios ------------------------------------------------------------------------------------

struct Scenario {
    const char* name;
    std::int64_t total;
    std::function<void(CListPaging&)> act;
    std::int64_t first;
    std::int64_t current;
    int selectedRow;  // page row of the selection, -1 none
};

void Keys(CListPaging& p, std::initializer_list<int> keys, int times = 1) {
    for (int i = 0; i < times; ++i) {
        for (int key : keys) p.KeyDown(key);
    }
}

constexpr std::int64_t kBig = kCap * 5 / 2;  // scale 3

const Scenario kScenarios[] = {
    {"line up at the top", 1000, [](CListPaging& p) { p.LineUp(); }, 0, 0, 0},
    {"line down at the end", 1000, [](CListPaging& p) { p.ThumbTrack(970), p.LineDown(); }, 970, 0, -1},
    {"home with current 0", 1000, [](CListPaging& p) { p.Wheel(-120 * 100), Keys(p, {kListKeyHome}); }, 100, 0, -1},
    {"end on the last record", 1000,
     [](CListPaging& p) { Keys(p, {kListKeyEnd}), p.Wheel(120 * 50), Keys(p, {kListKeyEnd}); }, 920, 999, -1},
    {"end then home", 1000,
     [](CListPaging& p) {
         Keys(p, {kListKeyEnd, kListKeyHome});
     },
     0, 0, 0},
    {"down off the page", 1000, [](CListPaging& p) { Keys(p, {kListKeyDown}, 30); }, 1, 30, 29},
    {"up off the page", 1000, [](CListPaging& p) { Keys(p, {kListKeyDown}, 30), Keys(p, {kListKeyUp}, 31); }, 0, 0, 0},
    {"down on the last scaled record", kBig,
     [](CListPaging& p) {
         Keys(p, {kListKeyEnd, kListKeyDown});
     },
     kBig - 30, kBig - 1, 29},
    {"up from the last scaled record", kBig,
     [](CListPaging& p) {
         Keys(p, {kListKeyEnd, kListKeyUp});
     },
     kBig - 30, kBig - 2, 28},
    {"page down to the last row", 1000, [](CListPaging& p) { Keys(p, {kListKeyPageDown}); }, 0, 29, 29},
    {"page down twice", 1000, [](CListPaging& p) { Keys(p, {kListKeyPageDown}, 2); }, 29, 58, 29},
    {"page up to the top row", 1000,
     [](CListPaging& p) {
         Keys(p, {kListKeyDown, kListKeyPageUp});
     },
     0, 0, 0},
    {"page up at the top keeps the row", 1000, [](CListPaging& p) { Keys(p, {kListKeyPageUp}); }, 0, 0, 0},
    {"page down twice, up once", 1000,
     [](CListPaging& p) {
         Keys(p, {kListKeyPageDown, kListKeyPageDown, kListKeyPageUp});
     },
     29, 29, 0},
    {"page up from the top row of page 2", 1000,
     [](CListPaging& p) {
         Keys(p, {kListKeyPageDown, kListKeyPageDown, kListKeyPageUp, kListKeyPageUp});
     },
     0, 0, 0},
    {"page up after end", 1000,
     [](CListPaging& p) {
         Keys(p, {kListKeyEnd, kListKeyPageUp, kListKeyPageUp});
     },
     941, 941, 0},
    {"page down on the last record", 1000,
     [](CListPaging& p) {
         Keys(p, {kListKeyEnd, kListKeyPageDown});
     },
     970, 999, 29},
    {"page down near the end is end", 1000,
     [](CListPaging& p) {
         Keys(p, {kListKeyEnd, kListKeyUp, kListKeyPageDown});
     },
     970, 999, 29},
    {"page keys fetch a selection scrolled away", 1000,
     [](CListPaging& p) { Keys(p, {kListKeyDown}), p.Wheel(-120 * 300), Keys(p, {kListKeyPageDown}); }, 300, 329, 29},
    {"thumb to the top of a scaled list", kBig,
     [](CListPaging& p) { p.ThumbTrack(10), p.ThumbTrack(p.MaxTopIndex()), p.ThumbTrack(0); }, 0, 0, 0},
    {"thumb to the bottom of a scaled list", kBig, [](CListPaging& p) { p.ThumbTrack(p.MaxTopIndex()); }, kBig - 30, 0,
     -1},
    {"scroll bar bottom", kBig, [](CListPaging& p) { p.ScrollToBottom(); }, kBig - 30, 0, -1},
    {"scroll bar top", kBig, [](CListPaging& p) { p.ThumbTrack(500), p.ScrollToTop(); }, 0, 0, 0},
    {"wheel notches add up", 1000,
     [](CListPaging& p) {
         for (int delta : {-240, 120, -40, -40, -40, -60, 60, -60}) p.Wheel(delta);
     },
     2, 0, -1},
    {"wheel past the end", 1000, [](CListPaging& p) { p.Wheel(-120 * 5000); }, 970, 0, -1},
    {"scaled wheel up and down does not drift", kBig,
     [](CListPaging& p) {
         p.ThumbTrack(1000);
         for (int i = 0; i < 10; ++i) p.Wheel(120), p.Wheel(-120);
     },
     3000, 0, -1},
    {"taller page at the end", 1000, [](CListPaging& p) { Keys(p, {kListKeyEnd}), p.Resize(40); }, 960, 999, 39},
    {"shorter page keeps its top", 1000, [](CListPaging& p) { Keys(p, {kListKeyEnd}), p.Resize(20); }, 970, 999, -1},
    {"page taller than the list", 10, [](CListPaging& p) { p.Resize(5), Keys(p, {kListKeyEnd}), p.Resize(30); }, 0, 9,
     9},
    {"taller page at a scaled end", kBig, [](CListPaging& p) { Keys(p, {kListKeyEnd}), p.Resize(40); }, kBig - 40,
     kBig - 1, 39},
    {"column change frees a row", 1000, [](CListPaging& p) { Keys(p, {kListKeyEnd}), p.ColumnWidthChanged(31); }, 969,
     999, 30},
    {"click selects", 1000, [](CListPaging& p) { p.Wheel(-120 * 100), p.Click(7); }, 100, 107, 7},
    {"click on a blank row", 1000, [](CListPaging& p) { p.Reset(), p.Click(3); }, 0, 0, -1},
    {"click below a short list", 10, [](CListPaging& p) { p.Click(12); }, 0, 0, 0},
    {"browse while the load grows", 1000,
     [](CListPaging& p) {
         Keys(p, {kListKeyEnd});
         for (std::int64_t total = 2000; total <= 2'000'000; total *= 10) p.SetTotal(total);
     },
     970, 999, 29},
    {"the end seen before is no end any more", 1000,
     [](CListPaging& p) { Keys(p, {kListKeyEnd}), p.SetTotal(2000), Keys(p, {kListKeyPageDown}); }, 999, 1028, 29},
    {"growing past the limit keeps the page", 1000, [](CListPaging& p) { Keys(p, {kListKeyEnd}), p.SetTotal(kBig); },
     970, 999, 29},
    {"growing past the limit realigns the view", 50'000'000,
     [](CListPaging& p) { p.ThumbTrack(40'000'000), p.SetTotal(kBig); }, 40'000'000, 0, -1},
    {"failed load", 1000, [](CListPaging& p) { Keys(p, {kListKeyEnd}), p.SetTotal(0); }, 0, 999, -1},
};

class ListBrowsing : public ::testing::TestWithParam<Scenario> {};

TEST_P(ListBrowsing, EndsOnTheExpectedPageAndRow) {
    const Scenario& s = GetParam();
    List list(s.total, 30);
    s.act(list.paging);
    const CListPaging& p = list.paging;
    EXPECT_EQ(p.First(), s.first);
    EXPECT_EQ(p.Current(), s.current);
    EXPECT_EQ(p.SelectedPageRow(), s.selectedRow);
    ExpectConsistent(p);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ListBrowsing, ::testing::ValuesIn(kScenarios), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
});

// ---- notifications -------------------------------------------------------------------------------------------

TEST(ListPaging, ReportsKeysClicksAndPageRows) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    EXPECT_TRUE(p.KeyDown(kListKeyHome));  // reported even when nothing moves
    EXPECT_TRUE(p.KeyDown(kListKeyEnter));
    EXPECT_FALSE(p.KeyDown(37));  // left arrow: the view's
    EXPECT_EQ(list.listener.keys, (std::vector<int>{kListKeyHome, kListKeyEnter}));

    p.Wheel(-120 * 100);
    EXPECT_FALSE(p.MousePress(30));  // the half row below the page
    EXPECT_FALSE(p.MousePress(-1));
    EXPECT_TRUE(p.MousePress(7));
    p.Click(7);
    p.DoubleClick(7);
    p.Reset();
    p.Click(3);  // blank rows hold nothing
    p.DoubleClick(3);
    EXPECT_EQ(list.listener.clicks, (std::vector<std::int32_t>{107}));
    EXPECT_EQ(list.listener.doubleClicks, (std::vector<std::int32_t>{107}));

    p.Resize(40);
    p.Resize(40);
    p.ColumnWidthChanged(41);
    EXPECT_EQ(list.listener.pageRows, (std::vector<int>{30, 40, 41}));
}

TEST(ListPaging, DateTimeHeaderCyclesTheSortStateAndTheOwnerMayRefuse) {
    List list(1000, 30);
    CListPaging& p = list.paging;
    p.HeaderClick(2);
    EXPECT_TRUE(list.listener.requests.empty());
    std::vector<LoadOrder> states;
    for (int i = 0; i < 3; ++i) {
        p.HeaderClick(1);
        states.push_back(p.SortState());
        EXPECT_EQ(list.listener.stateSeenDuringRequest, p.SortState());  // a reload from there reads it
    }
    EXPECT_EQ(states, (std::vector<LoadOrder>{LoadOrder::Ascending, LoadOrder::Descending, LoadOrder::Stored}));
    EXPECT_EQ(list.listener.requests[1].oldState, LoadOrder::Ascending);
    EXPECT_EQ(list.listener.requests[1].newState, LoadOrder::Descending);

    list.listener.refuse = true;
    p.HeaderClick(1);
    EXPECT_EQ(p.SortState(), LoadOrder::Stored);
    EXPECT_EQ(list.listener.stateSeenDuringRequest, LoadOrder::Ascending);
}

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
    p.SetTotal(10);
    EXPECT_TRUE(p.HasData());
    EXPECT_EQ(p.SelectedSerial(), 0);
    EXPECT_EQ(p.PageRecordCount(), 10);
    p.SetTotal(1000);
    EXPECT_EQ(p.PageRecordCount(), 31);
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
