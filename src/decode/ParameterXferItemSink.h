#pragma once
// What a walk over a block-transfer message reports, block by block, without building the object tree.
// The converter builds its tree from these reports; the filters answer their questions from them directly,
// so a test allocates nothing and can stop at the first answer.

#include <cstdint>
#include <span>

#include "decode/FCUCodeList.h"

namespace vyx {

// The item class a block holds.
enum class ParameterXferItemKind { FCUType, Status, Alarm, Position, SystemStatus, LoopFault, LoopBack };

struct ParameterXferPacketHead {
    int type = 0;                         // one of the kPacketType* values
    int fcuAddress = 0;                   // FCU packets only
    std::span<const std::uint8_t> bytes;  // the packet's own bytes
    int blockHint = 1;                    // how many blocks the packet can hold at most (a capacity hint)
    int entryOffset = 0;                  // the entry being reported: its first byte within the packet
    int entryWidth = 0;                   // and its size in bytes
};

class IParameterXferItemSink {
public:
    // Asked before a packet is decoded; a packet not wanted is skipped and reports nothing.
    virtual bool WantsPacket(int /*type*/, int /*fcuAddress*/) const { return true; }
    // Every status, alarm or system-status word as it stands in the packet (a system-status item as its first
    // byte * 256 + second byte), with the codes it decodes to, reported before its block. Also a word that
    // decodes to no code, whose block is dropped: readers that follow a condition over time need the report
    // that clears it. True ends the walk.
    virtual bool OnWord(const ParameterXferPacketHead& /*head*/, int /*index*/, ParameterXferItemKind /*kind*/,
                        std::uint16_t /*word*/, const CFCUCodeList& /*codes*/) {
        return false;
    }
    // A block of status, alarm or system-status codes (never empty). True ends the walk.
    virtual bool OnCodes(const ParameterXferPacketHead& head, int index, ParameterXferItemKind kind,
                         const CFCUCodeList& codes) = 0;
    // A block of one FCU type, position, loop-fault or loop-back value. True ends the walk.
    virtual bool OnValue(const ParameterXferPacketHead& head, int index, ParameterXferItemKind kind, int value) = 0;
    // After the last block of a packet that was walked to its end.
    virtual void OnPacketEnd(const ParameterXferPacketHead& /*head*/) {}

protected:
    ~IParameterXferItemSink() = default;
};

// A sink of a final class walked by WalkParameterXferBytes may take every status, alarm and system-status word
// with its codes as a mask (bit c for code c) instead: it then gets OnWordMask for each, and neither OnWord
// nor OnCodes. The codes are not listed, only looked up.
template <class Sink>
concept ParameterXferWordMaskSink = requires(Sink& sink, const ParameterXferPacketHead& head) {
    { sink.OnWordMask(head, 0, ParameterXferItemKind::Status, std::uint16_t{}, std::uint32_t{}) };
};

}  // namespace vyx
