// The process-wide Modbus base address and the decoders made with it.

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "DecodeTestRecords.h"
#include "decode/VyxViewerClassFactory.h"

namespace vyx {
namespace {

TEST(VyxViewerClassFactory, DefaultsTo240) {
    const CVyxViewerClassFactory factory;
    EXPECT_EQ(factory.GetModbusAddress(), 240);
    EXPECT_EQ(factory.CreateParse()->BaseAddress(), 240);
    EXPECT_EQ(factory.CreateModbusMultipleConverter()->BaseAddress(), 240);
}

TEST(VyxViewerClassFactory, DecodersCarryTheAddressSetBeforeTheyWereMade) {
    CVyxViewerClassFactory factory;
    factory.SetModbusAddress(100);
    const auto parse = factory.CreateParse();
    const auto converter = factory.CreateModbusMultipleConverter();
    factory.SetModbusAddress(0);
    EXPECT_EQ(parse->BaseAddress(), 100);
    EXPECT_EQ(converter->BaseAddress(), 100);

    // Slave 101 is base + 1: FCUs from 61 on, for the record decoder and the multiple converter alike.
    sim::RecordSpec spec;
    spec.classCode = sim::kClassModbus;
    spec.databaseCode = 1;
    spec.payload = {101, 0x05, 0x0C, 0x7C, 0xFF, 0x00};
    const auto bytes = sim::BuildRecordBytes(spec);
    CRecord record;
    parse->Parse(bytes.data(), static_cast<int>(bytes.size()), record);
    EXPECT_EQ(record.m_nFCU, 61);

    const CRecord multiple = test::ModbusRequest(1, {101, 0x0F, 0x0C, 0x7C, 0x00, 0x02}, 100);
    const auto message = converter->Convert(multiple);
    ASSERT_EQ(message->GetItemCount(), 2);
    EXPECT_EQ(message->GetItem(0)->m_nFCU, 61);
}

TEST(VyxViewerClassFactory, OneInstancePerProcess) {
    EXPECT_EQ(&CVyxViewerClassFactory::Instance(), &CVyxViewerClassFactory::Instance());
    CVyxViewerClassFactory& shared = CVyxViewerClassFactory::Instance();
    const std::uint8_t saved = shared.GetModbusAddress();
    shared.SetModbusAddress(17);
    EXPECT_EQ(CVyxViewerClassFactory::Instance().CreateParse()->BaseAddress(), 17);
    shared.SetModbusAddress(saved);
}

TEST(VyxViewerClassFactory, ReadWhileWritten) {
    CVyxViewerClassFactory factory;
    std::vector<std::thread> readers;
    std::atomic<bool> bad{false};
    for (int t = 0; t < 2; ++t) {
        readers.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                const std::uint8_t base = factory.CreateParse()->BaseAddress();
                if (base != 240 && base != 241) bad = true;
            }
        });
    }
    for (int i = 0; i < 20000; ++i) factory.SetModbusAddress(i % 2 ? 241 : 240);
    for (auto& reader : readers) reader.join();
    EXPECT_FALSE(bad);
}

}  // namespace
}  // namespace vyx
