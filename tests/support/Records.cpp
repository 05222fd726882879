#include "support/Records.h"

namespace vyx::test {

std::vector<std::uint8_t> RecordBytes(int n, std::initializer_list<std::pair<int, int>> set) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n), 0);
    for (const auto& [index, value] : set) bytes.at(static_cast<std::size_t>(index)) = static_cast<std::uint8_t>(value);
    return bytes;
}

CRecord Decode(const std::vector<std::uint8_t>& bytes, std::uint8_t base) {
    CRecord record;
    CParse(base).Parse(bytes.data(), static_cast<int>(bytes.size()), record);
    return record;
}

}  // namespace vyx::test
