#pragma once
// Questions the block-transfer filters ask of a record's decoded packets.

#include <cstdint>
#include <optional>

#include "decode/RecordToParameterXferConverter.h"
#include "logdata/Record.h"

namespace vyx {

// True when the record is a block transfer with an FCU packet (type 1 or 3) for the FCU (compared as a signed
// 16-bit number).
bool HasFCUPacketFor(const CRecordToParameterXferConverter& converter, const CRecord& record, std::int32_t fcu);

// What an item test looks for in the FCU packets of a block transfer.
enum class FCUItemKind { Status, Alarm, StatusOrAlarm };

// True when an FCU packet (for the FCU, or any FCU packet when fcu is nullopt) holds an item of that kind
// whose value equals code (any value when code is nullopt).
bool HasFCUItem(const CRecordToParameterXferConverter& converter, const CRecord& record, std::optional<std::int32_t> fcu,
                FCUItemKind kind, std::optional<std::int32_t> code);

// What an item test looks for in the master station packets (type 2).
enum class MasterStationItemKind { SystemStatus, LoopFault };

bool HasMasterStationItem(const CRecordToParameterXferConverter& converter, const CRecord& record,
                          MasterStationItemKind kind, std::int32_t code);

}  // namespace vyx
