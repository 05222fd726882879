#pragma once
// FCU type codes of the FCU information file and the texts of the type indices.

#include <cstdint>
#include <string_view>

namespace vyx {

// 0 or 2 -> 0, 3..14 -> 1..12, 127 -> 13, anything else -> 14 (unidentified).
std::int32_t FCUTypeIndexFromCode(int typeCode);

// The FCU view's wording: "UNIDENTIFIED_FCU" for 14 and any index outside 0..13.
std::string_view FCUTypeText(int typeIndex);

// The detail decoding's wording: "UNIDENTIFIED FCU" for 14; empty for an index outside 0..14.
std::string_view FCUTypeDetailText(int typeIndex);

}  // namespace vyx
