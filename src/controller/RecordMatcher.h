#pragma once
// What a find looks for in one record: a text in any of the seven column texts, a run of bytes in the
// payload that MessageContent shows, or a time stamp on one side of a given time (go to time).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logdata/Record.h"

namespace vyx {

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

    Kind GetKind() const { return m_kind; }
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
};

}  // namespace vyx
