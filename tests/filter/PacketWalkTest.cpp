// The block-transfer filters answer from a walk over the message without building its object tree. Their
// answers must be the tree's: checked against questions asked of the converted tree, over random messages
// (kinds, addresses, indices, lengths that run short or past the end), and the walk's early stop and
// packet skipping checked on their own.

#include <gtest/gtest.h>

#include <random>

#include "decode/DecodeTestRecords.h"
#include "decode/ParameterBlockXferCustomData.h"
#include "filter/PacketWalk.h"

namespace vyx {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Tarn (5), Vx (7), FCU 12 listed twice (Kolvane first, MUFCU/MU last: alarms and status words decode
// with different types), Vx Analogue (200).
FCUConfigurationList MixedFCUs() {
    return {CFCUExtended(0, 0, 5, 1), CFCUExtended(0, 4, 7, 1), CFCUExtended(0, 3, 12, 1), CFCUExtended(1, 2, 12, 1),
            CFCUExtended(1, 5, 200, 1)};
}

// A random message: packets of the three kinds (and unknown ones), addresses from the configuration and
// beyond, entries aimed at the indices that carry blocks, an announced length that may be off.
Bytes RandomMessage(std::mt19937& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto byte = [&] { return static_cast<std::uint8_t>(rng()); };
    Bytes packets;
    const int count = pick(5);
    for (int p = 0; p < count; ++p) {
        const int kind = std::array{1, 1, 3, 3, 4, 4, 2}[static_cast<std::size_t>(pick(7))];
        const int length = pick(10) == 0 ? pick(4) : 4 + pick(24);
        Bytes packet = {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(kind)};
        const std::uint8_t address =
            std::array<std::uint8_t, 6>{5, 7, 12, 200, 13, byte()}[static_cast<std::size_t>(pick(6))];
        auto index = [&] {
            return static_cast<std::uint8_t>(
                std::array{0, 16, 24, 32, 4, 252, pick(256)}[static_cast<std::size_t>(pick(7))]);
        };
        if (kind == 1) {
            packet.push_back(address);
            while (static_cast<int>(packet.size()) < length) {
                packet.push_back(index());
                packet.push_back(byte());
                packet.push_back(byte());
            }
        } else if (kind == 4) {
            packet.push_back(address);
            packet.push_back(std::array<std::uint8_t, 4>{0, 14, 16, 24}[static_cast<std::size_t>(pick(4))]);
        } else {
            packet.push_back(index());
        }
        while (static_cast<int>(packet.size()) < length) packet.push_back(byte());
        packet.resize(static_cast<std::size_t>(length));  // may cut an entry short
        packets.insert(packets.end(), packet.begin(), packet.end());
    }
    int announced = static_cast<int>(packets.size());
    if (pick(5) == 0) announced += pick(20) - 10;
    announced = std::max(announced, 0);
    Bytes message = {0, static_cast<std::uint8_t>(announced >> 8), static_cast<std::uint8_t>(announced & 0xFF)};
    message.insert(message.end(), packets.begin(), packets.end());
    if (pick(8) == 0 && !message.empty())
        message.resize(static_cast<std::size_t>(pick(static_cast<int>(message.size()) + 1)));
    return message;
}

// The questions asked of the converted tree, the way they read before the walk existed.
struct TreeAnswers {
    explicit TreeAnswers(const IParameterBlockXferMessage& message) : m(message) {}

    template <typename Item>
    static bool Holds(const IParameterBlockXferPacket& packet, std::optional<std::int32_t> code) {
        for (int b = 0; b < packet.GetBlockCount(); ++b) {
            const IParameterBlockXferBlock* block = packet.GetBlock(b);
            for (int i = 0; i < block->GetCustomDataCount(); ++i) {
                const auto* item = dynamic_cast<const Item*>(block->GetCustomData(i));
                if (item && (!code || static_cast<std::int32_t>(item->GetValue()) == *code)) return true;
            }
        }
        return false;
    }
    static bool IsFCUPacket(const IParameterBlockXferPacket& p) {
        return p.GetType() == kPacketTypeFCUParameterList || p.GetType() == kPacketTypeFCURegisterRun;
    }
    static bool For(const IParameterBlockXferPacket& p, std::optional<std::int32_t> fcu) {
        return !fcu || static_cast<std::int16_t>(AsPacketWithFCU(&p)->m_nFCUAddress) == *fcu;
    }

    bool PacketFor(std::int32_t fcu) const {
        for (int p = 0; p < m.GetPacketCount(); ++p) {
            if (IsFCUPacket(*m.GetPacket(p)) && For(*m.GetPacket(p), fcu)) return true;
        }
        return false;
    }
    bool Item(std::optional<std::int32_t> fcu, FCUItemKind kind, std::optional<std::int32_t> code) const {
        for (int p = 0; p < m.GetPacketCount(); ++p) {
            const auto& packet = *m.GetPacket(p);
            if (!IsFCUPacket(packet) || !For(packet, fcu)) continue;
            if (kind != FCUItemKind::Alarm && Holds<CParameterBlockXferStatusData>(packet, code)) return true;
            if (kind != FCUItemKind::Status && Holds<CParameterBlockXferAlarmData>(packet, code)) return true;
        }
        return false;
    }
    bool Master(MasterStationItemKind kind, std::int32_t code) const {
        for (int p = 0; p < m.GetPacketCount(); ++p) {
            const auto& packet = *m.GetPacket(p);
            if (packet.GetType() != kPacketTypeMasterStation) continue;
            if (kind == MasterStationItemKind::SystemStatus
                    ? Holds<CParameterBlockXferSysemStatusAlarmData>(packet, code)
                    : Holds<CParameterBlockXferLoopFaultData>(packet, code)) {
                return true;
            }
        }
        return false;
    }

    const IParameterBlockXferMessage& m;
};

TEST(PacketWalk, FilterQuestionsAnswerAsTheConvertedTreeDoes) {
    const CRecordToParameterXferConverter converter(MixedFCUs());
    std::mt19937 rng(20261208);
    int found = 0;
    for (int round = 0; round < 4000; ++round) {
        const CRecord record = test::BlockTransferMessage(RandomMessage(rng));
        const auto tree = converter.Convert(record);
        ASSERT_NE(tree, nullptr);
        const TreeAnswers expected(*tree);
        for (const std::int32_t fcu : {5, 7, 12, 13, 200}) {
            ASSERT_EQ(HasFCUPacketFor(converter, record, fcu), expected.PacketFor(fcu)) << round << " fcu " << fcu;
        }
        for (const auto fcu :
             {std::optional<std::int32_t>(), std::optional<std::int32_t>(12), std::optional<std::int32_t>(7)}) {
            for (const auto kind : {FCUItemKind::Status, FCUItemKind::Alarm, FCUItemKind::StatusOrAlarm}) {
                for (const auto code : {std::optional<std::int32_t>(), std::optional<std::int32_t>(4),
                                        std::optional<std::int32_t>(24), std::optional<std::int32_t>(6)}) {
                    const bool answer = HasFCUItem(converter, record, fcu, kind, code);
                    ASSERT_EQ(answer, expected.Item(fcu, kind, code)) << round;
                    found += answer ? 1 : 0;
                }
            }
        }
        for (const std::int32_t code : {0, 1, 3, 4, 5}) {
            ASSERT_EQ(HasMasterStationItem(converter, record, MasterStationItemKind::SystemStatus, code),
                      expected.Master(MasterStationItemKind::SystemStatus, code))
                << round;
        }
        for (const std::int32_t code : {0, 1}) {
            ASSERT_EQ(HasMasterStationItem(converter, record, MasterStationItemKind::LoopFault, code),
                      expected.Master(MasterStationItemKind::LoopFault, code))
                << round;
        }
    }
    EXPECT_GT(found, 1000);  // the messages do hold what is asked for
}

// Counts blocks and stops at a given one; may skip packets of one type.
class CountingSink final : public IParameterXferItemSink {
public:
    CountingSink(int stopAt, int skipType) : m_stopAt(stopAt), m_skipType(skipType) {}
    bool WantsPacket(int type, int) const override { return type != m_skipType; }
    bool OnCodes(const ParameterXferPacketHead& head, int, ParameterXferItemKind, const CFCUCodeList&) override {
        return Count(head);
    }
    bool OnValue(const ParameterXferPacketHead& head, int, ParameterXferItemKind, int) override { return Count(head); }
    void OnPacketEnd(const ParameterXferPacketHead&) override { ++packets; }

    int blocks = 0;
    int packets = 0;
    bool sawSkipped = false;

private:
    bool Count(const ParameterXferPacketHead& head) {
        sawSkipped = sawSkipped || head.type == m_skipType;
        return ++blocks == m_stopAt;
    }
    int m_stopAt;
    int m_skipType;
};

TEST(PacketWalk, WalkStopsWhenAskedAndSkipsUnwantedPackets) {
    const CRecordToParameterXferConverter converter(MixedFCUs());
    // FCU 5: type and position; master station: system status; FCU 7: position.
    const CRecord record = test::BlockTransferPackets({9, 1, 5, 0,    0,    1,  32, 0, 9,  //
                                                       5, 3, 0, 0x41, 0x00,                //
                                                       6, 4, 7, 32,   0,    200});
    const auto tree = converter.Convert(record);
    ASSERT_EQ(tree->GetPacketCount(), 3);

    CountingSink all(0, -1);
    EXPECT_FALSE(converter.Walk(record, all));
    EXPECT_EQ(all.blocks, 4);
    EXPECT_EQ(all.packets, 3);

    CountingSink second(2, -1);
    EXPECT_TRUE(converter.Walk(record, second));
    EXPECT_EQ(second.blocks, 2);
    EXPECT_EQ(second.packets, 0);  // stopped inside the first packet

    CountingSink noMaster(0, kPacketTypeMasterStation);
    EXPECT_FALSE(converter.Walk(record, noMaster));
    EXPECT_EQ(noMaster.blocks, 3);
    EXPECT_EQ(noMaster.packets, 2);
    EXPECT_FALSE(noMaster.sawSkipped);

    CRecord other = record;
    other.m_nMessageMode = kModeModbus;
    CountingSink none(0, -1);
    EXPECT_FALSE(converter.Walk(other, none));
    EXPECT_EQ(none.blocks, 0);
}

}  // namespace
}  // namespace vyx
