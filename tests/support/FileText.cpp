#include "support/FileText.h"

#include <fstream>
#include <sstream>

namespace vyx::test {

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace vyx::test
