// Parameter Block Transfer decoding: packets, blocks and items from message bytes, and damaged messages.

#include <gtest/gtest.h>

#include <vector>

#include "DecodeTestRecords.h"
#include "decode/RecordToParameterXferConverter.h"

namespace vyx {
namespace {

using Bytes = std::vector<std::uint8_t>;

// FCU 5 and FCU 7 are Tarn-type FCUs (type index 0) on channel A.
FCUConfigurationList TarnFCUs() {
    return {CFCUExtended(0, 0, 5, 1), CFCUExtended(0, 0, 7, 1)};
}

std::unique_ptr<IParameterBlockXferMessage> Convert(const Bytes& packets,
                                                    const FCUConfigurationList& configuration = TarnFCUs()) {
    return CRecordToParameterXferConverter(configuration).Convert(test::BlockTransferPackets(packets));
}

std::unique_ptr<IParameterBlockXferMessage> ConvertMessage(const Bytes& message) {
    return CRecordToParameterXferConverter(TarnFCUs()).ConvertMessageBytes(message);
}

// The values of a block's items of class Item; fails the test on an item of another class.
template <typename Item>
std::vector<long> Values(const IParameterBlockXferBlock* block) {
    std::vector<long> values;
    for (int i = 0; i < block->GetCustomDataCount(); ++i) {
        const auto* item = dynamic_cast<const Item*>(block->GetCustomData(i));
        EXPECT_NE(item, nullptr) << "item " << i;
        if (item) values.push_back(static_cast<long>(item->GetValue()));
    }
    return values;
}

Bytes PacketBytes(const IParameterBlockXferPacket* packet) {
    return Bytes(packet->GetData(), packet->GetData() + packet->GetLength());
}

TEST(ParameterXferConverter, OnlyBlockTransferRecordsConvert) {
    const CRecordToParameterXferConverter converter(TarnFCUs());
    EXPECT_EQ(converter.Convert(test::ModbusRequest(1, {0xF0, 0x10, 0x0C, 0x7C, 0x00, 0x03})), nullptr);
    CRecord record;  // mode 7
    EXPECT_EQ(converter.Convert(record), nullptr);
}

TEST(ParameterXferConverter, EmptyMessages) {
    for (const Bytes& message : {Bytes{}, Bytes{0x00}, Bytes{0x00, 0x00}, Bytes{0x00, 0x00, 0x00}}) {
        const auto converted = CRecordToParameterXferConverter(TarnFCUs()).Convert(test::BlockTransferMessage(message));
        ASSERT_NE(converted, nullptr) << message.size();
        EXPECT_EQ(converted->GetPacketCount(), 0);
    }
    // L = 0 ends the walk before the first packet.
    EXPECT_EQ(ConvertMessage({0x00, 0x00, 0x00, 0x06, 0x01, 0x05, 0x10, 0x00, 0x24})->GetPacketCount(), 0);
}

TEST(ParameterXferConverter, StatusPacketOfKindOne) {
    const Bytes packet = {0x06, 0x01, 0x05, 0x10, 0x00, 0x24};
    const auto message = Convert(packet);
    ASSERT_EQ(message->GetPacketCount(), 1);
    const IParameterBlockXferPacket* p = message->GetPacket(0);
    EXPECT_EQ(p->GetType(), kPacketTypeFCUParameterList);
    EXPECT_EQ(PacketBytes(p), packet);
    const auto* withFCU = AsPacketWithFCU(p);
    ASSERT_NE(withFCU, nullptr);
    EXPECT_EQ(withFCU->m_nFCUAddress, 5);
    ASSERT_EQ(p->GetBlockCount(), 1);
    EXPECT_EQ(p->GetBlock(0)->GetBlockNumber(), 2);
    EXPECT_EQ(p->GetBlock(0)->GetParameterNumber(), 0);
    EXPECT_EQ(Values<CParameterBlockXferStatusData>(p->GetBlock(0)), (std::vector<long>{5, 9}));
}

TEST(ParameterXferConverter, BlockTableOfFCUPackets) {
    // FCU 7: type code 0x0006, status 0x0004, alarm 0x0001, position 0x0080, and an index without a block.
    const Bytes packet = {0x12, 0x01, 0x07, 0x00, 0x00, 0x06, 0x10, 0x00, 0x04,
                          0x18, 0x00, 0x01, 0x20, 0x00, 0x80, 0x08, 0x12, 0x34};
    const auto message = Convert(packet);
    ASSERT_EQ(message->GetPacketCount(), 1);
    const IParameterBlockXferPacket* p = message->GetPacket(0);
    ASSERT_EQ(p->GetBlockCount(), 4);
    const int expected[4][2] = {{0, 0}, {2, 0}, {3, 0}, {4, 0}};
    for (int b = 0; b < 4; ++b) {
        EXPECT_EQ(p->GetBlock(b)->GetBlockNumber(), expected[b][0]);
        EXPECT_EQ(p->GetBlock(b)->GetParameterNumber(), expected[b][1]);
    }
    EXPECT_EQ(Values<CParameterBlockXferFCUTypeData>(p->GetBlock(0)), (std::vector<long>{4}));
    EXPECT_EQ(Values<CParameterBlockXferStatusData>(p->GetBlock(1)), (std::vector<long>{5}));
    EXPECT_EQ(Values<CParameterBlockXferAlarmData>(p->GetBlock(2)), (std::vector<long>{1}));
    EXPECT_EQ(Values<CParameterBlockXferPositionData>(p->GetBlock(3)), (std::vector<long>{0x80}));
}

TEST(ParameterXferConverter, PacketsWithoutBlocksAreDropped) {
    EXPECT_EQ(Convert({0x03, 0x01, 0x05})->GetPacketCount(), 0);                    // no entries
    EXPECT_EQ(Convert({0x06, 0x01, 0x05, 0x08, 0x12, 0x34})->GetPacketCount(), 0);  // index 8 has no block
    EXPECT_EQ(Convert({0x06, 0x01, 0x05, 0x10, 0x00, 0x00})->GetPacketCount(), 0);  // status word without codes
    // An FCU that is not configured decodes with the unidentified type: its status block vanishes, its
    // position does not.
    const auto unknown = Convert({0x09, 0x01, 0x63, 0x10, 0xFF, 0xFF, 0x20, 0x00, 0xFF});
    ASSERT_EQ(unknown->GetPacketCount(), 1);
    ASSERT_EQ(unknown->GetPacket(0)->GetBlockCount(), 1);
    EXPECT_EQ(unknown->GetPacket(0)->GetBlock(0)->GetBlockNumber(), 4);
}

TEST(ParameterXferConverter, RegisterRunOfKindFour) {
    const Bytes packet = {0x08, 0x04, 0x07, 0x10, 0x00, 0x04, 0x12, 0x34};
    const auto message = Convert(packet);
    ASSERT_EQ(message->GetPacketCount(), 1);
    const IParameterBlockXferPacket* p = message->GetPacket(0);
    EXPECT_EQ(p->GetType(), kPacketTypeFCURegisterRun);
    ASSERT_NE(AsPacketWithFCU(p), nullptr);
    EXPECT_EQ(AsPacketWithFCU(p)->m_nFCUAddress, 7);
    ASSERT_EQ(p->GetBlockCount(), 1);  // index 17 carries nothing
    EXPECT_EQ(Values<CParameterBlockXferStatusData>(p->GetBlock(0)), (std::vector<long>{5}));
    // A run from index 254 reaches no block: indices 254, 255, 256 ...
    EXPECT_EQ(Convert({0x0A, 0x04, 0x07, 0xFE, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01})->GetPacketCount(), 0);
    // A run from 15 reaches index 16 with its second value.
    const auto second = Convert({0x08, 0x04, 0x05, 0x0F, 0xFF, 0xFF, 0x00, 0x20});
    ASSERT_EQ(second->GetPacketCount(), 1);
    EXPECT_EQ(Values<CParameterBlockXferStatusData>(second->GetPacket(0)->GetBlock(0)), (std::vector<long>{9}));
    EXPECT_EQ(Convert({0x04, 0x04, 0x05, 0x10})->GetPacketCount(), 0);  // no values
}

TEST(ParameterXferConverter, MasterStationSystemStatus) {
    EXPECT_EQ(Convert({0x05, 0x03, 0x00, 0xC0, 0x00})->GetPacketCount(), 0);
    struct Case {
        std::uint8_t first, second;
        std::vector<long> codes;
    };
    const Case cases[] = {
        {0x00, 0x00, {4, 5}}, {0x40, 0x00, {5}}, {0x80, 0x00, {4}},
        {0xC4, 0x00, {1}},    {0xC8, 0x00, {2}}, {0xD0, 0x00, {3}},
        {0xC0, 0x02, {0}},    {0xC0, 0xFD, {}},  {0x1C, 0x02, {0, 1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        const auto message = Convert({0x05, 0x03, 0x00, c.first, c.second});
        if (c.codes.empty()) {
            EXPECT_EQ(message->GetPacketCount(), 0);
            continue;
        }
        ASSERT_EQ(message->GetPacketCount(), 1);
        const IParameterBlockXferPacket* p = message->GetPacket(0);
        EXPECT_EQ(p->GetType(), kPacketTypeMasterStation);
        EXPECT_EQ(AsPacketWithFCU(p), nullptr);
        ASSERT_EQ(p->GetBlockCount(), 1);
        EXPECT_EQ(p->GetBlock(0)->GetBlockNumber(), 0);
        EXPECT_EQ(p->GetBlock(0)->GetParameterNumber(), 0);
        EXPECT_EQ(Values<CParameterBlockXferSysemStatusAlarmData>(p->GetBlock(0)), c.codes)
            << int(c.first) << " " << int(c.second);
    }
}

TEST(ParameterXferConverter, LoopFaults) {
    const std::pair<std::uint8_t, int> cases[] = {{0x05, 0}, {0x15, 0},  {0xF5, 0},  {0x06, 1},
                                                  {0x26, 1}, {0x07, -1}, {0x00, -1}, {0x50, -1}};
    for (const auto& [first, code] : cases) {
        const auto message = Convert({0x05, 0x03, 0x04, first, 0x00});
        if (code < 0) {
            EXPECT_EQ(message->GetPacketCount(), 0) << int(first);
            continue;
        }
        ASSERT_EQ(message->GetPacketCount(), 1) << int(first);
        const IParameterBlockXferBlock* block = message->GetPacket(0)->GetBlock(0);
        EXPECT_EQ(block->GetBlockNumber(), 0);
        EXPECT_EQ(block->GetParameterNumber(), 4);
        EXPECT_EQ(Values<CParameterBlockXferLoopFaultData>(block), (std::vector<long>{code}));
    }
}

TEST(ParameterXferConverter, LoopBackInTheSecondItem) {
    const auto message = Convert({0x07, 0x03, 0xFB, 0xAA, 0xBB, 0x0A, 0x05});
    ASSERT_EQ(message->GetPacketCount(), 1);
    const IParameterBlockXferBlock* block = message->GetPacket(0)->GetBlock(0);
    EXPECT_EQ(block->GetBlockNumber(), 31);
    EXPECT_EQ(block->GetParameterNumber(), 4);
    EXPECT_EQ(Values<CParameterBlockXferFCULoopBackData>(block), (std::vector<long>{0x0A05}));
}

TEST(ParameterXferConverter, StatusTakesTheLastEntryAlarmTheFirst) {
    // FCU 5 is a Tarn-type FCU on channel A and a Vx on channel B.
    const FCUConfigurationList configuration = {CFCUExtended(0, 0, 5, 1), CFCUExtended(1, 4, 5, 1)};
    // Status bit 0 means "Aux Input 1" for a Vx and nothing for a Tarn; alarm bit 2 is code 5 for a Tarn and
    // code 3 for a Vx.
    const auto message = Convert({0x09, 0x01, 0x05, 0x10, 0x00, 0x01, 0x18, 0x00, 0x04}, configuration);
    ASSERT_EQ(message->GetPacketCount(), 1);
    const IParameterBlockXferPacket* p = message->GetPacket(0);
    ASSERT_EQ(p->GetBlockCount(), 2);
    EXPECT_EQ(Values<CParameterBlockXferStatusData>(p->GetBlock(0)), (std::vector<long>{1}));
    EXPECT_EQ(Values<CParameterBlockXferAlarmData>(p->GetBlock(1)), (std::vector<long>{5}));

    const CRecordToParameterXferConverter converter(configuration);
    EXPECT_EQ(converter.StatusTypeOf(5), 4);
    EXPECT_EQ(converter.AlarmTypeOf(5), 0);
    EXPECT_EQ(converter.StatusTypeOf(6), 14);
    EXPECT_EQ(converter.AlarmTypeOf(-1), 14);
    EXPECT_EQ(converter.StatusTypeOf(256), 14);
}

TEST(ParameterXferConverter, OtherKindsAreSkipped) {
    const auto message =
        Convert({0x05, 0x02, 0x01, 0x02, 0x03, 0x05, 0x07, 0x01, 0x02, 0x03, 0x06, 0x01, 0x05, 0x10, 0x00, 0x24});
    ASSERT_EQ(message->GetPacketCount(), 1);
    EXPECT_EQ(AsPacketWithFCU(message->GetPacket(0))->m_nFCUAddress, 5);
}

TEST(ParameterXferConverter, SeveralPacketsInOrder) {
    const auto message =
        Convert({0x06, 0x01, 0x05, 0x10, 0x00, 0x24, 0x05, 0x03, 0x00, 0x00, 0x00, 0x06, 0x01, 0x07, 0x20, 0x00, 0xFF});
    ASSERT_EQ(message->GetPacketCount(), 3);
    EXPECT_EQ(message->GetPacket(0)->GetType(), 1);
    EXPECT_EQ(message->GetPacket(1)->GetType(), 2);
    EXPECT_EQ(message->GetPacket(2)->GetType(), 1);
    EXPECT_EQ(message->GetPacket(3), nullptr);
    EXPECT_EQ(message->GetPacket(-1), nullptr);
}

// Damaged messages: decoding stops without reading outside the bytes, keeping what it decoded before.
TEST(ParameterXferConverter, DamagedMessages) {
    const Bytes good = {0x06, 0x01, 0x05, 0x10, 0x00, 0x24};
    auto message = [&](int announced, const Bytes& packets) {
        Bytes m = {0x00, static_cast<std::uint8_t>(announced >> 8), static_cast<std::uint8_t>(announced)};
        m.insert(m.end(), packets.begin(), packets.end());
        return ConvertMessage(m);
    };
    Bytes twoGood = good;
    twoGood.insert(twoGood.end(), good.begin(), good.end());

    EXPECT_EQ(message(0xFFFF, good)->GetPacketCount(), 1);  // L larger than the bytes that follow
    EXPECT_EQ(message(6, twoGood)->GetPacketCount(), 1);    // L ends the walk after the first packet
    EXPECT_EQ(message(7, twoGood)->GetPacketCount(), 2);    // the second packet starts below L
    EXPECT_EQ(message(1, good)->GetPacketCount(), 1);       // a packet longer than L is still whole
    Bytes zero = good;
    zero.insert(zero.end(), {0x00, 0x06, 0x01, 0x05, 0x10, 0x00, 0x24});
    EXPECT_EQ(message(static_cast<int>(zero.size()), zero)->GetPacketCount(), 1);  // length 0 stops
    Bytes past = good;
    past.insert(past.end(), {0x09, 0x01, 0x05, 0x10, 0x00, 0x24});
    EXPECT_EQ(message(static_cast<int>(past.size()), past)->GetPacketCount(), 1);  // runs past the end
    EXPECT_EQ(message(3, {0x01})->GetPacketCount(), 0);
    EXPECT_EQ(message(3, {0x02, 0x01})->GetPacketCount(), 0);
}

TEST(ParameterXferConverter, EntriesAreCountedFromThePacketLength) {
    // Length 7 counts two entries; the second takes its last bytes from what follows the packet...
    const auto inside = Convert({0x07, 0x01, 0x05, 0x20, 0x00, 0x10, 0x10, 0x00, 0x24});
    ASSERT_GE(inside->GetPacketCount(), 1);
    EXPECT_EQ(inside->GetPacket(0)->GetBlockCount(), 2);
    EXPECT_EQ(inside->GetPacket(0)->GetLength(), 7);
    // ...but never from past the message: at the end of the bytes, the partial entry ends the packet.
    const auto atEnd = Convert({0x07, 0x01, 0x05, 0x20, 0x00, 0x10, 0x10});
    ASSERT_EQ(atEnd->GetPacketCount(), 1);
    EXPECT_EQ(atEnd->GetPacket(0)->GetBlockCount(), 1);
}

TEST(ParameterXferConverter, LongPacketsKeepAllTheirBytes) {
    // 84 entries: the longest kind-1 packet a length byte allows, every entry a position.
    Bytes packet = {255, 0x01, 0x07};
    for (int i = 0; i < 84; ++i) packet.insert(packet.end(), {0x20, 0x00, static_cast<std::uint8_t>(i)});
    const auto message = Convert(packet);
    ASSERT_EQ(message->GetPacketCount(), 1);
    const IParameterBlockXferPacket* p = message->GetPacket(0);
    EXPECT_EQ(PacketBytes(p), packet);
    ASSERT_EQ(p->GetBlockCount(), 84);
    EXPECT_EQ(Values<CParameterBlockXferPositionData>(p->GetBlock(83)), (std::vector<long>{83}));

    CParameterBlockXferPacket copy;
    copy.Assign(*p);
    EXPECT_EQ(PacketBytes(&copy), packet);
    copy.Assign(CParameterBlockXferPacket(2, Bytes{0x05, 0x03}));
    EXPECT_EQ(PacketBytes(&copy), (Bytes{0x05, 0x03}));
}

TEST(ParameterXferObjects, AssignCopiesOnlyWhatItSays) {
    CParameterBlockXferPacketWithFCU a(1, Bytes{0x06, 0x01, 0x05}, 5);
    a.AddBlock(std::make_unique<CParameterBlockXferBlock>(2, 0));
    CParameterBlockXferPacket b(2, Bytes{0x01});
    b.Assign(a);
    EXPECT_EQ(b.GetType(), 1);
    EXPECT_EQ(PacketBytes(&b), (Bytes{0x06, 0x01, 0x05}));
    EXPECT_EQ(b.GetBlockCount(), 0);
    a.Assign(a);
    EXPECT_EQ(a.GetLength(), 3);
    EXPECT_EQ(a.GetBlockCount(), 1);

    CParameterBlockXferBlock block(31, 4), other(2, 0);
    block.AddCustomData(std::make_unique<CParameterBlockXferStatusData>(5));
    other.Assign(block);
    EXPECT_EQ(other.GetBlockNumber(), 31);
    EXPECT_EQ(other.GetParameterNumber(), 4);
    EXPECT_EQ(other.GetCustomDataCount(), 0);
    EXPECT_EQ(block.GetCustomData(1), nullptr);

    CParameterBlockXferStatusData status(3);
    status.Assign(CParameterBlockXferStatusData(9));
    EXPECT_EQ(status.GetValue(), 9);
    status.Assign(CParameterBlockXferAlarmData(7));  // another class: no change
    EXPECT_EQ(status.GetValue(), 9);
}

TEST(ParameterXferConverter, TheConverterKeepsItsOwnConfiguration) {
    FCUConfigurationList configuration = TarnFCUs();
    const CRecordToParameterXferConverter converter(configuration);
    configuration.clear();
    EXPECT_EQ(converter.Configuration().size(), 2u);
    EXPECT_EQ(converter.Convert(test::BlockTransferPackets({0x06, 0x01, 0x05, 0x10, 0x00, 0x24}))->GetPacketCount(), 1);
}

}  // namespace
}  // namespace vyx
