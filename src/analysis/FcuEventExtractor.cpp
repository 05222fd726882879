#include "analysis/FcuEventExtractor.h"

#include <bit>

#include "decode/ParameterBlockXferPacket.h"
#include "decode/ParameterXferWalk.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "filter/RecordFilters.h"

namespace vyx {

// The reports of one block transfer: each status, alarm or system-status word with its codes, each position
// and loop fault, and at the end of each packet that brought any of them, which data it brought.
class CFcuEventExtractor::CBlockTransferReports final : public IParameterXferItemSink {
public:
    explicit CBlockTransferReports(CFcuReportList& out) : m_out(out) {}

    bool WantsPacket(int type, int fcuAddress) const override {
        if (type == kPacketTypeMasterStation) return true;
        return fcuAddress >= 1 && fcuAddress <= kMaxFcuNumber;  // address 0 names no FCU
    }

    bool OnWordMask(const ParameterXferPacketHead& head, int, ParameterXferItemKind kind, std::uint16_t,
                    std::uint32_t codes) {
        switch (kind) {
            case ParameterXferItemKind::Status:
                m_out.Add(FcuReportKind::Status, Fcu(head), codes);
                m_heard |= kHeardStatus;
                break;
            case ParameterXferItemKind::Alarm:
                m_out.Add(FcuReportKind::Alarm, Fcu(head), codes);
                m_heard |= kHeardAlarm;
                break;
            case ParameterXferItemKind::SystemStatus:
                m_out.Add(FcuReportKind::SystemStatus, kLoopFcu, codes);
                m_heard |= kHeardSystemStatus;
                break;
            default: break;
        }
        return false;
    }

    // The same through the sink interface, which lists the codes.
    bool OnWord(const ParameterXferPacketHead& head, int index, ParameterXferItemKind kind, std::uint16_t word,
                const CFCUCodeList& codes) override {
        return OnWordMask(head, index, kind, word, codes.Mask());
    }

    bool OnCodes(const ParameterXferPacketHead&, int, ParameterXferItemKind, const CFCUCodeList&) override {
        return false;  // the words have been taken as they came
    }

    bool OnValue(const ParameterXferPacketHead& head, int, ParameterXferItemKind kind, int value) override {
        if (kind == ParameterXferItemKind::Position) {
            m_out.Add(FcuReportKind::Position, Fcu(head), static_cast<std::uint16_t>(value));
            m_heard |= kHeardPosition;
        } else if (kind == ParameterXferItemKind::LoopFault) {
            m_out.Add(FcuReportKind::LoopFault, kLoopFcu, static_cast<std::uint8_t>(value));
            m_heard |= kHeardLoopFault;
        }
        return false;
    }

    void OnPacketEnd(const ParameterXferPacketHead& head) override {
        if (m_heard != 0) m_out.Add(FcuReportKind::Heard, Fcu(head), m_heard);
        m_heard = 0;
    }

private:
    static int Fcu(const ParameterXferPacketHead& head) {
        return head.type == kPacketTypeMasterStation ? kLoopFcu : head.fcuAddress;
    }

    CFcuReportList& m_out;
    std::uint16_t m_heard = 0;
};

CFcuEventExtractor::CFcuEventExtractor(const CRecordToParameterXferConverter& converter,
                                       std::uint8_t modbusBaseAddress, LoopState& state)
    : m_converter(converter), m_modbusBaseAddress(modbusBaseAddress), m_state(state) {}

// Each event is written field by field where it is kept: an event put together elsewhere and copied whole
// would be read in wide words just after its narrow fields were written, which stalls the processor on every
// event.
template <FcuEventKind Kind>
void CFcuEventExtractor::Emit(const FcuRecordReports& record, int fcu, std::uint8_t code, FcuEventEdge edge,
                              std::uint16_t value) {
    FcuEvent& e = m_record.emplace_back();
    e.time = record.time;
    e.offset = record.place.offset;
    e.dayFile = record.place.dayFile;
    e.SetSerial(record.place.serial);
    e.channel = record.channel;
    e.source = record.source;
    e.kind = Kind;
    e.fcu = static_cast<std::uint16_t>(fcu);
    e.code = code;
    e.edge = edge;
    e.value = value;
    m_state.Apply<Kind>(e);
}

namespace {

// A command to an FCU, or to the loop when it is system-wide; false when it names no FCU.
bool CommandTarget(int fcu, int command, int& target) {
    if (IsSystemWideCommand(command)) {
        target = kLoopFcu;
    } else if (fcu >= 1 && fcu <= kMaxFcuNumber) {
        target = fcu;
    } else {
        return false;
    }
    return true;
}

}  // namespace

void CFcuEventExtractor::Report(const CRecord& record, const RecordPlace& place, CFcuReportList& out) const {
    const auto command = [&](int fcu, int code, int sequence) {
        int target = 0;
        if (CommandTarget(fcu, code, target)) {
            out.Add(FcuReportKind::Command, target, static_cast<std::uint32_t>(code), sequence);
        }
    };
    switch (record.m_nMessageMode) {
        case kModeModbus:
            out.BeginRecord(place, record.m_nTime, record.m_nChannel, record.m_nSource);
            if (record.m_bMultipleFCU) {
                ForEachModbusMultipleItem(record.MessageBytes(), record.m_nDatabaseType, m_modbusBaseAddress,
                                          [&](int sequence, const ModbusMapping& item) {
                                              command(item.fcu, item.command, sequence);
                                              return false;
                                          });
            } else if (record.m_nCommand != kCmdNone && (record.m_bFCUValid || IsSystemWideCommand(record.m_nCommand))) {
                command(record.m_nFCU, record.m_nCommand, 0);
            }
            break;
        case kModeHalvikCommonProtocol:
            out.BeginRecord(place, record.m_nTime, record.m_nChannel, record.m_nSource);
            if (record.m_nCommand != kCmdNone && record.m_bFCUValid && !record.m_bMultipleFCU) {
                command(record.m_nFCU, record.m_nCommand, 0);
            }
            break;
        case kModeParameterBlockTransfer:
            out.BeginRecord(place, record.m_nTime, record.m_nChannel, record.m_nSource);
            ReportBlockTransfer(record.MessageBytes(), out);
            break;
        default: break;
    }
}

void CFcuEventExtractor::ReportBlockTransfer(std::span<const std::uint8_t> message, CFcuReportList& out) const {
    CBlockTransferReports reports(out);
    WalkParameterXferBytes(m_converter, message, reports);  // its calls go straight to the final class
}

// A word against the last one of its kind: the first gives its codes as initial (or one event without a code
// when it has none), later ones the codes that came, then those that went.
template <FcuEventKind Kind>
void CFcuEventExtractor::Edges(const FcuRecordReports& record, int fcu, bool known, std::uint32_t before,
                               std::uint32_t now) {
    const auto each = [&](std::uint32_t mask, FcuEventEdge edge) {
        for (; mask != 0; mask &= mask - 1) {
            Emit<Kind>(record, fcu, static_cast<std::uint8_t>(std::countr_zero(mask)), edge);
        }
    };
    if (!known) {
        if (now == 0) Emit<Kind>(record, fcu, kNoCode, FcuEventEdge::Initial);
        each(now, FcuEventEdge::Initial);
        return;
    }
    each(now & ~before, FcuEventEdge::Set);
    each(before & ~now, FcuEventEdge::Cleared);
}

void CFcuEventExtractor::Extract(const CFcuReportList& list, IFcuEventSink& sink) {
    const std::vector<FcuRecordReports>& records = list.Records();
    const std::vector<FcuReport>& reports = list.Reports();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const FcuRecordReports& r = records[i];
        const std::size_t ch = r.channel;
        for (std::size_t k = r.first, end = list.EndOf(i); k < end; ++k) {
            const FcuReport& report = reports[k];
            const int fcu = report.fcu;
            switch (report.kind) {
                case FcuReportKind::Command:
                    Emit<FcuEventKind::Command>(r, fcu, static_cast<std::uint8_t>(report.value),
                                                FcuEventEdge::None, report.sequence);
                    break;
                case FcuReportKind::Status: {
                    const FcuChannelView& v = m_state.fcus[fcu].channel[ch];
                    Edges<FcuEventKind::Status>(r, fcu, v.statusKnown != 0, v.statusMask, report.value);
                    break;
                }
                case FcuReportKind::Alarm: {
                    const FcuChannelView& v = m_state.fcus[fcu].channel[ch];
                    Edges<FcuEventKind::Alarm>(r, fcu, v.alarmKnown != 0, v.alarmMask, report.value);
                    break;
                }
                case FcuReportKind::SystemStatus: {
                    const MasterStationView& m = m_state.masters[ch];
                    Edges<FcuEventKind::SystemStatus>(r, fcu, m.statusKnown != 0, m.statusMask, report.value);
                    break;
                }
                case FcuReportKind::Position: {
                    // A position is an event where it differs from the last one known.
                    const FcuState& f = m_state.fcus[fcu];
                    const auto position = static_cast<std::uint16_t>(report.value);
                    if (!f.positionKnown || f.position != position) {
                        Emit<FcuEventKind::Position>(r, fcu, 0, FcuEventEdge::None, position);
                    }
                    break;
                }
                case FcuReportKind::LoopFault:
                    Emit<FcuEventKind::LoopFault>(r, fcu, static_cast<std::uint8_t>(report.value));
                    break;
                case FcuReportKind::Heard:
                    Emit<FcuEventKind::Heard>(r, fcu, 0, FcuEventEdge::None,
                                              static_cast<std::uint16_t>(report.value));
                    break;
            }
        }
        if (!m_record.empty()) {
            sink.AddRecord(m_record);
            m_record.clear();
        }
    }
}

void CFcuEventExtractor::Extract(const CRecord& record, const RecordPlace& place, IFcuEventSink& sink) {
    m_scratch.Clear();
    Report(record, place, m_scratch);
    Extract(m_scratch, sink);
}

}  // namespace vyx
