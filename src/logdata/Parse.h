#pragma once
// Decodes the bytes of one stored record into a CRecord.

#include <cstdint>

#include "logdata/Record.h"

namespace vyx {

constexpr std::uint8_t kDefaultModbusBaseAddress = 240;

class CParse {
public:
    explicit CParse(std::uint8_t modbusBaseAddress = kDefaultModbusBaseAddress)
        : m_nModbusBaseAddress(modbusBaseAddress) {}
    virtual ~CParse() = default;

    // Decodes n record bytes (the frame without its length field) into record, overwriting every field.
    // Never fails and never reads outside the n bytes: a field whose bytes are missing keeps its default.
    void Parse(const std::uint8_t* bytes, int n, CRecord& record) const;

    std::uint8_t BaseAddress() const { return m_nModbusBaseAddress; }

private:
    std::uint8_t m_nModbusBaseAddress;
};

// Helpers shared with the detail decoders.
int MessageModeFromClass(int classBits);
int DatabaseTypeFromCode(int code);
int SourceFromNibble(int nibble);
int CommandFromBitMap(int value);

}  // namespace vyx
