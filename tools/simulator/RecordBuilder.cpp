#include "simulator/RecordBuilder.h"

namespace vyx::sim {

std::vector<std::uint8_t> BuildRecordBytes(const RecordSpec& spec) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(spec.payload.size() + 11);
    bytes.push_back(static_cast<std::uint8_t>(spec.time >> 24));
    bytes.push_back(static_cast<std::uint8_t>(spec.time >> 16));
    bytes.push_back(static_cast<std::uint8_t>(spec.time >> 8));
    bytes.push_back(static_cast<std::uint8_t>(spec.time));
    bytes.push_back(static_cast<std::uint8_t>(((spec.channel & 1) << 6) | (spec.classCode & 0x3F)));
    bytes.push_back(static_cast<std::uint8_t>(spec.databaseCode));
    bytes.insert(bytes.end(), spec.payload.begin(), spec.payload.end());
    bytes.push_back(static_cast<std::uint8_t>(((spec.sourceNibble & 0xF) << 4) | (spec.sourceLowNibble & 0xF)));
    bytes.push_back(static_cast<std::uint8_t>(spec.trailer >> 24));
    bytes.push_back(static_cast<std::uint8_t>(spec.trailer >> 16));
    bytes.push_back(static_cast<std::uint8_t>(spec.trailer >> 8));
    bytes.push_back(static_cast<std::uint8_t>(spec.trailer));
    return bytes;
}

void AppendRawFrame(std::vector<std::uint8_t>& out, int lengthField, const std::vector<std::uint8_t>& body) {
    out.push_back(static_cast<std::uint8_t>((lengthField >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(lengthField & 0xFF));
    out.insert(out.end(), body.begin(), body.end());
}

void AppendFrame(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& recordBytes) {
    AppendRawFrame(out, static_cast<int>(recordBytes.size()) + 2, recordBytes);
}

}  // namespace vyx::sim
