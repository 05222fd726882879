// Status and alarm words per FCU type group, and the two wordings of every code.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "decode/FCUStatusCatalogue.h"
#include "res/StringTable.h"

namespace vyx {
namespace {

std::vector<int> Codes(const CFCUCodeList& list) {
    return {list.begin(), list.end()};
}

// One representative type index per group, and every index of the group.
struct Group {
    const char* name;
    std::vector<int> types;
};
const Group kTarn{"T", {0, 1, 12}};
const Group kVx{"V", {4, 6, 7, 8}};
const Group kKolvane{"K", {3}};
const Group kMU{"G", {2}};
const Group kAnalogue{"A", {5}};

// Code of each single set bit, bit 0 first, as the catalogue lays them out (0 = ignored).
struct BitTable {
    const Group* group;
    int status[16];
    int alarm[16];
};
const BitTable kBitTables[] = {
    {&kTarn,
     {0, 0, 5, 6, 7, 9, 10, 11, 23, 0, 24, 25, 26, 0, 0, 0},
     {1, 2, 5, 6, 7, 8, 9, 11, 13, 14, 15, 17, 18, 19, 20, 21}},
    {&kVx,
     {1, 2, 5, 6, 7, 8, 10, 11, 3, 4, 24, 25, 26, 27, 0, 0},
     {1, 2, 3, 6, 7, 8, 9, 11, 13, 14, 15, 22, 23, 0, 16, 21}},
    {&kKolvane,
     {0, 0, 5, 6, 7, 12, 13, 14, 0, 0, 24, 25, 26, 0, 28, 0},
     {1, 2, 3, 6, 7, 8, 10, 12, 13, 14, 15, 17, 18, 0, 16, 0}},
    {&kMU,
     {15, 16, 17, 18, 19, 20, 21, 22, 0, 0, 24, 25, 26, 0, 0, 0},
     {1, 2, 0, 6, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {&kAnalogue, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 24, 25, 26, 0, 0, 0}, {1, 2, 3, 6, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
};

// Groups whose alarm bit 2 reports "REMOTE" (code 4) while it is clear.
bool RemoteWhenClear(const Group* group) {
    return group == &kVx || group == &kKolvane || group == &kAnalogue;
}

TEST(FCUStatusCatalogue, EverySingleBitOfEveryGroup) {
    for (const BitTable& table : kBitTables) {
        for (const int type : table.group->types) {
            for (int bit = 0; bit < 16; ++bit) {
                const auto word = static_cast<std::uint16_t>(1u << bit);
                std::vector<int> status, alarm;
                if (table.status[bit]) status.push_back(table.status[bit]);
                if (RemoteWhenClear(table.group) && bit != 2) alarm.push_back(4);
                if (table.alarm[bit]) {
                    // codes come in bit order: "REMOTE" from bit 2 precedes the codes of higher bits
                    if (bit < 2)
                        alarm.insert(alarm.begin(), table.alarm[bit]);
                    else
                        alarm.push_back(table.alarm[bit]);
                }
                EXPECT_EQ(Codes(DecodeStatusWord(word, type)), status) << table.group->name << type << " bit " << bit;
                EXPECT_EQ(Codes(DecodeAlarmWord(word, type)), alarm) << table.group->name << type << " bit " << bit;
            }
        }
    }
}

TEST(FCUStatusCatalogue, WholeWords) {
    struct Case {
        int type;
        std::uint16_t word;
        std::vector<int> status;
        std::vector<int> alarm;
    };
    const Case cases[] = {
        {0, 0x0000, {}, {}},
        {4, 0x0000, {}, {4}},  // a Vx FCU with no alarm bit set is in remote
        {3, 0x0000, {}, {4}},
        {5, 0x0000, {}, {4}},
        {2, 0x0000, {}, {}},
        {4, 0x0300, {3, 4}, {4, 13, 14}},
        {2, 0x00FF, {15, 16, 17, 18, 19, 20, 21, 22}, {1, 2, 6, 7}},
        {0, 0xFFFF, {5, 6, 7, 9, 10, 11, 23, 24, 25, 26}, {1, 2, 5, 6, 7, 8, 9, 11, 13, 14, 15, 17, 18, 19, 20, 21}},
        {6,
         0xFFFF,
         {1, 2, 5, 6, 7, 8, 10, 11, 3, 4, 24, 25, 26, 27},
         {1, 2, 3, 6, 7, 8, 9, 11, 13, 14, 15, 22, 23, 16, 21}},
        {3, 0xFFFF, {5, 6, 7, 12, 13, 14, 24, 25, 26, 28}, {1, 2, 3, 6, 7, 8, 10, 12, 13, 14, 15, 17, 18, 16}},
        {2, 0xFFFF, {15, 16, 17, 18, 19, 20, 21, 22, 24, 25, 26}, {1, 2, 6, 7}},
        {5, 0xFFFF, {24, 25, 26}, {1, 2, 3, 6, 7}},
        {12, 0x0024, {5, 9}, {5, 8}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Codes(DecodeStatusWord(c.word, c.type)), c.status) << c.type << " " << c.word;
        EXPECT_EQ(Codes(DecodeAlarmWord(c.word, c.type)), c.alarm) << c.type << " " << c.word;
    }
}

TEST(FCUStatusCatalogue, TypesWithoutALayoutGiveNoCodes) {
    for (const int type : {9, 10, 11, 13, 14, -1, 15, 1000}) {
        for (const std::uint16_t word : {0x0000, 0x0004, 0x00FF, 0xFFFF}) {
            EXPECT_TRUE(DecodeStatusWord(word, type).Empty()) << type;
            EXPECT_TRUE(DecodeAlarmWord(word, type).Empty()) << type;
        }
        EXPECT_EQ(GroupOfFCUType(type), FCUTypeGroup::None);
    }
}

// The masks are looked up from per-byte tables; they must give what decoding the word lists, for every word
// and every type index (including those without a layout).
TEST(FCUStatusCatalogue, CodeMasksMatchTheDecodedCodesOfEveryWord) {
    for (int type = -1; type <= 14; ++type) {
        for (unsigned word = 0; word <= 0xFFFF; ++word) {
            const auto w = static_cast<std::uint16_t>(word);
            ASSERT_EQ(StatusCodeMask(w, type), DecodeStatusWord(w, type).Mask()) << "status " << word << " type " << type;
            ASSERT_EQ(AlarmCodeMask(w, type), DecodeAlarmWord(w, type).Mask()) << "alarm " << word << " type " << type;
        }
    }
}

TEST(FCUStatusCatalogue, StatusTexts) {
    struct Case {
        int code;
        const char* detail;
        int filterId;
        const char* filter;
    };
    const Case cases[] = {
        {1, "Aux Input 1", 153, "Aux Input 1"},
        {2, "Aux Input 2", 154, "Aux Input 2"},
        {3, "Aux Input 3", 161, "Aux Input 3"},
        {4, "Aux Input 4", 162, "Aux Input 4"},
        {5, "Open limit switch", 163, "Open limit switch"},
        {8, "Vx valve moving", 166, "Vx Valve moving"},
        {13, "Travelling open direction", 171, "Traveling open direction"},
        {14, "Travelling close direction", 172, "Traveling close direction"},
        {15, "DIN 1", 173, "Digital Input 1"},
        {22, "DIN 8", 180, "Digital Input 8"},
        {23, "External contact input", 181, "External contact input"},
        {26, "Any alarm present on this FCU", 184, "Any alarm present on this FCU"},
        {28, "Kolvane control, remote selected", 186, "Kolvane control, remote selected"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StatusDetailText(c.code), c.detail) << c.code;
        EXPECT_EQ(StatusFilterStringId(c.code), c.filterId) << c.code;
        EXPECT_EQ(StatusFilterText(c.code), c.filter) << c.code;
    }
    std::set<int> ids;
    for (int code = kFirstStatusCode; code <= kLastStatusCode; ++code) {
        EXPECT_FALSE(StatusDetailText(code).empty()) << code;
        EXPECT_FALSE(StatusFilterText(code).empty()) << code;
        ids.insert(StatusFilterStringId(code));
    }
    EXPECT_EQ(ids.size(), 28u);
    for (const int outside : {0, 29, -1}) {
        EXPECT_EQ(StatusDetailText(outside), "");
        EXPECT_EQ(StatusFilterStringId(outside), 0);
    }
}

TEST(FCUStatusCatalogue, AlarmTexts) {
    struct Case {
        int code;
        const char* detail;
        int filterId;
        const char* filter;
    };
    const Case cases[] = {
        {1, "RAM/ROM failure", 189, "RAM/ROM Failure"},
        {2, "Comms fail", 190, "Comms Fail"},
        {3, "Actuator not in remote control", 191, "Actuator not in remote control"},
        {4, "REMOTE", 217, "Actuator in remote control"},
        {5, "Control not available", 192, "Control not available"},
        {12, "Kolvane selected to Off", 199, "Kolvane selected to Off"},
        {21, "Motor running end of travel", 208, "Motor running end of travel"},
        {22, "AUXOR", 188, "AUXOR"},
        {23, "VTT", 187, "VTT"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AlarmDetailText(c.code), c.detail) << c.code;
        EXPECT_EQ(AlarmFilterStringId(c.code), c.filterId) << c.code;
        EXPECT_EQ(AlarmFilterText(c.code), c.filter) << c.code;
    }
    // 22 and 23 take their detail text from the string table.
    EXPECT_EQ(AlarmDetailText(22), res::LoadString(188));
    EXPECT_EQ(AlarmDetailText(23), res::LoadString(187));
    std::set<int> ids;
    for (int code = kFirstAlarmCode; code <= kLastAlarmCode; ++code) {
        EXPECT_FALSE(AlarmDetailText(code).empty()) << code;
        EXPECT_FALSE(AlarmFilterText(code).empty()) << code;
        ids.insert(AlarmFilterStringId(code));
    }
    EXPECT_EQ(ids.size(), 23u);
    EXPECT_EQ(*ids.begin(), 187);
    for (const int outside : {0, 24}) {
        EXPECT_EQ(AlarmDetailText(outside), "");
        EXPECT_EQ(AlarmFilterStringId(outside), 0);
    }
}

}  // namespace
}  // namespace vyx
