// Every cell the detail rows show is one of the vocabulary's texts or made only of the characters of one of its
// families: a find skips decoding for a text that fits neither, so a cell outside would be missed. Checked on
// block transfers of every packet kind and item index, for every FCU type, and on Modbus multiple writes
// through every register map. The walk that searches block transfers without building rows must meet exactly
// the rows' cells.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <set>

#include "DecodeTestRecords.h"
#include "decode/BlockTransferCellSearch.h"
#include "decode/DetailCellVocabulary.h"
#include "decode/DetailRows.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "decode/RecordToParameterXferConverter.h"

namespace vyx {
namespace {

bool Covered(const DetailCellVocabulary& vocabulary, const std::string& cell) {
    if (cell.empty() || std::find(vocabulary.texts.begin(), vocabulary.texts.end(), cell) != vocabulary.texts.end()) {
        return true;
    }
    return std::any_of(vocabulary.alphabets.begin(), vocabulary.alphabets.end(), [&](const auto& alphabet) {
        return std::all_of(cell.begin(), cell.end(), [&](char c) { return alphabet.test(static_cast<unsigned char>(c)); });
    });
}

std::uint8_t OneOf(std::mt19937& random, std::initializer_list<int> values) {
    // A listed value most of the time, any byte otherwise.
    if (random() % 4 == 0) return static_cast<std::uint8_t>(random());
    return static_cast<std::uint8_t>(*(values.begin() + random() % values.size()));
}

std::vector<std::uint8_t> RandomPackets(std::mt19937& random) {
    std::vector<std::uint8_t> packets;
    for (int p = 1 + static_cast<int>(random() % 4); p > 0; --p) {
        std::vector<std::uint8_t> packet(4 + random() % 30);
        for (auto& byte : packet) byte = static_cast<std::uint8_t>(random());
        packet[0] = static_cast<std::uint8_t>(packet.size());
        packet[1] = OneOf(random, {1, 3, 4});
        if (packet[1] == 3) {
            packet[2] = OneOf(random, {0, 4, 252, 250});
        } else {
            packet[2] = static_cast<std::uint8_t>(random() % 17);  // configured FCUs and one that is not
            if (packet[1] == 4) packet[3] = OneOf(random, {0, 16, 24, 32, 14, 30});
            for (std::size_t at = 3; packet[1] == 1 && at < packet.size(); at += 3) {
                packet[at] = OneOf(random, {0, 16, 24, 32});
            }
        }
        packets.insert(packets.end(), packet.begin(), packet.end());
    }
    return packets;
}

std::vector<std::uint8_t> RandomRequest(std::mt19937& random, std::uint8_t base) {
    static constexpr std::array<int, 20> kStarts = {0,   3,   4,   5,    6,    14,   15,   31,   32,   255,
                                                    512, 752, 992, 1232, 2716, 3196, 5536, 5656, 239, 479};
    const int start = std::max(0, kStarts[random() % kStarts.size()] + static_cast<int>(random() % 9) - 4);
    const int quantity = 2 + static_cast<int>(random() % 70);
    std::vector<std::uint8_t> request = {static_cast<std::uint8_t>(base + random() % 5),
                                         static_cast<std::uint8_t>(random() % 2 ? kFunctionWriteCoils
                                                                                : kFunctionWriteRegisters),
                                         static_cast<std::uint8_t>(start >> 8),
                                         static_cast<std::uint8_t>(start & 0xFF),
                                         0,
                                         static_cast<std::uint8_t>(quantity),
                                         static_cast<std::uint8_t>(2 * quantity)};
    for (int i = 0; i < 2 * quantity; ++i) request.push_back(static_cast<std::uint8_t>(random()));
    return request;
}

TEST(DetailCellVocabulary, CoversEveryCell) {
    FCUConfigurationList configuration;
    for (int type = 0; type <= 15; ++type) configuration.emplace_back(0, type, static_cast<std::int16_t>(type + 1), 1);
    const CRecordToParameterXferConverter blockTransfer(configuration);
    const CRecordToModbusMultipleConverter modbus;
    std::mt19937 random(11);
    std::array<std::size_t, 2> cells{};
    for (int i = 0; i < 4000; ++i) {
        const bool isBlockTransfer = i % 2 == 0;
        const CRecord record = isBlockTransfer
                                   ? test::BlockTransferPackets(RandomPackets(random))
                                   : test::ModbusRequest(1 + static_cast<int>(random() % 4),
                                                         RandomRequest(random, modbus.BaseAddress()));
        const DetailCellVocabulary& vocabulary =
            isBlockTransfer ? BlockTransferCellVocabulary() : ModbusMultipleCellVocabulary();
        for (const auto& row : BuildDetailRows(record, blockTransfer, modbus).rows) {
            for (const std::string& cell : row) {
                ASSERT_TRUE(Covered(vocabulary, cell)) << "\"" << cell << "\" record " << i;
                ++cells[isBlockTransfer ? 0 : 1];
            }
        }
    }
    // Both kinds made rows, so the check saw cells of every column.
    EXPECT_GT(cells[0], 10000u);
    EXPECT_GT(cells[1], 10000u);
}

TEST(BlockTransferCellSearch, MeetsTheCellsOfTheRows) {
    FCUConfigurationList configuration;
    for (int type = 0; type <= 15; ++type) configuration.emplace_back(0, type, static_cast<std::int16_t>(type + 1), 1);
    const CRecordToParameterXferConverter converter(configuration);
    const CRecordToModbusMultipleConverter modbus;
    DetailCellWanted all;
    all.tables = true;
    all.families.fill(true);
    CBlockTransferCellSearch search(converter, all);
    std::mt19937 random(13);
    for (int i = 0; i < 3000; ++i) {
        const CRecord record = test::BlockTransferPackets(RandomPackets(random));
        std::set<std::string> want;
        for (const auto& row : BuildDetailRows(record, converter, modbus).rows) {
            for (const std::string& cell : row) {
                if (!cell.empty()) want.insert(cell);
            }
        }
        std::set<std::string> met;
        EXPECT_FALSE(search.AnyCell(record.MessageBytes(), [&](std::string_view cell) {
            if (!cell.empty()) met.emplace(cell);
            return false;
        }));
        ASSERT_EQ(met, want) << "record " << i;
        // A test that passes ends the walk at the first cell.
        if (!want.empty()) {
            bool passed = false;
            EXPECT_TRUE(search.AnyCell(record.MessageBytes(), [&](std::string_view cell) {
                EXPECT_FALSE(passed) << "record " << i;
                passed = !cell.empty();
                return passed;
            }));
        }
    }
}

TEST(DetailCellVocabulary, LeavesWordsOut) {
    // A text of letters that no table holds fits no family: the find need not decode for it.
    for (const auto* vocabulary : {&BlockTransferCellVocabulary(), &ModbusMultipleCellVocabulary()}) {
        EXPECT_FALSE(Covered(*vocabulary, "no such text"));
        EXPECT_FALSE(Covered(*vocabulary, "xyz"));
    }
}

}  // namespace
}  // namespace vyx
