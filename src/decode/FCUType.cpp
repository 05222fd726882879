#include "decode/FCUType.h"

#include <array>

#include "decode/FCU.h"

namespace vyx {
namespace {

constexpr std::array<std::string_view, 14> kTypeTexts = {
    "Tarn,TarnV,Vela,Integral",
    "MUFCU(ACT)",
    "MUFCU(MU)",
    "Kolvane",
    "Vx",
    "Vx Analogue",
    "VxT",
    "Orvel",
    "Brontelix",
    "Quadrilex",
    "Dresk",
    "Dravi",
    "Tessik",
    "ThirdPartyModbus",
};

}  // namespace

std::int32_t FCUTypeIndexFromCode(int typeCode) {
    if (typeCode == 0 || typeCode == 2) return 0;
    if (typeCode >= 3 && typeCode <= 14) return typeCode - 2;
    if (typeCode == 127) return 13;
    return kFCUTypeUnidentified;
}

std::string_view FCUTypeText(int typeIndex) {
    if (typeIndex >= 0 && typeIndex < static_cast<int>(kTypeTexts.size())) {
        return kTypeTexts[static_cast<std::size_t>(typeIndex)];
    }
    return "UNIDENTIFIED_FCU";
}

std::string_view FCUTypeDetailText(int typeIndex) {
    if (typeIndex >= 0 && typeIndex < static_cast<int>(kTypeTexts.size())) {
        return kTypeTexts[static_cast<std::size_t>(typeIndex)];
    }
    if (typeIndex == kFCUTypeUnidentified) return "UNIDENTIFIED FCU";
    return {};
}

}  // namespace vyx
