#pragma once
// Turns one decoded record into its loop events, using the decoders the list and the filters use. What
// each message gives:
// - Modbus (single write): a command to the FCU the register map names, with the record's source and
//   channel; a system-wide command (Global ESD Trigger, Change Master, System reconfiguration, System /
//   Comms Alarm accept, Start FCU Data Upload) is a command of the loop, whatever FCU number the slave
//   address shift gives it.
// - Modbus write-multiple: one command per item of the request, the system-wide ones to the loop; an item
//   whose slave address fits no FCU range names no FCU and is left out.
// - Halvik Common Protocol: the command of its command field to its FCU; a request to several FCUs carries
//   no command the decoder can read, and is left out.
// - M7 Idle: left out; the decoder does not vouch for the FCU address it carries.
// - Parameter Block Transfer, FCU packets: each status and alarm word is a report of that FCU on the
//   record's channel, compared with the last one of its kind (set, cleared, or initial for the first);
//   a position value that differs from the last one gives a position; any of the three makes the FCU heard on that channel. The FCU type
//   data is the master station's knowledge, not a report of the FCU's condition, and gives nothing.
// - Parameter Block Transfer, master station packets: the system status word as edges of the loop on that
//   channel, a loop fault as a loop event; the FCU loop-back data names no condition and gives nothing.
// - Startup Sequence, Set Time: nothing.

#include <cstdint>
#include <span>
#include <vector>

#include "analysis/FcuEvent.h"
#include "analysis/FcuReports.h"
#include "analysis/LoopState.h"
#include "decode/RecordToParameterXferConverter.h"
#include "logdata/Record.h"

namespace vyx {

class IFcuEventSink {
public:
    // The events of one record, in their order (they share its time, place, channel and source), once the
    // state has taken them: a sink that copies the state sees it between records.
    virtual void AddRecord(std::span<const FcuEvent> events) = 0;

protected:
    ~IFcuEventSink() = default;
};

// Works in two halves, which a pass may run on two threads: Report decodes a record into reports without
// the state (const, safe beside a running Extract), Extract compares reports with the state and emits the
// events. Extract of a record does both.
class CFcuEventExtractor {
public:
    // The state is the loop's state so far; every event found is applied to it at once, so a record's later
    // words are compared with its earlier ones, and a record's events go to the sink together.
    CFcuEventExtractor(const CRecordToParameterXferConverter& converter, std::uint8_t modbusBaseAddress,
                       LoopState& state);

    void Extract(const CRecord& record, const RecordPlace& place, IFcuEventSink& sink);

    // The reports of a record, appended to the list.
    void Report(const CRecord& record, const RecordPlace& place, CFcuReportList& out) const;
    // The reports of a block-transfer record from its message bytes, after out.BeginRecord for it: what
    // Report gives for such a record, without decoding the rest of it.
    void ReportBlockTransfer(std::span<const std::uint8_t> message, CFcuReportList& out) const;
    // The events of the reports in the list, in their order.
    void Extract(const CFcuReportList& reports, IFcuEventSink& sink);

    // False for the message modes that give no event (see above), so a pass can leave their records
    // undecoded.
    static bool MayGiveEvents(int messageMode) {
        return messageMode == kModeModbus || messageMode == kModeHalvikCommonProtocol ||
               messageMode == kModeParameterBlockTransfer;
    }

private:
    class CBlockTransferReports;

    // An event of the record.
    template <FcuEventKind Kind>
    void Emit(const FcuRecordReports& record, int fcu, std::uint8_t code, FcuEventEdge edge = FcuEventEdge::None,
              std::uint16_t value = 0);
    template <FcuEventKind Kind>
    void Edges(const FcuRecordReports& record, int fcu, bool known, std::uint32_t before, std::uint32_t now);

    const CRecordToParameterXferConverter& m_converter;
    std::uint8_t m_modbusBaseAddress;
    LoopState& m_state;
    CFcuReportList m_scratch;  // Extract of one record
    std::vector<FcuEvent> m_record;  // the events of the record being extracted
};

}  // namespace vyx
