#pragma once
// The whole content of a file, byte for byte (empty when it cannot be read).

#include <string>

namespace vyx::test {

std::string ReadFileText(const std::string& path);

}  // namespace vyx::test
