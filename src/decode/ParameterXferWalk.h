#pragma once
// The walk over a block-transfer message's packets, blocks and items, for any sink. A sink of a final class
// is called directly, without a virtual call per item: the loop events walk every block transfer of a
// folder. The converter's Walk is this walk over the sink interface.

#include <algorithm>
#include <cstdint>
#include <span>

#include "decode/FCUType.h"
#include "decode/MasterStationCatalogue.h"
#include "decode/ParameterXferItemSink.h"
#include "decode/RecordToParameterXferConverter.h"

namespace vyx {
namespace parameter_xfer {

// Packet kinds on the wire.
constexpr int kKindFCUParameterList = 1;
constexpr int kKindMasterStation = 3;
constexpr int kKindFCURegisterRun = 4;

// Indices that carry a block; the block number is the index / 8, the parameter number its remainder.
constexpr int kIndexFCUType = 0;
constexpr int kIndexStatus = 16;
constexpr int kIndexAlarm = 24;
constexpr int kIndexPosition = 32;
constexpr int kIndexSystemStatus = 0;
constexpr int kIndexLoopFault = 4;
constexpr int kIndexLoopBack = 252;

inline int BE16(const std::uint8_t* p) {
    return p[0] * 256 + p[1];
}

// Decodes one packet and reports its non-empty blocks to a sink.
template <class Sink>
class CPacketDecoder {
public:
    // tail: the message bytes from the packet's first byte to the end of the message; length: the packet's n.
    CPacketDecoder(const CRecordToParameterXferConverter& converter, std::span<const std::uint8_t> tail, int length,
                   Sink& sink)
        : m_converter(converter), m_tail(tail), m_sink(sink) {
        m_head.bytes = tail.first(static_cast<std::size_t>(length));
    }

    // True when the sink ended the walk.
    bool Decode() {
        const int length = static_cast<int>(m_head.bytes.size());
        // No kind has an entry in a packet of 3 bytes or fewer, so such a packet always ends up empty.
        if (length <= 3) return false;
        switch (m_tail[1]) {
            case kKindFCUParameterList:
                if (!Start(kPacketTypeFCUParameterList, m_tail[2])) return false;
                DecodeParameterList(length);
                break;
            case kKindFCURegisterRun:
                if (length <= 4 || !Start(kPacketTypeFCURegisterRun, m_tail[2])) return false;
                DecodeRegisterRun(length);
                break;
            case kKindMasterStation:
                if (!Start(kPacketTypeMasterStation, 0)) return false;
                DecodeMasterStation(length);
                break;
            default: return false;
        }
        if (!m_stopped) m_sink.OnPacketEnd(m_head);
        return m_stopped;
    }

private:
    bool Start(int type, int fcuAddress) {
        m_head.type = type;
        m_head.fcuAddress = fcuAddress;
        return m_sink.WantsPacket(type, fcuAddress);
    }

    // Entries are counted from the packet length as the logger does, which lets the last entry of a packet
    // whose length is not a whole number of entries take its bytes from what follows the packet. Those bytes
    // are read only while they lie inside the message.
    bool Fits(int offset, int width) const { return static_cast<std::size_t>(offset + width) <= m_tail.size(); }

    void DecodeParameterList(int length) {
        const int entries = (length - 4) / 3 + 1;
        m_head.blockHint = std::min(entries, 8);
        for (int j = 0; j < entries && !m_stopped; ++j) {
            const int offset = 3 + 3 * j;
            if (!Fits(offset, 3)) break;
            Entry(offset, 3);
            FCUValue(m_tail[static_cast<std::size_t>(offset)], BE16(&m_tail[static_cast<std::size_t>(offset) + 1]));
        }
    }

    void DecodeRegisterRun(int length) {
        const int first = m_tail[3];
        const int values = (length - 5) / 2 + 1;
        m_head.blockHint = std::min(values, 4);
        for (int k = 0; k < values && !m_stopped; ++k) {
            const int offset = 4 + 2 * k;
            if (!Fits(offset, 2)) break;
            Entry(offset, 2);
            // An index past 255 matches no block.
            FCUValue(first + k, BE16(&m_tail[static_cast<std::size_t>(offset)]));
        }
    }

    void DecodeMasterStation(int length) {
        const int first = m_tail[2];
        const int items = (length - 4) / 2 + 1;
        m_head.blockHint = std::min(items, 3);
        for (int k = 0; k < items && !m_stopped; ++k) {
            const int offset = 3 + 2 * k;
            if (!Fits(offset, 2)) break;
            Entry(offset, 2);
            MasterStationItem(first + k, m_tail[static_cast<std::size_t>(offset)],
                              m_tail[static_cast<std::size_t>(offset) + 1]);
        }
    }

    void Entry(int offset, int width) {
        m_head.entryOffset = offset;
        m_head.entryWidth = width;
    }

    void FCUValue(int index, int value) {
        const auto word = static_cast<std::uint16_t>(value);
        switch (index) {
            case kIndexFCUType: Value(index, ParameterXferItemKind::FCUType, FCUTypeIndexFromCode(value)); break;
            case kIndexStatus:
                if constexpr (ParameterXferWordMaskSink<Sink>) {
                    Mask(index, ParameterXferItemKind::Status, word, m_converter.StatusCodeMask(word, m_head.fcuAddress));
                } else {
                    Codes(index, ParameterXferItemKind::Status, word, m_converter.StatusCodes(word, m_head.fcuAddress));
                }
                break;
            case kIndexAlarm:
                if constexpr (ParameterXferWordMaskSink<Sink>) {
                    Mask(index, ParameterXferItemKind::Alarm, word, m_converter.AlarmCodeMask(word, m_head.fcuAddress));
                } else {
                    Codes(index, ParameterXferItemKind::Alarm, word, m_converter.AlarmCodes(word, m_head.fcuAddress));
                }
                break;
            case kIndexPosition: Value(index, ParameterXferItemKind::Position, value); break;
            default: break;
        }
    }

    void MasterStationItem(int index, std::uint8_t first, std::uint8_t second) {
        switch (index) {
            case kIndexSystemStatus: {
                const auto word = static_cast<std::uint16_t>(first * 256 + second);
                if constexpr (ParameterXferWordMaskSink<Sink>) {
                    Mask(index, ParameterXferItemKind::SystemStatus, word, DecodeSystemStatus(first, second).Mask());
                } else {
                    Codes(index, ParameterXferItemKind::SystemStatus, word, DecodeSystemStatus(first, second));
                }
                break;
            }
            case kIndexLoopFault:
                if (const auto fault = DecodeLoopFault(first)) Value(index, ParameterXferItemKind::LoopFault, *fault);
                break;
            case kIndexLoopBack: Value(index, ParameterXferItemKind::LoopBack, first * 256 + second); break;
            default: break;
        }
    }

    void Codes(int index, ParameterXferItemKind kind, std::uint16_t word, const CFCUCodeList& codes) {
        m_stopped = m_sink.OnWord(m_head, index, kind, word, codes);
        if (m_stopped || codes.Empty()) return;  // a block without items is dropped
        m_stopped = m_sink.OnCodes(m_head, index, kind, codes);
    }

    void Mask(int index, ParameterXferItemKind kind, std::uint16_t word, std::uint32_t mask) {
        m_stopped = m_sink.OnWordMask(m_head, index, kind, word, mask);
    }

    void Value(int index, ParameterXferItemKind kind, int value) {
        m_stopped = m_sink.OnValue(m_head, index, kind, value);
    }

    const CRecordToParameterXferConverter& m_converter;
    std::span<const std::uint8_t> m_tail;
    Sink& m_sink;
    ParameterXferPacketHead m_head;
    bool m_stopped = false;
};

}  // namespace parameter_xfer

// See CRecordToParameterXferConverter::WalkMessageBytes; Sink has the members of IParameterXferItemSink.
template <class Sink>
bool WalkParameterXferBytes(const CRecordToParameterXferConverter& converter, std::span<const std::uint8_t> bytes,
                            Sink& sink) {
    using parameter_xfer::BE16;
    if (bytes.size() < 3) return false;  // not even the length field: no packets
    const int announced = BE16(&bytes[1]);
    std::size_t offset = 3;
    int walked = 0;
    while (walked < announced) {
        if (offset >= bytes.size()) break;  // L promises more bytes than the message holds
        const int length = bytes[offset];
        if (length == 0) break;                                               // a zero length would never advance
        if (offset + static_cast<std::size_t>(length) > bytes.size()) break;  // the packet runs past the end
        parameter_xfer::CPacketDecoder<Sink> decoder(converter, bytes.subspan(offset), length, sink);
        if (decoder.Decode()) return true;
        walked += length;
        offset += static_cast<std::size_t>(length);
    }
    return false;
}

}  // namespace vyx
