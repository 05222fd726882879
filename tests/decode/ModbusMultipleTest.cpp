// Modbus write-multiple requests expanded through the register maps, and the item texts.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "DecodeTestRecords.h"
#include "decode/FormatModbusMultipleData.h"
#include "decode/RecordToModbusMultipleConverter.h"

namespace vyx {
namespace {

using Bytes = std::vector<std::uint8_t>;
// (sequence, FCU, command)
using Item = std::tuple<int, int, int>;

// Database codes as stored in byte 5 of the record.
constexpr int kGeneric = 1, kKedra = 2, kYokogawa = 3, kOxa = 4;

Bytes Request(int slave, int function, int start, int quantity) {
    return {static_cast<std::uint8_t>(slave),         static_cast<std::uint8_t>(function),
            static_cast<std::uint8_t>(start >> 8),    static_cast<std::uint8_t>(start & 0xFF),
            static_cast<std::uint8_t>(quantity >> 8), static_cast<std::uint8_t>(quantity & 0xFF)};
}

std::vector<Item> Items(int databaseCode, const Bytes& request, std::uint8_t base = 240) {
    const CRecord record = test::ModbusRequest(databaseCode, request, base);
    const auto message = CRecordToModbusMultipleConverter(base).Convert(record);
    EXPECT_NE(message, nullptr);
    std::vector<Item> items;
    if (!message) return items;
    for (int i = 0; i < message->GetItemCount(); ++i) {
        const CModbusMultipleItem* item = message->GetItem(i);
        items.emplace_back(item->m_nSequence, item->m_nFCU, item->m_nCommand);
    }
    EXPECT_EQ(message->GetItem(message->GetItemCount()), nullptr);
    return items;
}

std::string FCUText(const Item& item) {
    CFormatModbusMultipleData format;
    format.Init(std::get<0>(item), static_cast<std::int16_t>(std::get<1>(item)), std::get<2>(item));
    return format.GetFCUText();
}

TEST(ModbusMultiple, RequestExamples) {
    struct Case {
        const char* what;
        int database;
        Bytes request;
        std::vector<Item> items;
    };
    const Case cases[] = {
        {"slave 241 serves FCUs 61..120",
         kGeneric,
         {0xF1, 0x10, 0x0C, 0x7C, 0x00, 0x03},
         {{1, 61, kCmdOpen}, {2, 62, kCmdOpen}, {3, 63, kCmdOpen}}},
        {"slave 239 serves no FCU",
         kGeneric,
         {0xEF, 0x10, 0x0C, 0x7C, 0x00, 0x03},
         {{1, 0, kCmdOpen}, {2, 0, kCmdOpen}, {3, 0, kCmdOpen}}},
        {"Yokogawa coils 32..35",
         kYokogawa,
         Request(240, 15, 32, 4),
         {{1, 1, kCmdClose}, {2, 1, kCmdOpen}, {3, 2, kCmdClose}, {4, 2, kCmdOpen}}},
        {"address 13 is skipped",
         kYokogawa,
         Request(240, 15, 13, 3),
         {{2, 240, kCmdChangeMaster}, {3, 240, kCmdSystemReconfiguration}}},
        {"function 16 with quantity 1", kGeneric, Request(240, 16, 3196, 1), {}},
        {"function 15 with quantity 1", kGeneric, Request(240, 15, 3196, 1), {{1, 1, kCmdOpen}}},
        {"registers across the position range",
         kOxa,
         Request(240, 16, 239, 2),
         {{1, 240, kCmdPosition}, {2, 1, kCmdAnalogueOutput}}},
        {"quantity 0", kGeneric, Request(240, 15, 3196, 0), {}},
        {"single-write functions are not expanded", kGeneric, Request(240, 5, 3196, 3), {}},
        {"Kedra uses the Generic map", kKedra, Request(243, 15, 3255, 2), {{1, 240, kCmdOpen}, {2, 181, kCmdStop}}},
    };
    for (const Case& c : cases) EXPECT_EQ(Items(c.database, c.request), c.items) << c.what;

    EXPECT_EQ(FCUText({1, 0, kCmdOpen}), "Invalid");
    EXPECT_EQ(FCUText({2, 240, kCmdChangeMaster}), "NA");
    EXPECT_EQ(FCUText({1, 61, kCmdOpen}), "61");
}

TEST(ModbusMultiple, GenericRangesAndSlaveShift) {
    struct Range {
        int first;
        int command;
    };
    const Range ranges[] = {{2716, kCmdPosition},   {2776, kCmdMIT},   {2836, kCmdDeadband},
                            {2896, kCmdHysteresis}, {3196, kCmdOpen},  {3256, kCmdStop},
                            {3316, kCmdClose},      {3376, kCmdESD},   {5536, kCmdAnalogueOutput1},
                            {5596, kCmdCal0},       {5656, kCmdCal100}};
    for (const Range& r : ranges) {
        // One address before the range (the last of the previous range or nothing) through one past it.
        const auto items = Items(kGeneric, Request(241, 15, r.first, 60));
        ASSERT_EQ(items.size(), 60u) << r.first;
        EXPECT_EQ(items.front(), Item(1, 61, r.command)) << r.first;
        EXPECT_EQ(items.back(), Item(60, 120, r.command)) << r.first;
    }
    const std::pair<int, int> shifts[] = {{240, 1}, {241, 61}, {242, 121}, {243, 181}, {244, 0}, {239, 0}, {0, 0}};
    for (const auto& [slave, fcu] : shifts) {
        EXPECT_EQ(Items(kGeneric, Request(slave, 15, 3196, 2)).front(), Item(1, fcu, kCmdOpen)) << slave;
    }
    // Sums are plain integers: base 252 and slave 255 is base + 3.
    EXPECT_EQ(Items(kGeneric, Request(255, 15, 3196, 2), 252).front(), Item(1, 181, kCmdOpen));
    EXPECT_EQ(Items(kGeneric, Request(0, 15, 3196, 2), 252).front(), Item(1, 0, kCmdOpen));
}

TEST(ModbusMultiple, GenericSystemWideCommandsCarryTheSlaveAddress) {
    EXPECT_EQ(Items(kGeneric, Request(240, 15, 2, 6)), (std::vector<Item>{{2, 240, kCmdSystemReconfiguration},
                                                                          {3, 240, kCmdChangeMaster},
                                                                          {4, 240, kCmdAlarmAccept},
                                                                          {5, 240, kCmdGlobalESDTrigger}}));
    EXPECT_EQ(Items(kGeneric, Request(241, 15, 254, 3)), (std::vector<Item>{{2, 301, kCmdStartFCUDataUpload}}));
    EXPECT_EQ(Items(kGeneric, Request(250, 15, 255, 2)), (std::vector<Item>{{1, 0, kCmdStartFCUDataUpload}}));
    for (const Item& item : Items(kGeneric, Request(241, 15, 2, 6))) EXPECT_EQ(FCUText(item), "NA");
}

TEST(ModbusMultiple, YokogawaMaps) {
    struct Case {
        int function;
        int address;
        int fcu;
        int command;  // kCmdNone: no item
    };
    const Case cases[] = {
        {15, 0, 7, kCmdGlobalESDTrigger},
        {15, 1, 0, kCmdNone},
        {15, 14, 7, kCmdChangeMaster},
        {15, 15, 7, kCmdSystemReconfiguration},
        {15, 31, 7, kCmdAlarmAccept},
        {15, 30, 0, kCmdNone},
        {15, 32, 1, kCmdClose},
        {15, 33, 1, kCmdOpen},
        {15, 510, 240, kCmdClose},
        {15, 511, 240, kCmdOpen},
        {15, 512, 1, kCmdOpen},
        {15, 751, 240, kCmdOpen},
        {15, 752, 1, kCmdStop},
        {15, 991, 240, kCmdStop},
        {15, 992, 1, kCmdClose},
        {15, 1231, 240, kCmdClose},
        {15, 1232, 1, kCmdESD},
        {15, 1471, 240, kCmdESD},
        {15, 1472, 0, kCmdNone},
        {16, 0, 1, kCmdPosition},
        {16, 239, 240, kCmdPosition},
        {16, 240, 1, kCmdAnalogueOutput},
        {16, 479, 240, kCmdAnalogueOutput},
        {16, 480, 0, kCmdNone},
    };
    for (const int database : {kYokogawa, kOxa}) {
        for (const Case& c : cases) {
            // The address under test is the second of a two-address request; the slave address is 7.
            const auto items = Items(database, Request(7, c.function, c.address - 1 < 0 ? 0 : c.address - 1, 2));
            const int sequence = c.address == 0 ? 1 : 2;
            std::vector<Item> found;
            for (const Item& item : items) {
                if (std::get<0>(item) == sequence) found.push_back(item);
            }
            if (c.command == kCmdNone) {
                EXPECT_TRUE(found.empty()) << c.function << "/" << c.address;
            } else {
                EXPECT_EQ(found, (std::vector<Item>{{sequence, c.fcu, c.command}})) << c.function << "/" << c.address;
            }
        }
    }
    // The slave address plays no part for ranges.
    EXPECT_EQ(Items(kYokogawa, Request(1, 15, 512, 2)), (std::vector<Item>{{1, 1, kCmdOpen}, {2, 2, kCmdOpen}}));
}

TEST(ModbusMultiple, ConvertibleRecords) {
    const CRecordToModbusMultipleConverter converter(240);
    // Another message mode converts to nothing.
    EXPECT_EQ(converter.Convert(test::BlockTransferPackets({})), nullptr);
    // No register map for database type 4 (and unidentified ones): an empty message.
    for (const int databaseCode : {0, 5, 200}) {
        const auto message = converter.Convert(test::ModbusRequest(databaseCode, Request(240, 15, 3196, 3)));
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->GetItemCount(), 0) << databaseCode;
    }
    // Fewer than six message bytes: an empty message, whatever the bytes say.
    for (std::size_t n = 0; n < 6; ++n) {
        Bytes request = Request(240, 15, 3196, 3);
        request.resize(n);
        const auto message = converter.Convert(test::ModbusRequest(kGeneric, request));
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->GetItemCount(), 0) << n;
    }
    // A record whose length field claims more than its bytes is read only as far as its bytes go.
    CRecord lying = test::ModbusRequest(kGeneric, Request(240, 15, 3196, 3));
    lying.m_nDataLength = 1000;
    lying.m_pData.resize(5);
    EXPECT_EQ(converter.Convert(lying)->GetItemCount(), 0);
}

TEST(ModbusMultiple, TheLargestRequests) {
    // Every coil address: each mapped address gives one item, the rest are skipped.
    const auto generic = Items(kGeneric, Request(240, 15, 0, 0xFFFF));
    EXPECT_EQ(generic.size(), 5u + 11u * 60u);
    const auto yokogawa = Items(kYokogawa, Request(240, 15, 0, 0xFFFF));
    EXPECT_EQ(yokogawa.size(), 4u + 480u + 4u * 240u);
    // Addresses past 65535 map nothing.
    EXPECT_TRUE(Items(kYokogawa, Request(240, 15, 0xFFFF, 0xFFFF)).empty());
}

TEST(ModbusMultiple, ParsedRecordsAreMultiple) {
    const CRecord record = test::ModbusRequest(kGeneric, {0xF1, 0x10, 0x0C, 0x7C, 0x00, 0x03});
    EXPECT_EQ(record.m_nMessageMode, kModeModbus);
    EXPECT_EQ(record.m_bMultipleFCU, 1);
}

TEST(FormatModbusMultipleData, Texts) {
    CFormatModbusMultipleData format;
    EXPECT_EQ(format.GetCommandText(), "Unidentified Command");  // command 19 at construction
    const std::pair<int, const char*> commands[] = {
        {0, "Open"},
        {1, "Close"},
        {6, "Position"},
        {11, "Analogue Output"},
        {13, "Cal 0%"},
        {18, "Analogue Output 1"},
        {19, "Unidentified Command"},
        {20, ""},
        {-1, ""},
    };
    for (const auto& [command, text] : commands) {
        format.Init(4, 10, command);
        EXPECT_EQ(format.GetCommandText(), text) << command;
        EXPECT_EQ(format.GetSequence(), 4);
    }
    for (const int systemWide : {7, 8, 9, 10, 12}) {
        for (const std::int16_t fcu : {0, 5, 241, -1}) {
            format.Init(1, fcu, systemWide);
            EXPECT_EQ(format.GetFCUText(), "NA") << systemWide;
        }
    }
    const std::pair<std::int16_t, const char*> fcus[] = {
        {1, "1"}, {240, "240"}, {0, "Invalid"}, {241, "Invalid"}, {-5, "Invalid"}};
    for (const int command : {0, 6, 11, 19, 25}) {
        for (const auto& [fcu, text] : fcus) {
            format.Init(1, fcu, command);
            EXPECT_EQ(format.GetFCUText(), text) << command << "/" << fcu;
        }
    }
}

}  // namespace
}  // namespace vyx
