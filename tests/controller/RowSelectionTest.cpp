// The selection of rows as ranges: every way of selecting, from a sequence of operations to the ranges and
// counts it leaves, including a selection of a hundred million rows that must stay one range.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controller/RowSelection.h"

namespace vyx {
namespace {

struct Step {
    char op;  // 'o' only, 't' toggle, 'e' extend, 'a' all, 'l' limit, 'c' clear
    SerialNumber value;
};

struct SelectionCase {
    std::string name;
    std::vector<Step> steps;
    std::vector<SelectedRange> ranges;
    SerialNumber anchor;  // -1: none
};

void Apply(CRowSelection& selection, const Step& step) {
    switch (step.op) {
        case 'o': selection.SelectOnly(step.value); break;
        case 't': selection.Toggle(step.value); break;
        case 'e': selection.ExtendTo(step.value); break;
        case 'a': selection.SelectAll(step.value); break;
        case 'l': selection.Limit(step.value); break;
        default: selection.Clear(); break;
    }
}

class RowSelectionTest : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(RowSelectionTest, LeavesTheRanges) {
    const SelectionCase& c = GetParam();
    CRowSelection selection;
    for (const Step& step : c.steps) Apply(selection, step);
    EXPECT_EQ(selection.Ranges(), c.ranges);
    EXPECT_EQ(selection.Anchor().value_or(-1), c.anchor);
    SerialNumber count = 0;
    for (const SelectedRange& r : c.ranges) count += r.last - r.first + 1;
    EXPECT_EQ(selection.Count(), count);
    EXPECT_EQ(selection.First(), c.ranges.empty() ? -1 : c.ranges.front().first);
    EXPECT_EQ(selection.Last(), c.ranges.empty() ? -1 : c.ranges.back().last);
    // Contains agrees with the ranges at and around every edge.
    for (const SelectedRange& r : c.ranges) {
        EXPECT_TRUE(selection.Contains(r.first));
        EXPECT_TRUE(selection.Contains(r.last));
        bool before = false, after = false;
        for (const SelectedRange& o : c.ranges) {
            before |= o.first <= r.first - 1 && r.first - 1 <= o.last;
            after |= o.first <= r.last + 1 && r.last + 1 <= o.last;
        }
        EXPECT_EQ(selection.Contains(r.first - 1), before);
        EXPECT_EQ(selection.Contains(r.last + 1), after);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Operations, RowSelectionTest,
    ::testing::Values(
        SelectionCase{"ClickSelectsOne", {{'o', 5}}, {{5, 5}}, 5},
        SelectionCase{"ClickReplaces", {{'o', 5}, {'o', 9}}, {{9, 9}}, 9},
        SelectionCase{"ShiftDown", {{'o', 5}, {'e', 9}}, {{5, 9}}, 5},
        SelectionCase{"ShiftUpPastAnchor", {{'o', 5}, {'e', 9}, {'e', 2}}, {{2, 5}}, 5},
        SelectionCase{"ShiftWithoutAnchor", {{'e', 7}}, {{7, 7}}, 7},
        SelectionCase{"CtrlAddsApart", {{'o', 5}, {'t', 9}}, {{5, 5}, {9, 9}}, 9},
        SelectionCase{"CtrlJoinsNeighbours", {{'o', 5}, {'t', 7}, {'t', 6}}, {{5, 7}}, 6},
        SelectionCase{"CtrlSplitsRange", {{'o', 1}, {'e', 9}, {'t', 5}}, {{1, 4}, {6, 9}}, 5},
        SelectionCase{"CtrlTrimsEnds", {{'o', 1}, {'e', 9}, {'t', 1}, {'t', 9}}, {{2, 8}}, 9},
        SelectionCase{"CtrlRemovesLast", {{'o', 3}, {'t', 3}}, {}, 3},
        SelectionCase{"ShiftAfterCtrlStartsAtNewAnchor", {{'o', 1}, {'t', 20}, {'e', 22}}, {{20, 22}}, 20},
        SelectionCase{"AllOfHundredMillion", {{'o', 42}, {'a', 100'000'000}}, {{0, 99'999'999}}, 42},
        SelectionCase{"AllOfNothing", {{'o', 4}, {'a', 0}}, {}, -1},
        SelectionCase{"LimitCutsAndDrops", {{'o', 8}, {'e', 12}, {'t', 50}, {'l', 10}}, {{8, 9}}, -1},
        SelectionCase{"LimitKeepsAnchorBelow", {{'o', 3}, {'e', 30}, {'l', 10}}, {{3, 9}}, 3},
        SelectionCase{"NegativeIgnored", {{'o', 4}, {'t', -1}, {'e', -3}}, {{4, 4}}, 4},
        SelectionCase{"ClearForgetsAnchor", {{'o', 4}, {'c', 0}, {'e', 6}}, {{6, 6}}, 6}),
    [](const ::testing::TestParamInfo<SelectionCase>& info) { return info.param.name; });

}  // namespace
}  // namespace vyx
