// The FCU information file: both lists, with and without channel filters, and the FCU view's texts.

#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "decode/FCUDisplay.h"
#include "decode/FCUParse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vyx;
    const std::span<const std::uint8_t> bytes(data, size);

    std::uint64_t dropped = 0;
    const auto onIssue = [&](const FCUFileIssue& issue) { dropped += issue.droppedBytes; };
    const FCUConfigurationList configuration = CFCUParse::ParseFCUConfigurationList(bytes, onIssue);
    VYX_FUZZ_CHECK(dropped == size % 3 || size > 3 * 33067);

    const FCUList all = CFCUParse::ParseFCUDisplayList(bytes, {});
    std::size_t present = 0;
    for (const CFCUExtended& fcu : configuration) {
        VYX_FUZZ_CHECK(fcu.m_nChannel == 0 || fcu.m_nChannel == 1);
        VYX_FUZZ_CHECK(fcu.m_nType >= 0 && fcu.m_nType <= 14);
        VYX_FUZZ_CHECK(fcu.m_nNumber >= 1);
        present += fcu.m_configured ? 1 : 0;
    }
    VYX_FUZZ_CHECK(all.size() == present);

    CFCUDisplay display;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i > 0) {
            const CFCU& a = all[i - 1];
            const CFCU& b = all[i];
            VYX_FUZZ_CHECK(a.m_nNumber < b.m_nNumber || (a.m_nNumber == b.m_nNumber && a.m_nChannel < b.m_nChannel));
        }
        display.SetFCU(&all[i]);
        VYX_FUZZ_CHECK(!display.FormatFCUNumber().empty());
        VYX_FUZZ_CHECK(!display.FormatFCUType().empty());
        VYX_FUZZ_CHECK(display.FormatChannel() != "UNIDENTIFIED_CHANNEL");
    }

    std::size_t split = 0;
    for (int channel = 0; channel < 3; ++channel) {
        FCUFilterList filters;
        filters.push_back(std::make_unique<CFCUFilterChannel>(channel));
        const FCUList one = CFCUParse::ParseFCUDisplayList(bytes, filters);
        for (const CFCU& fcu : one) VYX_FUZZ_CHECK(fcu.m_nChannel == channel);
        split += one.size();
    }
    VYX_FUZZ_CHECK(split == all.size());
    return 0;
}
