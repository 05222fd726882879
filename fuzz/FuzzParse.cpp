// Record bytes straight from a day file frame: the decoder, the column texts and the detail decoding.

#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "decode/DetailRows.h"
#include "decode/FormatRecord.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "decode/RecordToParameterXferConverter.h"
#include "logdata/Parse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vyx;
    // Frames carry at most 65533 record bytes.
    if (size > 65533) return 0;
    const int n = static_cast<int>(size);
    // The last byte also picks the base address, so the slave-address shift sees every base.
    const std::uint8_t base = size > 0 ? data[size - 1] : kDefaultModbusBaseAddress;
    CRecord record;
    CParse(base).Parse(data, n, record);

    VYX_FUZZ_CHECK(record.m_nDataLength == (n > 11 ? n - 11 : 0));
    VYX_FUZZ_CHECK(record.m_pData.size() == static_cast<std::size_t>(record.m_nDataLength));
    VYX_FUZZ_CHECK(record.m_nMessageMode >= 0 && record.m_nMessageMode <= 7 && record.m_nMessageMode != 6);
    VYX_FUZZ_CHECK(record.m_nCommand >= 0 && record.m_nCommand <= 19);
    VYX_FUZZ_CHECK(record.m_nSource >= 0 && record.m_nSource <= 10);

    const CFormatRecord format(&record);
    const std::string content = format.FormatMessageContent();
    VYX_FUZZ_CHECK(content.size() == 3 * record.m_pData.size());
    format.FormatDateTime();
    format.FormatMessageMode();
    format.FormatSource();
    format.FormatFCU();
    format.FormatChannel();

    static const CRecordToParameterXferConverter blockTransfer(
        FCUConfigurationList{CFCUExtended(0, 0, 5, 1), CFCUExtended(1, 4, 7, 1), CFCUExtended(0, 3, 9, 0)});
    const CRecordToModbusMultipleConverter modbus(base);
    const DetailRows rows = BuildDetailRows(record, blockTransfer, modbus);
    FormatDetailRows(rows);
    return 0;
}
