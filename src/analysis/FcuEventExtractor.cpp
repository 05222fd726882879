#include "analysis/FcuEventExtractor.h"

#include <bit>

#include "decode/ParameterBlockXferPacket.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "filter/RecordFilters.h"

namespace vyx {

namespace {

std::uint32_t MaskOf(const CFCUCodeList& codes) {
    std::uint32_t mask = 0;
    for (const int code : codes) {
        if (code >= 0 && code < 32) mask |= std::uint32_t{1} << code;
    }
    return mask;
}

}  // namespace

// Reports of one block transfer: words become edges against the state, each FCU packet with status, alarm
// or position data makes its FCU heard.
class CFcuEventExtractor::CBlockTransferSink final : public IParameterXferItemSink {
public:
    CBlockTransferSink(CFcuEventExtractor& extractor, const CRecord& record, const RecordPlace& place,
                       IFcuEventSink& sink)
        : m_extractor(extractor), m_record(record), m_place(place), m_sink(sink) {}

    bool WantsPacket(int type, int fcuAddress) const override {
        if (type == kPacketTypeMasterStation) return true;
        return fcuAddress >= 1 && fcuAddress <= kMaxFcuNumber;  // address 0 names no FCU
    }

    bool OnWord(const ParameterXferPacketHead& head, int, ParameterXferItemKind kind, std::uint16_t,
                const CFCUCodeList& codes) override {
        const auto ch = static_cast<std::size_t>(m_record.m_nChannel & 1);
        const std::uint32_t now = MaskOf(codes);
        switch (kind) {
            case ParameterXferItemKind::Status: {
                const FcuChannelView& v = m_extractor.m_state.fcus[Fcu(head)].channel[ch];
                Edges(FcuEventKind::Status, Fcu(head), v.statusKnown != 0, v.statusMask, now);
                m_heard |= kHeardStatus;
                break;
            }
            case ParameterXferItemKind::Alarm: {
                const FcuChannelView& v = m_extractor.m_state.fcus[Fcu(head)].channel[ch];
                Edges(FcuEventKind::Alarm, Fcu(head), v.alarmKnown != 0, v.alarmMask, now);
                m_heard |= kHeardAlarm;
                break;
            }
            case ParameterXferItemKind::SystemStatus: {
                const MasterStationView& m = m_extractor.m_state.masters[ch];
                Edges(FcuEventKind::SystemStatus, kLoopFcu, m.statusKnown != 0, m.statusMask, now);
                m_heard |= kHeardSystemStatus;
                break;
            }
            default: break;
        }
        return false;
    }

    bool OnCodes(const ParameterXferPacketHead&, int, ParameterXferItemKind, const CFCUCodeList&) override {
        return false;  // the words have been taken as they came
    }

    bool OnValue(const ParameterXferPacketHead& head, int, ParameterXferItemKind kind, int value) override {
        if (kind == ParameterXferItemKind::Position) {
            // A position is an event where it differs from the last one known; every report makes it heard.
            const FcuState& f = m_extractor.m_state.fcus[Fcu(head)];
            if (!f.positionKnown || f.position != static_cast<std::uint16_t>(value)) {
                FcuEvent e = Event(FcuEventKind::Position, Fcu(head));
                e.value = static_cast<std::uint16_t>(value);
                m_extractor.Emit(e, m_sink);
            }
            m_heard |= kHeardPosition;
        } else if (kind == ParameterXferItemKind::LoopFault) {
            FcuEvent e = Event(FcuEventKind::LoopFault, kLoopFcu);
            e.code = static_cast<std::uint8_t>(value);
            m_extractor.Emit(e, m_sink);
            m_heard |= kHeardLoopFault;
        }
        return false;
    }

    void OnPacketEnd(const ParameterXferPacketHead& head) override {
        if (m_heard != 0) {
            FcuEvent e = Event(FcuEventKind::Heard, head.type == kPacketTypeMasterStation ? kLoopFcu : Fcu(head));
            e.value = m_heard;
            m_extractor.Emit(e, m_sink);
        }
        m_heard = 0;
    }

private:
    static int Fcu(const ParameterXferPacketHead& head) {
        return head.type == kPacketTypeMasterStation ? kLoopFcu : head.fcuAddress;
    }

    FcuEvent Event(FcuEventKind kind, int fcu) const {
        FcuEvent e;
        e.time = m_record.m_nTime;
        e.offset = m_place.offset;
        e.dayFile = m_place.dayFile;
        e.SetSerial(m_place.serial);
        e.fcu = static_cast<std::uint16_t>(fcu);
        e.kind = kind;
        e.channel = static_cast<std::uint8_t>(m_record.m_nChannel & 1);
        e.source = static_cast<std::uint8_t>(m_record.m_nSource);
        return e;
    }

    // A report against the last one of its kind: the first gives its codes as initial (or one event without
    // a code when it has none), later ones the codes that came, then those that went.
    void Edges(FcuEventKind kind, int fcu, bool known, std::uint32_t before, std::uint32_t now) {
        if (!known) {
            if (now == 0) Edge(kind, fcu, FcuEventEdge::Initial, kNoCode);
            EachCode(now, [&](int code) { Edge(kind, fcu, FcuEventEdge::Initial, code); });
            return;
        }
        EachCode(now & ~before, [&](int code) { Edge(kind, fcu, FcuEventEdge::Set, code); });
        EachCode(before & ~now, [&](int code) { Edge(kind, fcu, FcuEventEdge::Cleared, code); });
    }

    template <typename Visit>
    static void EachCode(std::uint32_t mask, Visit visit) {
        for (; mask != 0; mask &= mask - 1) visit(std::countr_zero(mask));
    }

    void Edge(FcuEventKind kind, int fcu, FcuEventEdge edge, int code) {
        FcuEvent e = Event(kind, fcu);
        e.edge = edge;
        e.code = static_cast<std::uint8_t>(code);
        m_extractor.Emit(e, m_sink);
    }

    CFcuEventExtractor& m_extractor;
    const CRecord& m_record;
    const RecordPlace& m_place;
    IFcuEventSink& m_sink;
    std::uint16_t m_heard = 0;
};

CFcuEventExtractor::CFcuEventExtractor(const CRecordToParameterXferConverter& converter,
                                       std::uint8_t modbusBaseAddress, LoopState& state)
    : m_converter(converter), m_modbusBaseAddress(modbusBaseAddress), m_state(state) {}

void CFcuEventExtractor::Emit(FcuEvent event, IFcuEventSink& sink) {
    m_state.Apply(event);
    sink.Add(event);
}

void CFcuEventExtractor::Command(const CRecord& record, const RecordPlace& place, int fcu, int command, int sequence,
                                 IFcuEventSink& sink) {
    FcuEvent e;
    e.time = record.m_nTime;
    e.offset = place.offset;
    e.dayFile = place.dayFile;
    e.SetSerial(place.serial);
    e.kind = FcuEventKind::Command;
    e.channel = static_cast<std::uint8_t>(record.m_nChannel & 1);
    e.source = static_cast<std::uint8_t>(record.m_nSource);
    e.code = static_cast<std::uint8_t>(command);
    e.value = static_cast<std::uint16_t>(sequence);
    if (IsSystemWideCommand(command)) {
        e.fcu = kLoopFcu;
    } else if (fcu >= 1 && fcu <= kMaxFcuNumber) {
        e.fcu = static_cast<std::uint16_t>(fcu);
    } else {
        return;  // no FCU to give it to
    }
    Emit(e, sink);
}

void CFcuEventExtractor::Extract(const CRecord& record, const RecordPlace& place, IFcuEventSink& sink) {
    switch (record.m_nMessageMode) {
        case kModeModbus:
            if (record.m_bMultipleFCU) {
                ForEachModbusMultipleItem(record.MessageBytes(), record.m_nDatabaseType, m_modbusBaseAddress,
                                          [&](int sequence, const ModbusMapping& item) {
                                              Command(record, place, item.fcu, item.command, sequence, sink);
                                              return false;
                                          });
            } else if (record.m_nCommand != kCmdNone && (record.m_bFCUValid || IsSystemWideCommand(record.m_nCommand))) {
                Command(record, place, record.m_nFCU, record.m_nCommand, 0, sink);
            }
            break;
        case kModeHalvikCommonProtocol:
            if (record.m_nCommand != kCmdNone && record.m_bFCUValid && !record.m_bMultipleFCU) {
                Command(record, place, record.m_nFCU, record.m_nCommand, 0, sink);
            }
            break;
        case kModeParameterBlockTransfer: {
            CBlockTransferSink blocks(*this, record, place, sink);
            m_converter.Walk(record, blocks);
            break;
        }
        default: break;
    }
}

}  // namespace vyx
