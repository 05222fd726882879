// Detail rows of a decoded block transfer: walking order, the six column texts and valve positions.

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "DecodeTestRecords.h"
#include "decode/ParameterBlockXferFormatObjIterator.h"
#include "decode/RecordToParameterXferConverter.h"

namespace vyx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Row = std::array<std::string, 6>;

std::vector<Row> Rows(const IParameterBlockXferMessage& message) {
    std::vector<Row> rows;
    const auto iterator = message.CreateIterator();
    while (iterator->Next()) {
        const IParameterBlockXferFormatObj* texts = iterator->Current();
        EXPECT_NE(texts, nullptr);
        if (!texts) break;
        Row row;
        for (int c = 0; c < 6; ++c) row[static_cast<std::size_t>(c)] = texts->GetText(c);
        rows.push_back(row);
    }
    EXPECT_EQ(static_cast<int>(rows.size()), iterator->GetRowCount());
    return rows;
}

std::vector<Row> RowsOf(const Bytes& packets, FCUConfigurationList configuration = {CFCUExtended(0, 0, 7, 1)}) {
    const CRecordToParameterXferConverter converter(std::move(configuration));
    return Rows(*converter.Convert(test::BlockTransferPackets(packets)));
}

TEST(ParameterXferRows, StatusAndAlarmBlocksOfOnePacket) {
    // FCU 7 (Tarn type): status 0x0034 gives codes 5, 7 and 9; alarm 0x0001 gives code 1.
    const std::vector<Row> rows = RowsOf({0x09, 0x01, 0x07, 0x10, 0x00, 0x34, 0x18, 0x00, 0x01});
    const std::vector<Row> expected = {
        {"1", "09 01 07 10 00 34 18 00 01 ", "Block 2 Parameter 0", "Status Data", "Open limit switch", "7"},
        {"", "", "", "", "Actuator stopped in mid travel", "7"},
        {"", "", "", "", "Motor running", "7"},
        {"", "", "Block 3 Parameter 0", "Alarm Data", "RAM/ROM failure", "7"},
    };
    EXPECT_EQ(rows, expected);
}

TEST(ParameterXferRows, PacketsAreNumberedAndMasterStationRowsHaveNoFCU) {
    const std::vector<Row> rows =
        RowsOf({0x06, 0x01, 0x07, 0x10, 0x00, 0x34,                                            // three status rows
                0x0D, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00,  // indices 0..4
                0x07, 0x03, 0xFB, 0x00, 0x00, 0x0A, 0x05,                                      // loop-back 0x0A05
                0x0C, 0x01, 0x09, 0x00, 0x00, 0x7F, 0x00, 0x00, 0x01, 0x20, 0x00, 0xFF});
    const std::vector<Row> expected = {
        {"1", "06 01 07 10 00 34 ", "Block 2 Parameter 0", "Status Data", "Open limit switch", "7"},
        {"", "", "", "", "Actuator stopped in mid travel", "7"},
        {"", "", "", "", "Motor running", "7"},
        {"2", "0D 03 00 00 00 00 00 00 00 00 00 05 00 ", "Block 0 Parameter 0", "System Status and Alarm",
         "Master Station 'A' (Left) Unhealthy", "-NA-"},
        {"", "", "", "", "Master Station 'B' (Right) Unhealthy", "-NA-"},
        {"", "", "Block 0 Parameter 4", "Loop Fault Information", "Loop open circuit", "-NA-"},
        {"3", "07 03 FB 00 00 0A 05 ", "Block 31 Parameter 4", "FCU Loop Back Data", "FCU Addr:- 10,5", "-NA-"},
        // FCU 9 is not configured: its type block and position stay, an index-0 entry of type code 1 does too.
        {"4", "0C 01 09 00 00 7F 00 00 01 20 00 FF ", "Block 0 Parameter 0", "FCU Type Data", "ThirdPartyModbus", "9"},
        {"", "", "Block 0 Parameter 0", "FCU Type Data", "UNIDENTIFIED FCU", "9"},
        {"", "", "Block 4 Parameter 0", "Valve Position", "100.00", "9"},
    };
    EXPECT_EQ(rows, expected);
}

TEST(ParameterXferRows, MasterStationTexts) {
    const std::pair<std::uint8_t, const char*> status[] = {
        {0xC4, "Power On Reset"}, {0xC8, "Watchdog Fail"}, {0xD0, "Auto-Loopback Occured"}};
    for (const auto& [first, text] : status) {
        const auto rows = RowsOf({0x05, 0x03, 0x00, first, 0x00});
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][4], text);
    }
    const auto loopBack = RowsOf({0x05, 0x03, 0x00, 0xC0, 0x02});
    ASSERT_EQ(loopBack.size(), 1u);
    EXPECT_EQ(loopBack[0][4], "LoopBack in Use");
    const auto shortCircuit = RowsOf({0x05, 0x03, 0x04, 0x06, 0x00});
    ASSERT_EQ(shortCircuit.size(), 1u);
    EXPECT_EQ(shortCircuit[0][4], "Loop short circuit");
}

TEST(ParameterXferRows, AlarmCodesFromTheStringTable) {
    // A Vx FCU: alarm bits 11 and 12 are AUXOR (22) and VTT (23); bit 2 clear adds REMOTE.
    const auto rows = RowsOf({0x06, 0x01, 0x07, 0x18, 0x18, 0x00}, {CFCUExtended(0, 4, 7, 1)});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][4], "REMOTE");
    EXPECT_EQ(rows[1][4], "AUXOR");
    EXPECT_EQ(rows[2][4], "VTT");
}

TEST(ParameterXferRows, ValvePositions) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {255, "100.00"}, {128, "50.20"},  {0, "0.00"},         {0xFFFF, "25700.00"}, {1, "0.39"},
        {254, "99.61"},  {256, "100.39"}, {-1, "16843008.00"},  // the product wraps as an unsigned 32-bit number
    };
    for (const auto& [raw, text] : cases) EXPECT_EQ(FormatValvePosition(raw), text) << raw;

    // Every position a packet can carry, against the C library's "%.2f" of the same float.
    for (std::int32_t raw = 0; raw <= 0xFFFF; ++raw) {
        const auto percent =
            static_cast<float>(static_cast<long double>(static_cast<std::uint32_t>(raw) * 100u) / 255.0L);
        char expected[48];
        std::snprintf(expected, sizeof expected, "%.2f", static_cast<double>(percent));
        ASSERT_EQ(FormatValvePosition(raw), expected) << raw;
    }
}

TEST(ParameterXferRows, ValvePositionIgnoresTheLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no German locale here";
    const std::string text = FormatValvePosition(128);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(text, "50.20");
}

TEST(ParameterXferRows, ValvePositionRowsThroughTheConverter) {
    const std::pair<Bytes, const char*> cases[] = {
        {{0x00, 0xFF}, "100.00"}, {{0x00, 0x80}, "50.20"}, {{0x00, 0x00}, "0.00"}, {{0xFF, 0xFF}, "25700.00"}};
    for (const auto& [word, text] : cases) {
        const auto rows = RowsOf({0x06, 0x01, 0x07, 0x20, word[0], word[1]});
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][3], "Valve Position");
        EXPECT_EQ(rows[0][4], text);
    }
}

TEST(ParameterXferRows, EmptyMessage) {
    const CParameterBlockXferMessage message;
    const auto iterator = message.CreateIterator();
    EXPECT_EQ(iterator->GetRowCount(), 0);
    EXPECT_EQ(iterator->Current(), nullptr);
    EXPECT_FALSE(iterator->Next());
    EXPECT_EQ(iterator->Current(), nullptr);
    EXPECT_FALSE(iterator->Next());
}

TEST(ParameterXferRows, CurrentOnlyOnValidPositions) {
    const CRecordToParameterXferConverter converter({CFCUExtended(0, 0, 7, 1)});
    const auto message = converter.Convert(test::BlockTransferPackets({0x06, 0x01, 0x07, 0x20, 0x00, 0x10}));
    const auto iterator = message->CreateIterator();
    EXPECT_EQ(iterator->Current(), nullptr);  // before the first Next
    ASSERT_TRUE(iterator->Next());
    EXPECT_NE(iterator->Current(), nullptr);
    EXPECT_FALSE(iterator->Next());
    EXPECT_EQ(iterator->Current(), nullptr);
    EXPECT_FALSE(iterator->Next());
}

TEST(ParameterXferRows, ItemsOutsideTheTableShowNA) {
    CParameterBlockXferMessage message;
    auto packet = std::make_unique<CParameterBlockXferPacketWithFCU>(1, Bytes{0x03, 0x01, 0x07}, 7);
    auto statusBlock = std::make_unique<CParameterBlockXferBlock>(2, 0);
    statusBlock->AddCustomData(std::make_unique<CParameterBlockXferPositionData>(255));  // wrong class
    statusBlock->AddCustomData(std::make_unique<CParameterBlockXferStatusData>(29));     // no such code
    packet->AddBlock(std::move(statusBlock));
    auto otherBlock = std::make_unique<CParameterBlockXferBlock>(5, 1);
    otherBlock->AddCustomData(std::make_unique<CParameterBlockXferStatusData>(5));
    packet->AddBlock(std::move(otherBlock));
    message.AddPacket(std::move(packet));
    // A packet without blocks is skipped by the walk.
    message.AddPacket(std::make_unique<CParameterBlockXferPacket>(2, Bytes{0x03, 0x03, 0x00}));

    const auto rows = Rows(message);
    const std::vector<Row> expected = {
        {"1", "03 01 07 ", "Block 2 Parameter 0", "Status Data", "NA", "7"},
        {"", "", "", "", "NA", "7"},
        {"", "", "Block 5 Parameter 1", "", "NA", "7"},
    };
    EXPECT_EQ(rows, expected);
}

TEST(ParameterXferFormatObj, Texts) {
    CParameterBlockXferFormatObj row;
    EXPECT_EQ(row.GetCount(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(row.GetText(i), "");
    row.SetText("abc", 2);
    row.GetTextRef(2) += "d";
    EXPECT_EQ(row.GetText(2), "abcd");
    row.SetText("x", 6);
    row.SetText("x", -1);
    EXPECT_EQ(row.GetText(6), "");
    EXPECT_THROW(row.GetTextRef(6), std::out_of_range);
}

}  // namespace
}  // namespace vyx
