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

private:
    std::array<std::uint8_t, kCapacity> m_codes{};
    int m_count = 0;
};

}  // namespace vyx
