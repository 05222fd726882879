#pragma once
// Expands a Modbus write-multiple record into its per-FCU commands through the register map of its host.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "decode/ModbusMultipleMessage.h"
#include "logdata/Parse.h"
#include "logdata/Record.h"

namespace vyx {

class IModbusMultipleMessageConverter {
public:
    // A new message for a Modbus record (message mode 4), null for any other record.
    virtual std::unique_ptr<IModbusMultipleMessage> Convert(const CRecord& record) const = 0;
    virtual ~IModbusMultipleMessageConverter() = default;
};

// Modbus function codes of the multiple writes.
constexpr int kFunctionWriteCoils = 15;
constexpr int kFunctionWriteRegisters = 16;

// A command and FCU found in a register map.
struct ModbusMapping {
    std::int32_t command;
    std::int32_t fcu;
};

// One address of a request through the map of the database type; nothing when the address carries no command.
// Generic and Brennmark Kedra (0, 1) shift the FCU by the slave address; Yokogawa and Brennmark Oxa (2, 3)
// read it from the address alone; other types map nothing.
std::optional<ModbusMapping> MapModbusAddress(int databaseType, int functionCode, int slaveAddress,
                                              std::uint8_t baseAddress, int address);

// The items of a write-multiple request, in order, without building a message: visit(sequence, mapping) for
// each address that carries a command, until visit returns true. Returns true when it did. Requests that are
// not a multiple write, or whose head is incomplete, have no items.
template <typename Visit>
bool ForEachModbusMultipleItem(std::span<const std::uint8_t> request, int databaseType, std::uint8_t baseAddress,
                               Visit visit) {
    if (request.size() < 6) return false;
    const int slave = request[0];
    const int function = request[1];
    const int start = request[2] * 256 + request[3];
    const int quantity = request[4] * 256 + request[5];
    if (quantity == 0) return false;
    if (function != kFunctionWriteCoils && function != kFunctionWriteRegisters) return false;
    if (function == kFunctionWriteRegisters && quantity == 1) return false;
    if (databaseType < 0 || databaseType > 3) return false;  // no register map: nothing can match
    for (int sequence = 1; sequence <= quantity; ++sequence) {
        const auto mapped = MapModbusAddress(databaseType, function, slave, baseAddress, start + sequence - 1);
        if (mapped && visit(sequence, *mapped)) return true;
    }
    return false;
}

class CRecordToModbusMultipleConverter : public IModbusMultipleMessageConverter {
public:
    explicit CRecordToModbusMultipleConverter(std::uint8_t baseAddress = kDefaultModbusBaseAddress)
        : m_nBaseAddress(baseAddress) {}

    // A record with fewer than six message bytes gives an empty message: its request head is incomplete.
    std::unique_ptr<IModbusMultipleMessage> Convert(const CRecord& record) const override;

    // The expansion itself, over the stored request bytes and the record's database type.
    std::unique_ptr<CModbusMultipleMessage> ConvertRequest(std::span<const std::uint8_t> request,
                                                           int databaseType) const;

    std::uint8_t BaseAddress() const { return m_nBaseAddress; }

private:
    std::uint8_t m_nBaseAddress;
};

}  // namespace vyx
