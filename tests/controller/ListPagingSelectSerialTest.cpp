// Selecting a record by its serial number (go to, find): where the page goes, what the view shows, and that
// the keys carry on from the selected record.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "controller/ListPaging.h"

namespace vyx {
namespace {

constexpr std::int64_t kCap = CListPaging::kMaxViewItems;

CListPaging List(std::int64_t total, int rows) {
    CListPaging paging;
    paging.Resize(rows);
    paging.Reset();
    paging.SetTotal(total);
    return paging;
}

struct SelectCase {
    const char* name;
    std::int64_t total;
    std::int32_t firstBefore;  // where the page stands before (reached by dragging the thumb)
    std::int64_t serial;
    std::int32_t first;  // expected page position afterwards
};

class ListSelectSerial : public ::testing::TestWithParam<SelectCase> {};

TEST_P(ListSelectSerial, BringsTheRecordOntoThePageAndSelectsIt) {
    const SelectCase c = GetParam();
    CListPaging p = List(c.total, 30);
    p.ThumbTrack(c.firstBefore / p.Scale());
    while (p.First() < c.firstBefore) p.LineDown();
    ASSERT_EQ(p.First(), c.firstBefore);

    ASSERT_TRUE(p.SelectSerial(c.serial));
    EXPECT_EQ(p.First(), c.first);
    EXPECT_EQ(p.Current(), c.serial);
    EXPECT_EQ(p.SelectedSerial(), c.serial);
    EXPECT_EQ(p.SelectedPageRow(), c.serial - c.first);
    // The view stands where line scrolling would have put it, so the thumb matches the page.
    EXPECT_EQ(p.TopIndex(), p.First() / p.Scale());
    EXPECT_LE(p.TopIndex(), p.MaxTopIndex());

    // The keys go on from the selected record.
    p.KeyDown(kListKeyDown);
    if (c.serial + 1 < c.total) {
        EXPECT_EQ(p.SelectedSerial(), c.serial + 1);
    } else {
        EXPECT_EQ(p.SelectedSerial(), c.serial);
    }
}

constexpr std::int64_t kBig = kCap * 5 / 2;  // three records per view item

INSTANTIATE_TEST_SUITE_P(Cases, ListSelectSerial,
                         ::testing::Values(SelectCase{"on the page stays", 1000, 100, 120, 100},
                                           SelectCase{"last whole row stays", 1000, 100, 129, 100},
                                           SelectCase{"half row below the page moves", 1000, 100, 130, 115},
                                           SelectCase{"below goes to the middle", 1000, 0, 500, 485},
                                           SelectCase{"above goes to the middle", 1000, 600, 500, 485},
                                           SelectCase{"near the top clamps at 0", 1000, 500, 3, 0},
                                           SelectCase{"the last record", 1000, 0, 999, 970},
                                           SelectCase{"the first record", 1000, 970, 0, 0},
                                           SelectCase{"fewer records than rows", 20, 0, 19, 0},
                                           SelectCase{"scaled list, middle", kBig, 0, 125'000'001, 124'999'986},
                                           SelectCase{"scaled list, the last record", kBig, 0, kBig - 1, kBig - 30}),
                         [](const ::testing::TestParamInfo<SelectCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return name;
                         });

TEST(ListSelectSerialRefusals, NoSuchRecordChangesNothing) {
    CListPaging p = List(1000, 30);
    p.KeyDown(kListKeyDown);
    p.KeyDown(kListKeyDown);
    for (const std::int64_t serial : {std::int64_t{-1}, std::int64_t{1000}, std::int64_t{5'000'000'000}}) {
        EXPECT_FALSE(p.SelectSerial(serial)) << serial;
        EXPECT_EQ(p.Current(), 2);
        EXPECT_EQ(p.SelectedSerial(), 2);
        EXPECT_EQ(p.First(), 0);
    }
    // A list that has been reset for a new load holds no record yet.
    p.Reset();
    EXPECT_FALSE(p.SelectSerial(0));
    EXPECT_EQ(p.SelectedSerial(), -1);
}

TEST(ListSelectSerialWhileLoading, TheSelectionSurvivesTheCountGrowing) {
    CListPaging p = List(3000, 30);
    ASSERT_TRUE(p.SelectSerial(2990));
    const std::int32_t first = p.First();
    p.SetTotal(4000);
    EXPECT_EQ(p.First(), first);
    EXPECT_EQ(p.SelectedSerial(), 2990);
}

}  // namespace
}  // namespace vyx
