#pragma once
// The find's matcher for millions of records: it answers what CRecordMatcher answers for a text or bytes
// query, from the frame's bytes, without formatting the seven column texts of every record. The columns
// whose texts come from a few codes (MessageMode, Source, FCU, Channel) are answered from tables made once
// per query through the column formatter itself; Date-Time once per distinct second; Sr.No. and FCU numbers
// by arithmetic on their digits; MessageContent on the raw bytes, the sought hex text turned into byte
// patterns for each place it can take in the "HH " cells.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "controller/RecordMatcher.h"
#include "decode/BlockTransferCellSearch.h"
#include "decode/DetailCellVocabulary.h"
#include "logdata/Parse.h"
#include "logdata/Record.h"

namespace vyx {

// Match: a column of the record, or a cell of its detail rows.
inline constexpr int kNoMatch = -1;
inline constexpr int kDetailRowsMatch = 7;

class CFastRecordMatcher {
public:
    // reference: a Text or Bytes matcher (other kinds match nothing here). The base address is the load's,
    // with which the store decodes records.
    CFastRecordMatcher(const CRecordMatcher& reference, std::uint8_t modbusBaseAddress);

    // The first column, in column order, whose text holds what is sought (its RecordColumn value),
    // kDetailRowsMatch when only a cell of the detail rows does, kNoMatch when nothing does. record: the n
    // record bytes of a decodable frame (after its length field); serial: the record's place in the load.
    // Keeps caches: one matcher per thread.
    int Match(std::int64_t serial, const std::uint8_t* record, int n);

private:
    // One byte of a pattern: (byte & mask) == value; a mask of 0 only asks for the byte to be there.
    struct BytePattern {
        std::vector<std::uint8_t> value;
        std::vector<std::uint8_t> mask;
        std::size_t anchor = 0;  // a byte with the full mask, or 0
        bool anchored = false;
    };
    void PlanText(const CRecordMatcher& reference);
    void PlanContent(const std::string& text, bool matchCase);
    bool TextHolds(std::string_view text);
    bool ContentHolds(const std::uint8_t* bytes, std::size_t count) const;
    bool DateTimeHolds(std::uint32_t time);
    bool VocabularyHolds(const CRecord& record, int& column);
    bool UndecodedVocabularyHolds(const std::uint8_t* record, int n, int mode, int& column) const;
    bool DetailHolds(const CRecord& record);
    void PlanDetail();
    DetailCellWanted CellsMayHold(const DetailCellVocabulary& vocabulary) const;

    CRecordMatcher::Kind m_kind = CRecordMatcher::Kind::Text;
    std::string m_text;  // folded unless m_matchCase
    bool m_matchCase = false;
    bool m_matchesAll = false;
    bool m_matchesNothing = false;
    CParse m_parse;
    CRecord m_record;

    // Sr.No. and FCU numbers: the digits sought, as a number of so many digits.
    bool m_digits = false;
    std::uint64_t m_digitValue = 0;
    std::uint64_t m_digitModulus = 1;  // 10 to the number of digits
    std::uint64_t m_digitFloor = 1;    // 10 to the number of digits less one

    bool m_dateTimePossible = false;
    std::uint32_t m_lastTime = 0;
    bool m_lastTimeKnown = false;
    bool m_lastTimeHolds = false;

    std::vector<BytePattern> m_patterns;  // MessageContent

    // Vocabulary tables, by the fields each column text is made of.
    bool m_vocabularyPossible = false;
    std::array<std::array<bool, 20>, 8> m_mode{};                              // mode, command
    std::array<std::array<std::array<bool, 5>, 2>, 12> m_source{};             // source (11: not valid), Modbus, database
    std::array<std::array<bool, 20>, 2> m_fcuNotValid{};  // Modbus, command
    bool m_fcuMultiple = false;
    std::array<bool, 3> m_channel{};
    // Only these modes decode a command or an FCU: for the others, or when no command or FCU text can hold
    // what is sought, the columns come from the frame's bytes without decoding the record.
    std::array<bool, 8> m_decodeForMode{};

    // Detail rows: null when no cell can hold what is sought; which kinds of record can; the verdict per
    // distinct decoded content, since block transfers repeat.
    const DetailDecoders* m_decoders = nullptr;
    bool m_detailBlockTransfer = false;
    bool m_detailModbus = false;
    // Block transfers of the dialogs' converter are walked without building their rows.
    std::optional<CBlockTransferCellSearch> m_blockTransferCells;
    struct DetailVerdict {
        std::vector<std::uint8_t> key;
        bool holds = false;
    };
    std::vector<DetailVerdict> m_detailCache;
    std::vector<std::uint8_t> m_keyScratch;
    CRecordMatcher m_reference;  // holds the decoders
};

}  // namespace vyx
