#pragma once
// Builds record bytes and frames the way the logger writes them. Used by the simulator and by tests that
// craft records byte by byte.

#include <cstdint>
#include <vector>

namespace vyx::sim {

// Message class codes of the record's class byte (bits 0..5).
enum ClassCode : int {
    kClassModbus = 1,
    kClassHalvik = 4,
    kClassM7Idle = 5,
    kClassParameterBlockTransfer = 18,
    kClassSetTime = 32,
    kClassStartupSequence = 33,
};

struct RecordSpec {
    std::uint32_t time = 0;
    int channel = 0;        // 0 = A, 1 = B
    int classCode = kClassStartupSequence;
    int databaseCode = 0;   // byte 5 as stored (1..4 name a register map)
    std::vector<std::uint8_t> payload;
    int sourceNibble = 0;   // high nibble of the source byte
    int sourceLowNibble = 0;
    std::uint32_t trailer = 0;  // the four bytes after the source byte
};

// The record bytes (the frame without its length field): 11 + payload bytes.
std::vector<std::uint8_t> BuildRecordBytes(const RecordSpec& spec);

// Appends a frame (big-endian length L = record bytes + 2, then the bytes).
void AppendFrame(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& recordBytes);

// Appends a raw frame head with an arbitrary length field and the given body (for malformed frames).
void AppendRawFrame(std::vector<std::uint8_t>& out, int lengthField, const std::vector<std::uint8_t>& body);

}  // namespace vyx::sim
