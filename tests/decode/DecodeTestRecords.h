#pragma once
// Whole records for the detail decoders, built the way the logger writes them and decoded by CParse.

#include <cstdint>
#include <vector>

#include "logdata/Parse.h"
#include "logdata/Record.h"
#include "simulator/RecordBuilder.h"

namespace vyx::test {

inline CRecord DecodeSpec(const sim::RecordSpec& spec, std::uint8_t base = kDefaultModbusBaseAddress) {
    const std::vector<std::uint8_t> bytes = sim::BuildRecordBytes(spec);
    CRecord record;
    CParse(base).Parse(bytes.data(), static_cast<int>(bytes.size()), record);
    return record;
}

// A Parameter Block Transfer record with exactly these message bytes.
inline CRecord BlockTransferMessage(std::vector<std::uint8_t> message) {
    sim::RecordSpec spec;
    spec.classCode = sim::kClassParameterBlockTransfer;
    spec.payload = std::move(message);
    return DecodeSpec(spec);
}

// A Parameter Block Transfer record carrying these packets, with L = their byte count.
inline CRecord BlockTransferPackets(const std::vector<std::uint8_t>& packets) {
    std::vector<std::uint8_t> message = {0x00, static_cast<std::uint8_t>(packets.size() >> 8),
                                         static_cast<std::uint8_t>(packets.size() & 0xFF)};
    message.insert(message.end(), packets.begin(), packets.end());
    return BlockTransferMessage(std::move(message));
}

// A Modbus record; databaseCode is byte 5 as stored (1 Generic, 2 Brennmark Kedra, 3 Yokogawa, 4 Brennmark Oxa).
inline CRecord ModbusRequest(int databaseCode, std::vector<std::uint8_t> request,
                             std::uint8_t base = kDefaultModbusBaseAddress) {
    sim::RecordSpec spec;
    spec.classCode = sim::kClassModbus;
    spec.databaseCode = databaseCode;
    spec.payload = std::move(request);
    return DecodeSpec(spec, base);
}

}  // namespace vyx::test
