#pragma once
// The codes one status or alarm word decodes to. A word has 16 bits and each bit gives at most one code,
// so the list lives inline: decoding allocates nothing.

#include <array>
#include <cstdint>

namespace vyx {

class CFCUCodeList {
public:
    static constexpr int kCapacity = 16;

    void Add(int code) {
        if (m_count < kCapacity) m_codes[static_cast<std::size_t>(m_count++)] = static_cast<std::uint8_t>(code);
    }
    int Count() const { return m_count; }
    bool Empty() const { return m_count == 0; }
    int operator[](int index) const { return m_codes[static_cast<std::size_t>(index)]; }
    const std::uint8_t* begin() const { return m_codes.data(); }
    const std::uint8_t* end() const { return m_codes.data() + m_count; }
    // Bit c for code c; every code of the catalogues is below 32.
    std::uint32_t Mask() const {
        std::uint32_t mask = 0;
        for (const std::uint8_t code : *this) {
            if (code < 32) mask |= std::uint32_t{1} << code;
        }
        return mask;
    }

private:
    std::array<std::uint8_t, kCapacity> m_codes{};
    int m_count = 0;
};

}  // namespace vyx
