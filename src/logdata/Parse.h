#pragma once
// Decodes the bytes of one stored record into a CRecord.

#include <array>
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

// The fields in the first five bytes of a record, which every decodable record has: time, channel and message
// mode, decoded exactly as Parse decodes them. Enough for the filters that look at nothing else.
struct CRecordHead {
    std::uint32_t m_nTime = 0;
    std::int32_t m_nChannel = kChannelUnidentified;
    std::int32_t m_nMessageMode = kModeUnidentified;
};

// The message mode of the class bits (the low six bits of the class byte).
constexpr int MessageModeFromClass(int classBits) {
    switch (classBits) {
        case 33: return kModeStartupSequence;
        case 32: return kModeSetTime;
        case 5: return kModeM7Idle;
        case 4: return kModeHalvikCommonProtocol;
        case 1: return kModeModbus;
        case 18: return kModeParameterBlockTransfer;
        default: return kModeUnidentified;
    }
}

namespace detail {
// MessageModeFromClass for each of the 64 class values: the load asks it for every record, and a table
// costs no mispredicted branch.
inline constexpr auto kModeOfClass = [] {
    std::array<std::int8_t, 64> modes{};
    for (int c = 0; c < 64; ++c) modes[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(MessageModeFromClass(c));
    return modes;
}();
}  // namespace detail

// bytes must hold at least five bytes.
inline CRecordHead ParseHead(const std::uint8_t* bytes) {
    CRecordHead head;
    head.m_nTime = (static_cast<std::uint32_t>(bytes[0]) << 24) | (static_cast<std::uint32_t>(bytes[1]) << 16) |
                   (static_cast<std::uint32_t>(bytes[2]) << 8) | static_cast<std::uint32_t>(bytes[3]);
    head.m_nChannel = (bytes[4] >> 6) & 1;
    head.m_nMessageMode = detail::kModeOfClass[bytes[4] & 0x3F];
    return head;
}

// Helpers shared with the detail decoders.
int DatabaseTypeFromCode(int code);
int SourceFromNibble(int nibble);
int CommandFromBitMap(int value);

}  // namespace vyx
