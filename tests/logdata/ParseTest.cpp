// Decoding of record bytes: classes, channels, sources, the Halvik, M7 Idle and Modbus sub-decodings, and
// records too short for the fields their mode reads.

#include <gtest/gtest.h>

#include "support/Records.h"

namespace vyx {
namespace {

using test::Decode;
using test::RecordBytes;

constexpr int kN = 30;  // long enough for every fixed offset a mode reads

TEST(Parse, TimeChannelClassDatabaseAndPayload) {
    auto bytes = RecordBytes(kN, {{0, 0x49}, {1, 0x96}, {2, 0x02}, {3, 0xD2}, {4, 0x61}, {5, 3}, {6, 0xAB}});
    const CRecord r = Decode(bytes);
    EXPECT_EQ(r.m_nTime, 1234567890u);
    EXPECT_EQ(r.m_nChannel, 1);
    EXPECT_EQ(r.m_nMessageMode, kModeStartupSequence);
    EXPECT_EQ(r.m_nDatabaseType, 2);
    EXPECT_EQ(r.m_nDataLength, kN - 11);
    ASSERT_EQ(r.m_pData.size(), static_cast<std::size_t>(kN - 11));
    EXPECT_EQ(r.m_pData[0], 0xAB);
    EXPECT_EQ(r.m_bFCUValid, 0);
    EXPECT_EQ(r.m_nCommand, kCmdNone);
}

TEST(Parse, MessageClassTable) {
    const std::pair<int, int> cases[] = {
        {33, kModeStartupSequence}, {32, kModeSetTime}, {5, kModeM7Idle}, {4, kModeHalvikCommonProtocol},
        {1, kModeModbus},           {18, kModeParameterBlockTransfer},    {0, kModeUnidentified},
        {2, kModeUnidentified},     {3, kModeUnidentified},               {6, kModeUnidentified},
        {63, kModeUnidentified},
    };
    for (const auto& [cls, mode] : cases) {
        for (int high : {0x00, 0x40, 0x80, 0xC0}) {  // channel bit and the uninterpreted bit 7
            const CRecord r = Decode(RecordBytes(kN, {{4, cls | high}}));
            EXPECT_EQ(r.m_nMessageMode, mode) << "class " << cls << " high bits " << high;
            EXPECT_EQ(r.m_nChannel, (high & 0x40) ? 1 : 0);
        }
    }
}

TEST(Parse, DatabaseTypeAndSourceTables) {
    const std::pair<int, int> databases[] = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {0, 4}, {5, 4}, {255, 4}};
    for (const auto& [code, type] : databases) {
        EXPECT_EQ(Decode(RecordBytes(kN, {{4, 33}, {5, code}})).m_nDatabaseType, type) << code;
    }
    const std::pair<int, int> sources[] = {{0x00, 0}, {0x1F, 1}, {0x20, 2}, {0x30, 3}, {0x40, 4}, {0x50, 5},
                                           {0x60, 6}, {0x7F, 10}, {0x80, 10}, {0x90, 10}, {0xA0, 7},
                                           {0xB0, 8}, {0xC3, 9}, {0xD0, 10}, {0xE0, 10}, {0xF0, 10}};
    for (const auto& [byte, source] : sources) {
        const CRecord r = Decode(RecordBytes(kN, {{4, 33}, {kN - 5, byte}}));
        EXPECT_EQ(r.m_nSource, source) << std::hex << byte;
        EXPECT_EQ(r.m_bSourceValid, 1);
    }
}

// Halvik Common Protocol: FCU at b7..b8, command from b12, b13, b16..b19.
TEST(Parse, HalvikCommonProtocol) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> bytes;
        int fcu, fcuValid, command, multiple;
    };
    const Case cases[] = {
        {"ESD through a 16-bit value", {{8, 5}, {12, 6}, {13, 4}, {16, 2}, {17, 0}, {18, 0}, {19, 8}}, 5, 1, kCmdESD, 0},
        {"Open through the byte form", {{8, 7}, {12, 6}, {13, 4}, {16, 2}, {17, 0x11}, {18, 1}}, 7, 1, kCmdOpen, 0},
        {"Posena", {{8, 7}, {12, 9}, {13, 7}, {16, 2}, {17, 0x11}, {18, 32}}, 7, 1, kCmdPosena, 0},
        {"value outside the bit map", {{8, 7}, {12, 6}, {13, 4}, {16, 2}, {17, 0x11}, {18, 3}}, 7, 1, kCmdNone, 0},
        {"unknown sub type", {{8, 7}, {12, 6}, {13, 4}, {16, 2}, {17, 0x12}, {18, 1}}, 7, 1, kCmdNone, 0},
        {"data type not 2", {{8, 7}, {12, 6}, {13, 4}, {16, 3}, {17, 0x11}, {18, 1}}, 7, 1, kCmdNone, 0},
        {"multiple FCUs", {{8, 0}, {12, 8}, {13, 3}, {16, 2}, {17, 0x11}, {18, 1}}, 0, 1, kCmdNone, 1},
        {"short command length", {{8, 9}, {12, 3}, {13, 1}, {16, 2}, {17, 0x11}, {18, 1}}, 9, 1, kCmdNone, 0},
        {"FCU 0", {{8, 0}, {12, 6}, {13, 4}, {16, 2}, {17, 0x11}, {18, 2}}, 0, 0, kCmdClose, 0},
        {"FCU 300", {{7, 1}, {8, 44}, {12, 6}, {13, 4}, {16, 2}, {17, 0x11}, {18, 4}}, 300, 1, kCmdStop, 0},
        {"FCU 301", {{7, 1}, {8, 45}}, 301, 0, kCmdNone, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes(kN, 0);
        bytes[4] = 4;
        for (const auto& [i, v] : c.bytes) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
        const CRecord r = Decode(bytes);
        EXPECT_EQ(r.m_nFCU, c.fcu) << c.name;
        EXPECT_EQ(r.m_bFCUValid, c.fcuValid) << c.name;
        EXPECT_EQ(r.m_nCommand, c.command) << c.name;
        EXPECT_EQ(r.m_bMultipleFCU, c.multiple) << c.name;
        EXPECT_EQ(r.m_bCommandValid, 1) << c.name;
    }
}

TEST(Parse, M7IdleNeverHasAValidFcu) {
    const CRecord open = Decode(RecordBytes(kN, {{4, 5}, {8, 12}, {12, 6}, {16, 2}, {17, 0x11}, {18, 16}}));
    EXPECT_EQ(open.m_nFCU, 12);
    EXPECT_EQ(open.m_bFCUValid, 0);
    EXPECT_EQ(open.m_nCommand, kCmdPStroke);
    EXPECT_EQ(open.m_bCommandValid, 1);
    // The 16-bit form is not part of M7 Idle.
    EXPECT_EQ(Decode(RecordBytes(kN, {{4, 5}, {12, 6}, {16, 2}, {17, 0}, {19, 1}})).m_nCommand, kCmdNone);
    EXPECT_EQ(Decode(RecordBytes(kN, {{4, 5}, {12, 3}, {16, 2}, {17, 0x11}, {18, 1}})).m_nCommand, kCmdNone);
}

// Modbus request head at b6..b11: slave, function, register, quantity.
std::vector<std::uint8_t> Modbus(int db, int slave, int function, int reg, int quantity) {
    return RecordBytes(kN, {{4, 1},
                            {5, db + 1},
                            {6, slave},
                            {7, function},
                            {8, reg >> 8},
                            {9, reg & 0xFF},
                            {10, quantity >> 8},
                            {11, quantity & 0xFF}});
}

TEST(Parse, ModbusGenericMapAndSlaveShift) {
    struct Case {
        int db, slave, function, reg, quantity;
        int command, fcu, fcuValid, commandValid;
    };
    const Case cases[] = {
        {0, 240, 5, 3196, 0xFF00, kCmdOpen, 1, 1, 1},
        {0, 243, 5, 3196, 0xFF00, kCmdOpen, 181, 1, 1},
        {0, 244, 5, 3196, 0xFF00, kCmdOpen, 0, 0, 1},
        {0, 239, 5, 3196, 0xFF00, kCmdOpen, 0, 0, 1},
        {0, 241, 6, 4, 1, kCmdChangeMaster, 60, 1, 0},
        {1, 240, 6, 4, 1, kCmdChangeMaster, 0, 0, 0},
        {1, 240, 6, 3255, 1, kCmdOpen, 60, 1, 1},
        {1, 240, 6, 3256, 1, kCmdStop, 1, 1, 1},
        {0, 242, 6, 2716, 1, kCmdPosition, 121, 1, 1},
        {0, 240, 6, 2955, 1, kCmdHysteresis, 60, 1, 0},
        {0, 240, 6, 2956, 1, kCmdNone, 0, 0, 0},
        {0, 240, 6, 3435, 1, kCmdESD, 60, 1, 1},
        {0, 240, 6, 3436, 1, kCmdNone, 0, 0, 0},
        {0, 240, 16, 5536, 1, kCmdAnalogueOutput1, 1, 1, 0},
        {0, 240, 16, 5715, 1, kCmdCal100, 60, 1, 0},
        {0, 240, 6, 255, 1, kCmdStartFCUDataUpload, 0, 0, 0},
        {0, 240, 3, 3196, 1, kCmdNone, 0, 0, 0},  // a read is not decoded
    };
    for (const Case& c : cases) {
        const CRecord r = Decode(Modbus(c.db, c.slave, c.function, c.reg, c.quantity));
        EXPECT_EQ(r.m_nCommand, c.command) << c.reg << " slave " << c.slave;
        EXPECT_EQ(r.m_nFCU, c.fcu) << c.reg << " slave " << c.slave;
        EXPECT_EQ(r.m_bFCUValid, c.fcuValid) << c.reg << " slave " << c.slave;
        EXPECT_EQ(r.m_bCommandValid, c.commandValid) << c.reg << " slave " << c.slave;
        EXPECT_EQ(r.m_bMultipleFCU, 0);
    }
}

TEST(Parse, ModbusSlaveShiftUsesOrdinaryIntegers) {
    // base 252 with slave 255 is base + 3
    EXPECT_EQ(Decode(Modbus(0, 255, 5, 3196, 0xFF00), 252).m_nFCU, 181);
    // base 0: slaves 0..3
    EXPECT_EQ(Decode(Modbus(0, 2, 5, 3196, 0xFF00), 0).m_nFCU, 121);
}

TEST(Parse, ModbusYokogawaAndOxaMaps) {
    struct Case {
        int db, function, reg, command, fcu;
    };
    const Case cases[] = {
        {2, 5, 32, kCmdClose, 1},     {2, 5, 33, kCmdOpen, 1},     {2, 5, 34, kCmdClose, 2},
        {2, 5, 35, kCmdOpen, 2},      {2, 5, 511, kCmdOpen, 240},  {2, 5, 510, kCmdClose, 240},
        {3, 5, 512, kCmdOpen, 1},     {3, 5, 751, kCmdOpen, 240},  {3, 5, 752, kCmdStop, 1},
        {3, 15, 1231, kCmdClose, 240}, {3, 5, 1232, kCmdESD, 1},   {3, 5, 1471, kCmdESD, 240},
        {3, 5, 1472, kCmdNone, 0},    {2, 5, 0, kCmdGlobalESDTrigger, 0}, {2, 5, 14, kCmdChangeMaster, 0},
        {2, 5, 15, kCmdSystemReconfiguration, 0}, {2, 5, 31, kCmdAlarmAccept, 0}, {2, 5, 13, kCmdNone, 0},
        {2, 6, 0, kCmdPosition, 1},   {2, 6, 239, kCmdPosition, 240}, {3, 16, 240, kCmdAnalogueOutput, 1},
        {3, 6, 479, kCmdAnalogueOutput, 240}, {3, 6, 480, kCmdNone, 0}, {2, 3, 33, kCmdNone, 0},
    };
    for (const Case& c : cases) {
        // The slave address does not matter to these maps.
        const CRecord r = Decode(Modbus(c.db, 17, c.function, c.reg, 1));
        EXPECT_EQ(r.m_nCommand, c.command) << c.db << "/" << c.function << "/" << c.reg;
        EXPECT_EQ(r.m_nFCU, c.fcu) << c.db << "/" << c.function << "/" << c.reg;
        EXPECT_EQ(r.m_bFCUValid, c.fcu >= 1 ? 1 : 0);
    }
}

TEST(Parse, ModbusMultipleDetection) {
    for (int db = 0; db <= 3; ++db) {
        const CRecord multiple = Decode(Modbus(db, 240, 16, 3196, 2));
        EXPECT_EQ(multiple.m_bMultipleFCU, 1) << db;
        EXPECT_EQ(multiple.m_bFCUValid, 1) << db;
        EXPECT_EQ(multiple.m_nFCU, 0) << db;
        EXPECT_EQ(multiple.m_nCommand, kCmdNone) << db;
    }
    const CRecord single = Decode(Modbus(0, 240, 16, 3196, 1));
    EXPECT_EQ(single.m_bMultipleFCU, 0);
    EXPECT_EQ(single.m_nCommand, kCmdOpen);
    const CRecord noMap = Decode(Modbus(4, 240, 16, 3196, 2));
    EXPECT_EQ(noMap.m_bMultipleFCU, 0);
    EXPECT_EQ(noMap.m_bFCUValid, 0);
    EXPECT_EQ(noMap.m_nCommand, kCmdNone);
    EXPECT_EQ(Decode(Modbus(0, 240, 15, 3196, 3)).m_bMultipleFCU, 1);
    EXPECT_EQ(Decode(Modbus(0, 240, 6, 3196, 3)).m_bMultipleFCU, 0);  // quantity only counts for 15 and 16
}

// Records shorter than what their mode reads: nothing is read past the end and missing fields keep defaults.
TEST(Parse, ShortRecordsKeepDefaults) {
    for (int n = 0; n <= 20; ++n) {
        for (int cls : {1, 4, 5, 18, 33}) {
            // Exactly n bytes on the heap, so AddressSanitizer catches any read past them.
            auto heap = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(n) + 1);
            for (int i = 0; i < n; ++i) heap[static_cast<std::size_t>(i)] = 0xFF;
            if (n > 4) heap[4] = static_cast<std::uint8_t>(cls);
            if (n > 12) heap[12] = 9;
            CRecord r;
            r.m_nFCU = 1234;  // overwritten by the reset
            CParse().Parse(heap.get(), n, r);
            EXPECT_GE(r.m_nDataLength, 0);
            EXPECT_EQ(r.m_pData.size(), static_cast<std::size_t>(r.m_nDataLength));
            if (n < 11) {
                EXPECT_EQ(r.m_nDataLength, 0) << n;
            }
            if (n < 4) {
                EXPECT_EQ(r.m_nTime, 0u) << n;
            }
            if (n < 5) {
                EXPECT_EQ(r.m_nMessageMode, kModeUnidentified);
                EXPECT_EQ(r.m_nChannel, kChannelUnidentified);
                EXPECT_EQ(r.m_bSourceValid, 0);
            } else {
                EXPECT_EQ(r.m_bSourceValid, 1);
            }
            if (n < 9) {
                EXPECT_EQ(r.m_nFCU, 0) << n;
            }
            if (cls == 1 && n < 12) {
                EXPECT_EQ(r.m_nCommand, kCmdNone);
            }
        }
    }
    CRecord r;
    CParse().Parse(nullptr, -3, r);  // a negative count is an empty record
    EXPECT_EQ(r.m_nDataLength, 0);
    EXPECT_EQ(r.m_nMessageMode, kModeUnidentified);
}

TEST(Record, CopyIsDeepAndDefaultsAreRestored) {
    CRecord source = Decode(RecordBytes(kN, {{4, 4}, {6, 0x11}, {8, 5}}));
    {
        CRecord copy;
        copy = source;
        ASSERT_EQ(copy.m_pData, source.m_pData);
        EXPECT_NE(copy.m_pData.data(), source.m_pData.data());
        copy.m_pData[0] = 0x99;
        EXPECT_EQ(source.m_pData[0], 0x11);
    }
    EXPECT_EQ(source.m_pData[0], 0x11);  // destroying the copy left the source's payload alone

    source.Reset();
    const CRecord fresh;
    EXPECT_EQ(source.m_nChannel, fresh.m_nChannel);
    EXPECT_EQ(source.m_nMessageMode, 7);
    EXPECT_EQ(source.m_nDatabaseType, 4);
    EXPECT_EQ(source.m_nCommand, 19);
    EXPECT_EQ(source.m_nSource, 10);
    EXPECT_EQ(source.m_nChannel, 2);
    EXPECT_EQ(source.m_nDataLength, 0);
}

}  // namespace
}  // namespace vyx
