// A Modbus write-multiple record: the first byte picks the database type, the second the base slave address,
// the rest is the stored request.

#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "decode/FormatModbusMultipleData.h"
#include "decode/RecordToModbusMultipleConverter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vyx;
    if (size < 2) return 0;
    CRecord record;
    record.m_nMessageMode = kModeModbus;
    record.m_bMultipleFCU = 1;
    record.m_nDatabaseType = data[0] % 7;  // 0..3 maps, 4 none, 5 and 6 unidentified
    const std::uint8_t base = data[1];
    record.m_pData.assign(data + 2, data + size);
    record.m_nDataLength = static_cast<std::int32_t>(record.m_pData.size());

    const CRecordToModbusMultipleConverter converter(base);
    const auto message = converter.Convert(record);
    VYX_FUZZ_CHECK(message != nullptr);

    const int quantity = record.m_pData.size() >= 6 ? record.m_pData[4] * 256 + record.m_pData[5] : 0;
    VYX_FUZZ_CHECK(message->GetItemCount() <= quantity);
    int previous = 0;
    CFormatModbusMultipleData format;
    for (int i = 0; i < message->GetItemCount(); ++i) {
        const CModbusMultipleItem* item = message->GetItem(i);
        VYX_FUZZ_CHECK(item != nullptr);
        VYX_FUZZ_CHECK(item->m_nSequence > previous && item->m_nSequence <= quantity);
        VYX_FUZZ_CHECK(item->m_nCommand >= 0 && item->m_nCommand < 19);
        VYX_FUZZ_CHECK(item->m_nFCU >= 0 && item->m_nFCU <= 0xFFFF);
        previous = item->m_nSequence;
        // The texts depend on the item alone; the first items of a long request cover them.
        if (i >= 256) continue;
        format.Init(item->m_nSequence, static_cast<std::int16_t>(item->m_nFCU), item->m_nCommand);
        VYX_FUZZ_CHECK(!format.GetCommandText().empty());
        VYX_FUZZ_CHECK(!format.GetFCUText().empty());
    }
    return 0;
}
