#pragma once
// Crafting record bytes for tests: fill in only the bytes a case is about.

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "logdata/Parse.h"
#include "logdata/Record.h"

namespace vyx::test {

// n record bytes, all zero, with the given bytes set: {{index, value}, ...}.
std::vector<std::uint8_t> RecordBytes(int n, std::initializer_list<std::pair<int, int>> set);

// Decodes bytes with the given base address.
CRecord Decode(const std::vector<std::uint8_t>& bytes, std::uint8_t base = kDefaultModbusBaseAddress);

}  // namespace vyx::test
