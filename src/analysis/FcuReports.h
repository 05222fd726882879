#pragma once
// What records tell about the loop before it is compared with the loop's state: the commands, words and values
// of their messages, in their order. Decoding a record into reports needs no state, so a pass can decode on
// one thread while another turns the reports into events (CFcuEventExtractor does both halves).

#include <cstdint>
#include <vector>

#include "analysis/FcuEvent.h"

namespace vyx {

enum class FcuReportKind : std::uint8_t {
    Command,       // value: the command code; sequence: the item's sequence in a write-multiple request (0 if single)
    Status,        // value: the codes of a status word, bit c for code c
    Alarm,         // value: the codes of an alarm word
    SystemStatus,  // value: the codes of a master station's system status word (fcu kLoopFcu)
    Position,      // value: the raw valve position word
    LoopFault,     // value: the loop fault code (fcu kLoopFcu)
    Heard,         // value: kHeard* bits, at the end of a packet that brought any of them
};

struct FcuReport {
    std::uint32_t value = 0;
    std::uint16_t fcu = 0;
    std::uint16_t sequence = 0;
    FcuReportKind kind = FcuReportKind::Heard;
};

// One record's part of a list: the reports from `first` on, up to the next record's first.
struct FcuRecordReports {
    RecordPlace place;
    std::uint32_t time = 0;
    std::uint32_t first = 0;
    std::uint8_t channel = 0;  // 0 = MS_A(left), 1 = MS_B(right)
    std::uint8_t source = 0;   // the record's source code
};

// The reports of a run of records; a record that reported nothing takes no room.
class CFcuReportList {
public:
    void BeginRecord(const RecordPlace& place, std::uint32_t time, int channel, int source) {
        if (!m_records.empty() && m_records.back().first == m_reports.size()) m_records.pop_back();
        FcuRecordReports& r = m_records.emplace_back();
        r.place = place;
        r.time = time;
        r.first = static_cast<std::uint32_t>(m_reports.size());
        r.channel = static_cast<std::uint8_t>(channel & 1);
        r.source = static_cast<std::uint8_t>(source);
    }
    void Add(FcuReportKind kind, int fcu, std::uint32_t value, int sequence = 0) {
        m_reports.push_back({value, static_cast<std::uint16_t>(fcu), static_cast<std::uint16_t>(sequence), kind});
    }
    void Clear() {
        m_records.clear();
        m_reports.clear();
    }
    std::size_t ReportCount() const { return m_reports.size(); }

    const std::vector<FcuRecordReports>& Records() const { return m_records; }
    const std::vector<FcuReport>& Reports() const { return m_reports; }
    // The end of record i's reports.
    std::size_t EndOf(std::size_t i) const {
        return i + 1 < m_records.size() ? m_records[i + 1].first : m_reports.size();
    }

private:
    std::vector<FcuRecordReports> m_records;
    std::vector<FcuReport> m_reports;
};

}  // namespace vyx
