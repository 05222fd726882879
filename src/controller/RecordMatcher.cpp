#include "controller/RecordMatcher.h"

#include <algorithm>

#include "decode/DetailRows.h"
#include "decode/FormatRecord.h"
#include "decode/RecordColumns.h"

namespace vyx {
namespace {

// Columns are joined with this byte for the search; a needle holding it could match across two columns.
constexpr char kColumnSeparator = '\0';

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void FoldCase(std::string& text) {
    for (char& c : text) c = FoldCase(c);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        // A pair may not be split by a blank: "0 1" is no byte.
        if (i + 1 >= text.size()) return std::nullopt;
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
        i += 2;
    }
    if (bytes.empty()) return std::nullopt;
    return bytes;
}

CRecordMatcher CRecordMatcher::Text(std::string_view text, bool matchCase) {
    CRecordMatcher matcher(Kind::Text);
    matcher.m_matchCase = matchCase;
    matcher.m_text.assign(text);
    if (!matchCase) FoldCase(matcher.m_text);
    return matcher;
}

CRecordMatcher CRecordMatcher::Bytes(std::vector<std::uint8_t> bytes) {
    CRecordMatcher matcher(Kind::Bytes);
    matcher.m_bytes = std::move(bytes);
    return matcher;
}

CRecordMatcher CRecordMatcher::TimeAtOrAfter(std::uint32_t time) {
    CRecordMatcher matcher(Kind::TimeAtOrAfter);
    matcher.m_time = time;
    return matcher;
}

CRecordMatcher CRecordMatcher::TimeAtOrBefore(std::uint32_t time) {
    CRecordMatcher matcher(Kind::TimeAtOrBefore);
    matcher.m_time = time;
    return matcher;
}

bool CRecordMatcher::Matches(std::int64_t serial, const CRecord& record, std::string& scratch) const {
    switch (m_kind) {
        case Kind::TimeAtOrAfter: return record.m_nTime >= m_time;
        case Kind::TimeAtOrBefore: return record.m_nTime <= m_time;
        case Kind::Bytes: {
            const auto message = record.MessageBytes();
            return std::search(message.begin(), message.end(), m_bytes.begin(), m_bytes.end()) != message.end() ||
                   m_bytes.empty();
        }
        case Kind::Text: break;
    }
    if (m_text.find(kColumnSeparator) != std::string::npos) return false;
    scratch.clear();
    const CFormatRecord format(&record);
    for (RecordColumn column : kAllRecordColumns) {
        if (column != RecordColumn::SrNo) scratch += kColumnSeparator;
        AppendRecordColumnText(format, column, serial + 1, scratch);
    }
    if (!m_matchCase) FoldCase(scratch);
    if (std::string_view(scratch).find(m_text) != std::string_view::npos) return true;
    if (m_decoders == nullptr) return false;
    const DetailRows detail = BuildDetailRows(record, *m_decoders->blockTransfer, *m_decoders->modbus);
    for (const auto& row : detail.rows) {
        for (const std::string& cell : row) {
            if (CellHolds(cell, m_text, m_matchCase)) return true;
        }
    }
    return false;
}

bool CellHolds(std::string_view cell, std::string_view sought, bool matchCase) {
    if (matchCase) return cell.find(sought) != std::string_view::npos;
    if (sought.empty()) return true;
    if (sought.size() > cell.size()) return false;
    // Folded as it is compared: no copy of the cell.
    const std::size_t last = cell.size() - sought.size();
    for (std::size_t i = 0; i <= last; ++i) {
        if (FoldCase(cell[i]) != sought[0]) continue;
        std::size_t k = 1;
        while (k < sought.size() && FoldCase(cell[i + k]) == sought[k]) ++k;
        if (k == sought.size()) return true;
    }
    return false;
}

}  // namespace vyx
