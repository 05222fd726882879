// Message bytes of a Parameter Block Transfer record: the converter and every detail row.

#include <cstdint>
#include <span>
#include <string>

#include "FuzzCheck.h"
#include "decode/ParameterBlockXferFormatObjIterator.h"
#include "decode/RecordToParameterXferConverter.h"

namespace {

// Every FCU address a packet can carry is configured, with every type index, and some twice with different
// types so that the first-match and last-match look-ups differ.
vyx::FCUConfigurationList Configuration() {
    vyx::FCUConfigurationList list;
    for (int number = 1; number <= 255; ++number) {
        list.emplace_back(0, number % 15, static_cast<std::int16_t>(number), 1);
        if (number % 3 == 0) list.emplace_back(1, (number * 7) % 15, static_cast<std::int16_t>(number), 0);
    }
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vyx;
    static const CRecordToParameterXferConverter converter(Configuration());

    // Through a record, as the filters and the detail dialog see it.
    CRecord record;
    record.m_nMessageMode = kModeParameterBlockTransfer;
    record.m_pData.assign(data, data + size);
    record.m_nDataLength = static_cast<std::int32_t>(size);
    const auto message = converter.Convert(record);
    VYX_FUZZ_CHECK(message != nullptr);

    int items = 0;
    for (int p = 0; p < message->GetPacketCount(); ++p) {
        const IParameterBlockXferPacket* packet = message->GetPacket(p);
        VYX_FUZZ_CHECK(packet != nullptr);
        VYX_FUZZ_CHECK(packet->GetLength() >= 4 && packet->GetLength() <= 255);
        VYX_FUZZ_CHECK(packet->GetData()[0] == packet->GetLength());
        VYX_FUZZ_CHECK(packet->GetBlockCount() > 0);  // empty packets are dropped
        const bool withFCU = AsPacketWithFCU(packet) != nullptr;
        VYX_FUZZ_CHECK(withFCU == (packet->GetType() != kPacketTypeMasterStation));
        for (int b = 0; b < packet->GetBlockCount(); ++b) {
            const IParameterBlockXferBlock* block = packet->GetBlock(b);
            VYX_FUZZ_CHECK(block->GetCustomDataCount() > 0);  // empty blocks are dropped
            items += block->GetCustomDataCount();
        }
    }

    const auto iterator = message->CreateIterator();
    VYX_FUZZ_CHECK(iterator->GetRowCount() == items);
    int rows = 0;
    while (iterator->Next()) {
        const IParameterBlockXferFormatObj* row = iterator->Current();
        VYX_FUZZ_CHECK(row != nullptr);
        VYX_FUZZ_CHECK(row->GetCount() == 6);
        VYX_FUZZ_CHECK(!row->GetText(kColumnDetail).empty());
        VYX_FUZZ_CHECK(!row->GetText(kColumnFCU).empty());
        VYX_FUZZ_CHECK(row->GetText(kColumnPacket).size() <= 3 * 255);
        ++rows;
    }
    VYX_FUZZ_CHECK(rows == items);
    VYX_FUZZ_CHECK(iterator->Current() == nullptr);
    VYX_FUZZ_CHECK(!iterator->Next());

    // A record whose length field claims more than it holds reads no further than its bytes.
    record.m_nDataLength = static_cast<std::int32_t>(size) + 100;
    const auto again = converter.Convert(record);
    VYX_FUZZ_CHECK(again->GetPacketCount() == message->GetPacketCount());
    return 0;
}
