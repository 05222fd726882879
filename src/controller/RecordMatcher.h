#pragma once
// What a find looks for in one record: a text in any of the seven column texts, a run of bytes in the
// payload that MessageContent shows, or a time stamp on one side of a given time (go to time).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logdata/Record.h"

namespace vyx {

class IRecordToParameterXferConverter;
class IModbusMultipleMessageConverter;

// The converters of the detail dialogs, for a find that also looks into the decoded detail rows. Both
// converters keep no state, so one pair serves every search thread.
struct DetailDecoders {
    std::shared_ptr<const IRecordToParameterXferConverter> blockTransfer;
    std::shared_ptr<const IModbusMultipleMessageConverter> modbus;
};

// "01 A0 ff" or "01A0FF": pairs of hex digits, blanks between pairs allowed. Nothing when the text holds
// no byte, an odd digit or anything else.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text);

class CRecordMatcher {
public:
    enum class Kind { Text, Bytes, TimeAtOrAfter, TimeAtOrBefore };

    // Text: matched within each column text on its own ("Sr.No." included), never across two columns; the
    // whole MessageContent counts, not only the part the list shows. Without matchCase, ASCII letters compare
    // without regard to case. An empty text matches every record.
    static CRecordMatcher Text(std::string_view text, bool matchCase);
    static CRecordMatcher Bytes(std::vector<std::uint8_t> bytes);
    static CRecordMatcher TimeAtOrAfter(std::uint32_t time);
    static CRecordMatcher TimeAtOrBefore(std::uint32_t time);

    // Text only: a record also matches when a cell of the detail rows its dialog shows holds the text
    // (Parameter Block Transfer and Modbus write-multiple records).
    void SetDetailDecoders(std::shared_ptr<const DetailDecoders> decoders) { m_decoders = std::move(decoders); }

    Kind GetKind() const { return m_kind; }
    const std::string& SoughtText() const { return m_text; }  // folded to lower case unless MatchCase()
    bool MatchCase() const { return m_matchCase; }
    const std::vector<std::uint8_t>& SoughtBytes() const { return m_bytes; }
    const DetailDecoders* Decoders() const { return m_kind == Kind::Text ? m_decoders.get() : nullptr; }
    // serial: the record's position in the load (its "Sr.No." is serial + 1). scratch: a buffer the caller
    // keeps between calls, so a search over millions of records formats into one allocation.
    bool Matches(std::int64_t serial, const CRecord& record, std::string& scratch) const;

private:
    explicit CRecordMatcher(Kind kind) : m_kind(kind) {}

    Kind m_kind;
    bool m_matchCase = false;
    std::string m_text;  // folded to lower case unless m_matchCase
    std::vector<std::uint8_t> m_bytes;
    std::uint32_t m_time = 0;
    std::shared_ptr<const DetailDecoders> m_decoders;
};

// Whether a cell text holds the sought text (already folded unless matchCase), as the matcher compares.
bool CellHolds(std::string_view cell, std::string_view sought, bool matchCase);

}  // namespace vyx
