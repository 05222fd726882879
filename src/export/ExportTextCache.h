#pragma once
// The texts of the MessageMode, Source and FCU columns, taken from the record formatter once for each
// combination of the fields it reads and kept: an export of millions of rows copies them instead of
// formatting them again. A record whose fields lie outside the combinations known (never from the decoder)
// is formatted on the spot.

#include <array>
#include <string>
#include <string_view>

#include "logdata/Record.h"

namespace vyx {

struct ExportText {
    std::string_view text;
    bool plain = true;  // no comma, quote, backslash or control character: written as it is in CSV and JSON
};

class CExportTextCache {
public:
    // Valid until the next call for a record outside the known combinations, else as long as the cache.
    ExportText MessageMode(const CRecord& record);
    ExportText Source(const CRecord& record);
    // The FCU column of a record that does not name one FCU ("NA", "Multiple", "Invalid"); a number is
    // cheaper to write than to look up.
    ExportText FcuWord(const CRecord& record);

    static bool IsPlain(std::string_view text);
    // Whether a text was formatted on the spot (it goes at the next call for the same column).
    bool IsScratch(std::string_view text) const {
        for (const std::string& scratch : m_scratch)
            if (!text.empty() && text.data() == scratch.data()) return true;
        return false;
    }

private:
    struct Slot {
        bool filled = false;
        bool plain = true;
        std::string text;
    };
    ExportText Fill(Slot& slot, const CRecord& record, void (*format)(const CRecord&, std::string&));
    // One buffer per column, so that the texts of two columns formatted on the spot for one row both hold.
    ExportText Once(const CRecord& record, void (*format)(const CRecord&, std::string&), std::string& scratch);

    // AppendMessageMode reads the message mode (0..7) and the command (0..19).
    std::array<Slot, 8 * 20> m_modes{};
    // AppendSource reads whether the source is valid, the source (0..10), whether the mode is Modbus and the
    // database type (0..4).
    std::array<Slot, 2 * 11 * 2 * 5> m_sources{};
    // AppendFCU, for a record without one FCU number, reads validity, several FCUs, whether the mode is
    // Modbus and the command.
    std::array<Slot, 2 * 2 * 2 * 20> m_fcuWords{};
    std::array<std::string, 3> m_scratch;  // MessageMode, Source, FCU
};

}  // namespace vyx
