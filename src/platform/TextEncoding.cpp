#include "platform/TextEncoding.h"

namespace vyx {

std::string ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        // Two-byte sequences C2/C3 xx cover U+0080..U+00FF; everything else is outside Latin-1.
        if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() &&
            (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            out.push_back(static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F)));
            i += 2;
            continue;
        }
        std::size_t skip = 1;
        if ((c & 0xE0) == 0xC0) skip = 2;
        else if ((c & 0xF0) == 0xE0) skip = 3;
        else if ((c & 0xF8) == 0xF0) skip = 4;
        out.push_back('?');
        i += skip;
    }
    return out;
}

}  // namespace vyx
