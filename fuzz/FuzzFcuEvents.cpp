// Record bytes of any kind through both ways the loop's events are made: the folder pass, which decodes a
// block transfer from its raw bytes and the rest through a parse, and the live follower, which extracts
// from the parsed record. Both must give the same events and leave the same state, and every event must
// name a kind, an edge, an FCU and a channel the event file can hold. A block transfer is also walked once
// for its words as masks, as the events take them, and once with their codes listed, as every other
// reader takes them: the two must report the same words, codes and values.
//
// Input: a Modbus base address byte, then records, each a byte that gives its size (5 to 300 bytes,
// what a decodable frame holds) and its bytes.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "analysis/FcuEventExtractor.h"
#include "analysis/RecordBatchPipe.h"
#include "decode/ParameterXferWalk.h"
#include "logdata/RecordBytes.h"
#include "logdata/Parse.h"

namespace {

using namespace vyx;

// Types for every FCU number, some of them differing between the channels.
FCUConfigurationList Configuration() {
    FCUConfigurationList list;
    for (int number = 1; number <= kMaxFcuNumber; ++number) {
        list.emplace_back(0, number % 15, static_cast<std::int16_t>(number), 1);
        if (number % 4 == 0) list.emplace_back(1, (number * 7) % 15, static_cast<std::int16_t>(number), 0);
    }
    return list;
}

struct CEvents final : IFcuEventSink {
    std::vector<std::vector<FcuEvent>> records;
    void AddRecord(std::span<const FcuEvent> events) override { records.emplace_back(events.begin(), events.end()); }
};

bool Valid(const FcuEvent& e, const RecordPlace& place, const CRecordHead& head) {
    const int kind = static_cast<int>(e.kind);
    if (kind < static_cast<int>(FcuEventKind::Command) || kind > static_cast<int>(FcuEventKind::LoopFault)) return false;
    if (static_cast<int>(e.edge) > static_cast<int>(FcuEventEdge::Initial)) return false;
    if (e.fcu > kMaxFcuNumber || e.channel > 1) return false;
    const bool ofTheLoop = e.kind == FcuEventKind::SystemStatus || e.kind == FcuEventKind::LoopFault;
    if (ofTheLoop && e.fcu != kLoopFcu) return false;
    return e.time == head.m_nTime && e.dayFile == place.dayFile && e.offset == place.offset &&
           e.Serial() == place.serial;
}

// What a walk reports, one line per word or value, in its order.
struct WalkItem {
    int packetType, fcuAddress, index, kind, value;
    std::uint32_t mask;
    bool operator==(const WalkItem&) const = default;
};

struct CListedWords {
    std::vector<WalkItem> items;
    bool OnWord(const ParameterXferPacketHead& h, int index, ParameterXferItemKind kind, std::uint16_t word,
                const CFCUCodeList& codes) {
        std::uint32_t mask = 0;
        for (const std::uint8_t code : codes) {
            VYX_FUZZ_CHECK(code < 32);  // what a mask can hold
            mask |= std::uint32_t{1} << code;
        }
        items.push_back({h.type, h.fcuAddress, index, static_cast<int>(kind), word, mask});
        return false;
    }
    bool OnCodes(const ParameterXferPacketHead&, int, ParameterXferItemKind, const CFCUCodeList& codes) {
        VYX_FUZZ_CHECK(!codes.Empty());
        return false;
    }
    bool OnValue(const ParameterXferPacketHead& h, int index, ParameterXferItemKind kind, int value) {
        items.push_back({h.type, h.fcuAddress, index, static_cast<int>(kind), value, 0});
        return false;
    }
    bool WantsPacket(int, int) const { return true; }
    void OnPacketEnd(const ParameterXferPacketHead&) {}
};

struct CMaskedWords : CListedWords {
    bool OnWordMask(const ParameterXferPacketHead& h, int index, ParameterXferItemKind kind, std::uint16_t word,
                    std::uint32_t mask) {
        items.push_back({h.type, h.fcuAddress, index, static_cast<int>(kind), word, mask});
        return false;
    }
};
static_assert(ParameterXferWordMaskSink<CMaskedWords> && !ParameterXferWordMaskSink<CListedWords>);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CRecordToParameterXferConverter converter(Configuration());
    if (size == 0) return 0;
    const std::uint8_t base = data[0];
    std::size_t at = 1;

    auto liveState = std::make_unique<LoopState>();
    auto passState = std::make_unique<LoopState>();
    CFcuEventExtractor live(converter, base, *liveState);
    CFcuEventExtractor pass(converter, base, *passState);
    CBatchDecoder decoder(pass, base);
    const CParse parse(base);
    CEvents liveEvents;
    CEvents passEvents;
    CFcuReportList reports;
    CRecord record;

    std::uint32_t offset = 0;
    while (at < size) {
        const int n = 5 + data[at++] % 296;
        if (size - at < static_cast<std::size_t>(n)) break;
        const std::uint8_t* bytes = data + at;
        at += static_cast<std::size_t>(n);
        const RecordPlace place{static_cast<std::uint16_t>(offset % 3), offset, offset * 7};
        offset += static_cast<std::uint32_t>(n) + 2;

        const CRecordHead head = ParseHead(bytes);
        parse.Parse(bytes, n, record);
        VYX_FUZZ_CHECK(record.m_nTime == head.m_nTime && record.m_nChannel == head.m_nChannel &&
                       record.m_nMessageMode == head.m_nMessageMode);
        if (!CFcuEventExtractor::MayGiveEvents(head.m_nMessageMode)) continue;
        if (head.m_nMessageMode == kModeParameterBlockTransfer) {
            const std::span<const std::uint8_t> message(bytes + kMessageFirstByte,
                                                        static_cast<std::size_t>(MessageLengthOf(n)));
            CListedWords listed;
            CMaskedWords masked;
            WalkParameterXferBytes(converter, message, listed);
            WalkParameterXferBytes(converter, message, masked);
            VYX_FUZZ_CHECK(listed.items == masked.items);
        }

        const std::size_t liveBefore = liveEvents.records.size();
        live.Extract(record, place, liveEvents);
        reports.Clear();
        decoder.Decode(place, head.m_nTime, head.m_nChannel, head.m_nMessageMode, bytes, n, reports);
        const std::size_t passBefore = passEvents.records.size();
        pass.Extract(reports, passEvents);

        VYX_FUZZ_CHECK(liveEvents.records.size() - liveBefore == passEvents.records.size() - passBefore);
        for (std::size_t r = liveBefore; r < liveEvents.records.size(); ++r) {
            VYX_FUZZ_CHECK(liveEvents.records[r] == passEvents.records[r]);
            for (const FcuEvent& e : liveEvents.records[r]) VYX_FUZZ_CHECK(Valid(e, place, head));
        }
        VYX_FUZZ_CHECK(*liveState == *passState);
    }
    return 0;
}
