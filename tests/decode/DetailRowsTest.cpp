// The detail rows of a record as the detail dialogs show them, and their text lines.

#include <gtest/gtest.h>

#include "DecodeTestRecords.h"
#include "decode/DetailRows.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "decode/RecordToParameterXferConverter.h"

namespace vyx {
namespace {

struct Converters {
    CRecordToParameterXferConverter blockTransfer{{CFCUExtended(0, 0, 7, 1)}};
    CRecordToModbusMultipleConverter modbus{240};

    DetailRows Build(const CRecord& record) const { return BuildDetailRows(record, blockTransfer, modbus); }
};

TEST(DetailRows, BlockTransfer) {
    const Converters c;
    const DetailRows rows = c.Build(
        test::BlockTransferPackets({0x06, 0x01, 0x07, 0x10, 0x00, 0x24, 0x07, 0x03, 0xFB, 0x00, 0x00, 0x0A, 0x05}));
    EXPECT_EQ(rows.kind, DetailRows::Kind::ParameterBlockTransfer);
    EXPECT_EQ(FormatDetailRows(rows),
              "No.\tPacket\tBlock and Parameter Info\tInformation\tDetail Information\tFCU\n"
              "1\t06 01 07 10 00 24 \tBlock 2 Parameter 0\tStatus Data\tOpen limit switch\t7\n"
              "\t\t\t\tMotor running\t7\n"
              "2\t07 03 FB 00 00 0A 05 \tBlock 31 Parameter 4\tFCU Loop Back Data\tFCU Addr:- 10,5\t-NA-\n");
    // Each row's bytes in the message: the status entry (index 10, word 0024) gives both codes, the loop-back
    // value is the second item of the master station packet.
    const std::vector<DetailRows::ByteRange> bytes = {{6, 3}, {6, 3}, {14, 2}};
    EXPECT_EQ(rows.rowBytes, bytes);
}

TEST(DetailRows, BlockTransferWithoutPackets) {
    const Converters c;
    const DetailRows rows = c.Build(test::BlockTransferPackets({}));
    EXPECT_EQ(rows.kind, DetailRows::Kind::ParameterBlockTransfer);
    EXPECT_TRUE(rows.rows.empty());
    EXPECT_EQ(FormatDetailRows(rows), "No.\tPacket\tBlock and Parameter Info\tInformation\tDetail Information\tFCU\n");
}

TEST(DetailRows, ModbusMultiple) {
    const Converters c;
    const DetailRows rows = c.Build(test::ModbusRequest(3, {0xF0, 0x0F, 0x00, 0x0D, 0x00, 0x04}));
    EXPECT_EQ(rows.kind, DetailRows::Kind::ModbusMultiple);
    EXPECT_EQ(FormatDetailRows(rows),
              "No.\tCommand Type\tFCU No\n"
              "2\tChange Master\tNA\n"
              "3\tSystem reconfiguration\tNA\n");
    EXPECT_EQ(rows.rowBytes, std::vector<DetailRows::ByteRange>(2));  // the request carries no data bytes
    // With its data: the coils' byte; registers take two bytes each.
    EXPECT_EQ(c.Build(test::ModbusRequest(3, {0xF0, 0x0F, 0x00, 0x0D, 0x00, 0x04, 0x01, 0x0F})).rowBytes,
              (std::vector<DetailRows::ByteRange>{{7, 1}, {7, 1}}));
}

TEST(DetailRows, OtherRecordsHaveNone) {
    const Converters c;
    // A Modbus command to one FCU, a Halvik Common Protocol record and an invalid record.
    sim::RecordSpec halvik;
    halvik.classCode = sim::kClassHalvik;
    halvik.payload.assign(20, 0);
    for (const CRecord& record :
         {test::ModbusRequest(1, {0xF0, 0x05, 0x0C, 0x7C, 0xFF, 0x00}), test::DecodeSpec(halvik), CRecord()}) {
        const DetailRows rows = c.Build(record);
        EXPECT_EQ(rows.kind, DetailRows::Kind::None);
        EXPECT_EQ(FormatDetailRows(rows), "no detail decoding\n");
    }
}

}  // namespace
}  // namespace vyx
