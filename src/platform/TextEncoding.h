#pragma once
// Report and log files are written in ISO-8859-1, the character set the HTML pages declare.

#include <string>
#include <string_view>

namespace vyx {

// UTF-8 to ISO-8859-1; characters outside Latin-1 (and malformed bytes) become '?'.
std::string ToLatin1(std::string_view utf8);

}  // namespace vyx
