#include "decode/ParameterBlockXferFormatObj.h"

#include <stdexcept>

namespace vyx {

std::string CParameterBlockXferFormatObj::GetText(int index) const {
    if (index < 0 || index >= kColumnCount) return {};
    return m_texts[static_cast<std::size_t>(index)];
}

void CParameterBlockXferFormatObj::SetText(const std::string& text, int index) {
    if (index < 0 || index >= kColumnCount) return;
    m_texts[static_cast<std::size_t>(index)] = text;
}

std::string& CParameterBlockXferFormatObj::GetTextRef(int index) {
    if (index < 0 || index >= kColumnCount) throw std::out_of_range("detail row column index");
    return m_texts[static_cast<std::size_t>(index)];
}

}  // namespace vyx
