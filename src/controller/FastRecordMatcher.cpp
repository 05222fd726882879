#include "controller/FastRecordMatcher.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>
#include <typeinfo>

#include "decode/DetailCellVocabulary.h"
#include "decode/DetailRows.h"
#include "decode/FormatRecord.h"
#include "decode/RecordColumns.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "decode/RecordToParameterXferConverter.h"
#include "logdata/DayFileFormat.h"

namespace vyx {
namespace {

constexpr int kColumnSrNo = static_cast<int>(RecordColumn::SrNo);
constexpr int kColumnDateTime = static_cast<int>(RecordColumn::DateTime);
constexpr int kColumnContent = static_cast<int>(RecordColumn::MessageContent);
constexpr int kColumnMode = static_cast<int>(RecordColumn::MessageMode);
constexpr int kColumnSource = static_cast<int>(RecordColumn::Source);
constexpr int kColumnFcu = static_cast<int>(RecordColumn::FCU);
constexpr int kColumnChannel = static_cast<int>(RecordColumn::Channel);

constexpr std::size_t kDetailCacheSlots = 4096;
// "dd-mm-yyyy - hh:mm:ss:AM"
constexpr std::size_t kDateTimeLength = 24;

bool IsHexDigit(char c, bool matchCase) {
    if (c >= '0' && c <= '9') return true;
    // The column shows upper-case digits; a text compared without case was folded to lower case.
    return matchCase ? (c >= 'A' && c <= 'F') : (c >= 'a' && c <= 'f');
}

int NibbleOf(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

std::size_t KeyHash(const std::vector<std::uint8_t>& bytes) {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

CFastRecordMatcher::CFastRecordMatcher(const CRecordMatcher& reference, std::uint8_t modbusBaseAddress)
    : m_kind(reference.GetKind()), m_parse(modbusBaseAddress), m_reference(reference) {
    switch (m_kind) {
        case CRecordMatcher::Kind::Bytes: {
            const auto& bytes = reference.SoughtBytes();
            if (bytes.empty()) {
                m_matchesAll = true;
                break;
            }
            BytePattern pattern;
            pattern.value = bytes;
            pattern.mask.assign(bytes.size(), 0xFF);
            pattern.anchored = true;
            m_patterns.push_back(std::move(pattern));
            break;
        }
        case CRecordMatcher::Kind::Text: PlanText(reference); break;
        default: m_matchesNothing = true; break;
    }
}

void CFastRecordMatcher::PlanText(const CRecordMatcher& reference) {
    m_text = reference.SoughtText();
    m_matchCase = reference.MatchCase();
    // The columns are searched one by one, so a text with the reference's column separator finds nothing.
    if (m_text.find('\0') != std::string::npos) {
        m_matchesNothing = true;
        return;
    }
    if (m_text.empty()) {
        m_matchesAll = true;
        return;
    }
    m_decoders = m_reference.Decoders();
    PlanDetail();

    m_digits = m_text.size() <= 19 &&
               m_text.find_first_not_of("0123456789") == std::string::npos;
    if (m_digits) {
        for (char c : m_text) {
            m_digitValue = m_digitValue * 10 + static_cast<std::uint64_t>(c - '0');
            m_digitFloor = m_digitModulus;
            m_digitModulus *= 10;
        }
    }

    // Every Date-Time text has this shape (D a digit, X the A or P of AM / PM): a text that fits it nowhere is
    // never in that column, and the column need not be formatted at all.
    static constexpr std::string_view kShape = "DD-DD-DDDD - DD:DD:DD:XM";
    static_assert(kShape.size() == kDateTimeLength);
    const auto fitsAt = [this](std::size_t at) {
        for (std::size_t i = 0; i < m_text.size(); ++i) {
            const char want = kShape[at + i];
            const char c = m_text[i];
            // Folded to lower case unless the case must match: compared with the column's capitals.
            const char upper = (!m_matchCase && c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
            const bool fits = want == 'D'   ? (c >= '0' && c <= '9')
                              : want == 'X' ? (upper == 'A' || upper == 'P')
                                            : upper == want;
            if (!fits) return false;
        }
        return true;
    };
    for (std::size_t at = 0; m_text.size() <= kDateTimeLength && at + m_text.size() <= kDateTimeLength; ++at) {
        if (fitsAt(at)) {
            m_dateTimePossible = true;
            break;
        }
    }

    PlanContent(m_text, m_matchCase);

    // The vocabulary columns: every code their texts are made of, formatted once through the formatter.
    CRecord record;
    const CFormatRecord format(&record);
    std::string text;
    const auto holds = [&](void (CFormatRecord::*append)(std::string&) const) {
        text.clear();
        (format.*append)(text);
        const bool yes = TextHolds(text);
        m_vocabularyPossible = m_vocabularyPossible || yes;
        return yes;
    };
    for (int mode = 0; mode < 8; ++mode) {
        for (int command = 0; command < 20; ++command) {
            record.m_nMessageMode = mode;
            record.m_nCommand = command;
            m_mode[mode][command] = holds(&CFormatRecord::AppendMessageMode);
        }
    }
    for (int source = 0; source < 12; ++source) {
        for (int modbus = 0; modbus < 2; ++modbus) {
            for (int database = 0; database < 5; ++database) {
                record.m_bSourceValid = source < 11 ? 1 : 0;
                record.m_nSource = source < 11 ? source : kSourceUnidentified;
                record.m_nMessageMode = modbus ? kModeModbus : kModeStartupSequence;
                record.m_nDatabaseType = database;
                m_source[source][modbus][database] = holds(&CFormatRecord::AppendSource);
            }
        }
    }
    record = CRecord();
    for (int modbus = 0; modbus < 2; ++modbus) {
        for (int command = 0; command < 20; ++command) {
            record.m_bFCUValid = 0;
            record.m_nMessageMode = modbus ? kModeModbus : kModeStartupSequence;
            record.m_nCommand = command;
            m_fcuNotValid[modbus][command] = holds(&CFormatRecord::AppendFCU);
        }
    }
    record = CRecord();
    record.m_bFCUValid = 1;
    record.m_bMultipleFCU = 1;
    m_fcuMultiple = holds(&CFormatRecord::AppendFCU);
    for (int channel = 0; channel < 3; ++channel) {
        record.m_nChannel = channel;
        m_channel[channel] = holds(&CFormatRecord::AppendChannel);
    }
    // FCU numbers are answered by their digits.
    m_vocabularyPossible = m_vocabularyPossible || m_digits;

    const auto any = [](const std::array<bool, 20>& verdicts) {
        return std::find(verdicts.begin(), verdicts.end(), true) != verdicts.end();
    };
    // A valid FCU is one of 1..300: only when the text is in one of those numbers need they be decoded.
    bool numbers = false;
    for (std::uint64_t fcu = 1; m_digits && fcu <= format::kFcusPerChannel && !numbers; ++fcu) {
        for (std::uint64_t v = fcu; v >= m_digitFloor && !numbers; v /= 10) numbers = v % m_digitModulus == m_digitValue;
    }
    // M7 Idle decodes a command but never a valid FCU; Halvik and Modbus decode both.
    m_decodeForMode[kModeM7Idle] = any(m_mode[kModeM7Idle]) || any(m_fcuNotValid[0]);
    m_decodeForMode[kModeHalvikCommonProtocol] =
        any(m_mode[kModeHalvikCommonProtocol]) || any(m_fcuNotValid[0]) || numbers || m_fcuMultiple;
    m_decodeForMode[kModeModbus] = any(m_mode[kModeModbus]) || any(m_fcuNotValid[1]) || numbers || m_fcuMultiple;
}

void CFastRecordMatcher::PlanDetail() {
    if (m_decoders == nullptr) return;
    // What the cells can be made of is known for the converters of the detail dialogs; others may make
    // anything, so their records are always decoded.
    const auto& blockTransfer = *m_decoders->blockTransfer;
    const auto& modbus = *m_decoders->modbus;
    const bool known = typeid(blockTransfer) == typeid(CRecordToParameterXferConverter) &&
                       typeid(modbus) == typeid(CRecordToModbusMultipleConverter);
    if (!known) {
        m_detailBlockTransfer = m_detailModbus = true;
        return;
    }
    const DetailCellWanted blockTransferCells = CellsMayHold(BlockTransferCellVocabulary());
    m_detailBlockTransfer = blockTransferCells.Any();
    m_detailModbus = CellsMayHold(ModbusMultipleCellVocabulary()).Any();
    // No record needs decoding for its detail rows.
    if (!m_detailBlockTransfer && !m_detailModbus) {
        m_decoders = nullptr;
        return;
    }
    m_blockTransferCells.emplace(static_cast<const CRecordToParameterXferConverter&>(blockTransfer), blockTransferCells);
}

DetailCellWanted CFastRecordMatcher::CellsMayHold(const DetailCellVocabulary& vocabulary) const {
    DetailCellWanted wanted;
    wanted.tables = std::any_of(vocabulary.texts.begin(), vocabulary.texts.end(),
                                [&](const std::string& text) { return CellHolds(text, m_text, m_matchCase); });
    for (std::size_t family = 0; family < vocabulary.alphabets.size() && family < wanted.families.size(); ++family) {
        const auto& alphabet = vocabulary.alphabets[family];
        wanted.families[family] = std::all_of(m_text.begin(), m_text.end(), [&](char c) {
            const auto byte = static_cast<unsigned char>(c);
            // Without case a folded letter also stands for its capital.
            const bool capital = !m_matchCase && c >= 'a' && c <= 'z' && alphabet.test(byte - 'a' + 'A');
            return alphabet.test(byte) || capital;
        });
    }
    return wanted;
}

bool CFastRecordMatcher::UndecodedVocabularyHolds(const std::uint8_t* record, int n, int mode, int& column) const {
    // What Parse gives a record of a mode that decodes no command or FCU: command 19, FCU not valid; and for
    // the other modes no command or FCU text can match, so only those that can are looked at.
    const bool decodes = mode == kModeM7Idle || mode == kModeHalvikCommonProtocol || mode == kModeModbus;
    if (!decodes && m_mode[mode][kCmdNone]) {
        column = kColumnMode;
        return true;
    }
    const int database = n > 5 ? DatabaseTypeFromCode(record[5]) : kDatabaseNone;
    const int source = SourceFromNibble(record[n - 5] >> 4);
    if (m_source[source][mode == kModeModbus][database]) {
        column = kColumnSource;
        return true;
    }
    if (!decodes && m_fcuNotValid[0][kCmdNone]) {
        column = kColumnFcu;
        return true;
    }
    if (m_channel[(record[4] >> 6) & 1]) {
        column = kColumnChannel;
        return true;
    }
    return false;
}

void CFastRecordMatcher::PlanContent(const std::string& text, bool matchCase) {
    // Each byte shows as three characters "HL ": the text fits where its blanks fall on the third place of a
    // cell and its digits on the first two. Each of the three starting places gives a pattern of nibbles.
    for (std::size_t phase = 0; phase < 3; ++phase) {
        const std::size_t cells = (phase + text.size() - 1) / 3 + 1;
        BytePattern pattern;
        pattern.value.assign(cells, 0);
        pattern.mask.assign(cells, 0);
        bool fits = true;
        for (std::size_t i = 0; i < text.size() && fits; ++i) {
            const std::size_t place = phase + i;
            const std::size_t cell = place / 3;
            const char c = text[i];
            switch (place % 3) {
                case 2: fits = c == ' '; break;
                case 0:
                    fits = IsHexDigit(c, matchCase);
                    if (fits) {
                        pattern.value[cell] = static_cast<std::uint8_t>(pattern.value[cell] | NibbleOf(c) << 4);
                        pattern.mask[cell] |= 0xF0;
                    }
                    break;
                default:
                    fits = IsHexDigit(c, matchCase);
                    if (fits) {
                        pattern.value[cell] = static_cast<std::uint8_t>(pattern.value[cell] | NibbleOf(c));
                        pattern.mask[cell] |= 0x0F;
                    }
                    break;
            }
        }
        if (!fits) continue;
        for (std::size_t cell = 0; cell < cells; ++cell) {
            if (pattern.mask[cell] == 0xFF) {
                pattern.anchor = cell;
                pattern.anchored = true;
                break;
            }
        }
        m_patterns.push_back(std::move(pattern));
    }
}

bool CFastRecordMatcher::TextHolds(std::string_view text) {
    return CellHolds(text, m_text, m_matchCase);
}

bool CFastRecordMatcher::ContentHolds(const std::uint8_t* bytes, std::size_t count) const {
    for (const BytePattern& pattern : m_patterns) {
        const std::size_t length = pattern.value.size();
        if (length > count) continue;
        const std::size_t lastStart = count - length;
        const auto fitsAt = [&](std::size_t start) {
            for (std::size_t k = 0; k < length; ++k) {
                if ((bytes[start + k] & pattern.mask[k]) != pattern.value[k]) return false;
            }
            return true;
        };
        if (!pattern.anchored) {
            for (std::size_t start = 0; start <= lastStart; ++start) {
                if (fitsAt(start)) return true;
            }
            continue;
        }
        const std::uint8_t key = pattern.value[pattern.anchor];
        const std::uint8_t* from = bytes + pattern.anchor;
        const std::uint8_t* end = bytes + pattern.anchor + lastStart + 1;
        while (from < end) {
            const auto* hit = static_cast<const std::uint8_t*>(std::memchr(from, key, static_cast<std::size_t>(end - from)));
            if (hit == nullptr) break;
            if (fitsAt(static_cast<std::size_t>(hit - bytes) - pattern.anchor)) return true;
            from = hit + 1;
        }
    }
    return false;
}

bool CFastRecordMatcher::DateTimeHolds(std::uint32_t time) {
    if (!m_lastTimeKnown || time != m_lastTime) {
        std::string text;
        text.reserve(kDateTimeLength);
        AppendTimeValue(text, time);
        m_lastTimeHolds = TextHolds(text);
        m_lastTime = time;
        m_lastTimeKnown = true;
    }
    return m_lastTimeHolds;
}

bool CFastRecordMatcher::VocabularyHolds(const CRecord& r, int& column) {
    const auto digitsHold = [this](std::int64_t number) {
        if (number <= 0) {
            // No arithmetic for these few: their text, as the column shows it.
            const std::string text = std::to_string(number);
            return TextHolds(text);
        }
        for (auto v = static_cast<std::uint64_t>(number); v >= m_digitFloor; v /= 10) {
            if (v % m_digitModulus == m_digitValue) return true;
        }
        return false;
    };
    const CFormatRecord format(&r);
    const auto formatted = [&](void (CFormatRecord::*append)(std::string&) const) {
        std::string text;
        (format.*append)(text);
        return TextHolds(text);
    };

    const bool modeKnown = r.m_nMessageMode >= 0 && r.m_nMessageMode < 8;
    const bool commandKnown = r.m_nCommand >= 0 && r.m_nCommand < 20;
    const bool modeHolds = modeKnown && commandKnown ? m_mode[r.m_nMessageMode][r.m_nCommand]
                                                     : formatted(&CFormatRecord::AppendMessageMode);
    if (modeHolds) {
        column = kColumnMode;
        return true;
    }
    const int source = r.m_bSourceValid ? r.m_nSource : 11;
    const bool sourceHolds = source >= 0 && source < 12 && r.m_nDatabaseType >= 0 && r.m_nDatabaseType < 5
                                 ? m_source[source][r.m_nMessageMode == kModeModbus][r.m_nDatabaseType]
                                 : formatted(&CFormatRecord::AppendSource);
    if (sourceHolds) {
        column = kColumnSource;
        return true;
    }
    bool fcuHolds = false;
    if (r.m_bFCUValid) {
        fcuHolds = r.m_bMultipleFCU ? m_fcuMultiple : (m_digits && digitsHold(r.m_nFCU)) ||
                                                          (!m_digits && r.m_nFCU < 0 && formatted(&CFormatRecord::AppendFCU));
    } else {
        fcuHolds = commandKnown ? m_fcuNotValid[r.m_nMessageMode == kModeModbus][r.m_nCommand]
                                : formatted(&CFormatRecord::AppendFCU);
    }
    if (fcuHolds) {
        column = kColumnFcu;
        return true;
    }
    const bool channelHolds = r.m_nChannel >= 0 && r.m_nChannel < 3 ? m_channel[r.m_nChannel]
                                                                    : formatted(&CFormatRecord::AppendChannel);
    if (channelHolds) {
        column = kColumnChannel;
        return true;
    }
    return false;
}

bool CFastRecordMatcher::DetailHolds(const CRecord& r) {
    const bool decodable = (r.m_nMessageMode == kModeParameterBlockTransfer && m_detailBlockTransfer) ||
                           (r.m_nMessageMode == kModeModbus && r.m_bMultipleFCU && m_detailModbus);
    if (!decodable) return false;
    // What the decoding reads: the mode, the database type and the message bytes.
    m_keyScratch.clear();
    m_keyScratch.push_back(static_cast<std::uint8_t>(r.m_nMessageMode));
    m_keyScratch.push_back(static_cast<std::uint8_t>(r.m_nDatabaseType));
    const auto message = r.MessageBytes();
    m_keyScratch.insert(m_keyScratch.end(), message.begin(), message.end());
    if (m_detailCache.empty()) m_detailCache.resize(kDetailCacheSlots);
    DetailVerdict& slot = m_detailCache[KeyHash(m_keyScratch) % kDetailCacheSlots];
    if (!slot.key.empty() && slot.key == m_keyScratch) return slot.holds;
    bool holds = false;
    if (m_blockTransferCells && r.m_nMessageMode == kModeParameterBlockTransfer) {
        holds = m_blockTransferCells->AnyCell(message, [this](std::string_view cell) { return TextHolds(cell); });
    } else {
        VisitDetailCells(r, *m_decoders->blockTransfer, *m_decoders->modbus, [&](std::size_t, const std::string& cell) {
            holds = TextHolds(cell);
            return !holds;
        });
    }
    slot.key = m_keyScratch;
    slot.holds = holds;
    return holds;
}

int CFastRecordMatcher::Match(std::int64_t serial, const std::uint8_t* record, int n) {
    if (m_matchesNothing) return kNoMatch;
    const std::size_t count =
        n > format::kRecordOverheadBytes ? static_cast<std::size_t>(n - format::kRecordOverheadBytes) : 0;
    const std::uint8_t* payload = record + format::kPayloadOffset;
    if (m_kind == CRecordMatcher::Kind::Bytes) {
        return m_matchesAll || ContentHolds(payload, count) ? kColumnContent : kNoMatch;
    }
    if (m_matchesAll) return kColumnSrNo;
    if (m_digits) {
        for (auto v = static_cast<std::uint64_t>(serial + 1); v >= m_digitFloor; v /= 10) {
            if (v % m_digitModulus == m_digitValue) return kColumnSrNo;
        }
    }
    if (m_dateTimePossible && n >= 4) {
        const std::uint32_t time = static_cast<std::uint32_t>(record[0]) << 24 |
                                   static_cast<std::uint32_t>(record[1]) << 16 |
                                   static_cast<std::uint32_t>(record[2]) << 8 | record[3];
        if (DateTimeHolds(time)) return kColumnDateTime;
    }
    if (!m_patterns.empty() && ContentHolds(payload, count)) return kColumnContent;
    if (!m_vocabularyPossible && m_decoders == nullptr) return kNoMatch;
    const int mode = detail::kModeOfClass[record[4] & 0x3F];
    if (m_decoders == nullptr && !m_decodeForMode[mode]) {
        int column = kNoMatch;
        return UndecodedVocabularyHolds(record, n, mode, column) ? column : kNoMatch;
    }
    m_parse.Parse(record, n, m_record);
    int column = kNoMatch;
    if (m_vocabularyPossible && VocabularyHolds(m_record, column)) return column;
    if (m_decoders != nullptr && DetailHolds(m_record)) return kDetailRowsMatch;
    return kNoMatch;
}

}  // namespace vyx
