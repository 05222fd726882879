#include "decode/RecordToModbusMultipleConverter.h"

#include <algorithm>

namespace vyx {
namespace {

constexpr int kFunctionWriteCoil = 5;
constexpr int kFunctionWriteRegister = 6;
constexpr int kFCUsPerRange = 60;

// Generic and Brennmark Kedra: the offset within the map, before the slave-address shift.
std::optional<ModbusMapping> MapGeneric(int address, int slave) {
    switch (address) {
        // System-wide commands carry the slave address where a range carries the offset.
        case 3: return ModbusMapping{kCmdSystemReconfiguration, slave};
        case 4: return ModbusMapping{kCmdChangeMaster, slave};
        case 5: return ModbusMapping{kCmdAlarmAccept, slave};
        case 6: return ModbusMapping{kCmdGlobalESDTrigger, slave};
        case 255: return ModbusMapping{kCmdStartFCUDataUpload, slave};
        default: break;
    }
    struct Range {
        int first;
        int command;
    };
    static constexpr Range kRanges[] = {
        {2716, kCmdPosition}, {2776, kCmdMIT},   {2836, kCmdDeadband}, {2896, kCmdHysteresis},      {3196, kCmdOpen},
        {3256, kCmdStop},     {3316, kCmdClose}, {3376, kCmdESD},      {5536, kCmdAnalogueOutput1}, {5596, kCmdCal0},
        {5656, kCmdCal100},
    };
    for (const Range& range : kRanges) {
        if (address >= range.first && address < range.first + kFCUsPerRange) {
            return ModbusMapping{range.command, address - range.first + 1};
        }
    }
    return std::nullopt;
}

std::optional<ModbusMapping> MapYokogawaCoil(int address, int slave) {
    switch (address) {
        case 0: return ModbusMapping{kCmdGlobalESDTrigger, slave};
        case 14: return ModbusMapping{kCmdChangeMaster, slave};
        case 15: return ModbusMapping{kCmdSystemReconfiguration, slave};
        case 31: return ModbusMapping{kCmdAlarmAccept, slave};
        default: break;
    }
    if (address >= 32 && address <= 511) {
        return (address % 2 == 0) ? ModbusMapping{kCmdClose, (address - 30) / 2}
                                  : ModbusMapping{kCmdOpen, (address - 31) / 2};
    }
    if (address >= 512 && address <= 751) return ModbusMapping{kCmdOpen, address - 511};
    if (address >= 752 && address <= 991) return ModbusMapping{kCmdStop, address - 751};
    if (address >= 992 && address <= 1231) return ModbusMapping{kCmdClose, address - 991};
    if (address >= 1232 && address <= 1471) return ModbusMapping{kCmdESD, address - 1231};
    return std::nullopt;
}

std::optional<ModbusMapping> MapYokogawaRegister(int address) {
    if (address >= 0 && address <= 239) return ModbusMapping{kCmdPosition, address + 1};
    if (address >= 240 && address <= 479) return ModbusMapping{kCmdAnalogueOutput, address - 239};
    return std::nullopt;
}

}  // namespace

std::optional<ModbusMapping> MapModbusAddress(int databaseType, int functionCode, int slaveAddress,
                                              std::uint8_t baseAddress, int address) {
    if (databaseType == 0 || databaseType == 1) {
        auto mapped = MapGeneric(address, slaveAddress);
        if (!mapped) return std::nullopt;
        // Each slave address from the base on serves the next block of 60 FCUs.
        const int shift = slaveAddress - static_cast<int>(baseAddress);
        mapped->fcu = (shift >= 0 && shift <= 3) ? mapped->fcu + kFCUsPerRange * shift : 0;
        return mapped;
    }
    if (databaseType == 2 || databaseType == 3) {
        if (functionCode == kFunctionWriteCoil || functionCode == kFunctionWriteCoils) {
            return MapYokogawaCoil(address, slaveAddress);
        }
        if (functionCode == kFunctionWriteRegister || functionCode == kFunctionWriteRegisters) {
            return MapYokogawaRegister(address);
        }
    }
    return std::nullopt;
}

std::unique_ptr<IModbusMultipleMessage> CRecordToModbusMultipleConverter::Convert(const CRecord& record) const {
    if (record.m_nMessageMode != kModeModbus) return nullptr;
    return ConvertRequest(record.MessageBytes(), record.m_nDatabaseType);
}

std::unique_ptr<CModbusMultipleMessage> CRecordToModbusMultipleConverter::ConvertRequest(
    std::span<const std::uint8_t> request, int databaseType) const {
    auto message = std::make_unique<CModbusMultipleMessage>();
    ForEachModbusMultipleItem(request, databaseType, m_nBaseAddress, [&](int sequence, const ModbusMapping& mapped) {
        // One allocation for the items of the request.
        if (message->GetItemCount() == 0) message->Reserve(std::min(request[4] * 256 + request[5], 256));
        message->AddItem({sequence, mapped.fcu, mapped.command});
        return false;
    });
    return message;
}

}  // namespace vyx
