#include "logdata/Parse.h"

#include <optional>

#include "logdata/RecordBytes.h"

namespace vyx {
namespace {

// Record bytes with bounds: a byte past the end is absent, never read.
class Bytes {
public:
    Bytes(const std::uint8_t* data, int n) : m_data(data), m_n(n < 0 ? 0 : n) {}
    bool Has(int index) const { return index >= 0 && index < m_n; }
    bool HasRange(int first, int last) const { return Has(first) && Has(last); }
    int At(int index) const { return m_data[index]; }
    int BE16(int index) const { return At(index) * 256 + At(index + 1); }

private:
    const std::uint8_t* m_data;
    int m_n;
};

struct Mapped {
    int command;
    int fcu;
};

// Registers of the Generic and Brennmark Kedra maps; FCU before the slave-address shift.
Mapped MapGenericRegister(int r) {
    switch (r) {
    case 3: return {kCmdSystemReconfiguration, 0};
    case 4: return {kCmdChangeMaster, 0};
    case 5: return {kCmdAlarmAccept, 0};
    case 6: return {kCmdGlobalESDTrigger, 0};
    case 255: return {kCmdStartFCUDataUpload, 0};
    default: break;
    }
    struct Range {
        int first;
        int command;
    };
    static constexpr Range kRanges[] = {
        {2716, kCmdPosition}, {2776, kCmdMIT},  {2836, kCmdDeadband}, {2896, kCmdHysteresis},
        {3196, kCmdOpen},     {3256, kCmdStop}, {3316, kCmdClose},    {3376, kCmdESD},
        {5536, kCmdAnalogueOutput1}, {5596, kCmdCal0}, {5656, kCmdCal100},
    };
    for (const Range& range : kRanges) {
        if (r >= range.first && r < range.first + 60) return {range.command, r - (range.first - 1)};
    }
    return {kCmdNone, 0};
}

Mapped MapYokogawaCoil(int r) {
    switch (r) {
    case 0: return {kCmdGlobalESDTrigger, 0};
    case 14: return {kCmdChangeMaster, 0};
    case 15: return {kCmdSystemReconfiguration, 0};
    case 31: return {kCmdAlarmAccept, 0};
    default: break;
    }
    if (r >= 32 && r <= 511) {
        return (r % 2 != 0) ? Mapped{kCmdOpen, (r - 31) / 2} : Mapped{kCmdClose, (r - 30) / 2};
    }
    if (r >= 512 && r <= 751) return {kCmdOpen, r - 511};
    if (r >= 752 && r <= 991) return {kCmdStop, r - 751};
    if (r >= 992 && r <= 1231) return {kCmdClose, r - 991};
    if (r >= 1232 && r <= 1471) return {kCmdESD, r - 1231};
    return {kCmdNone, 0};
}

Mapped MapYokogawaRegister(int r) {
    if (r < 240) return {kCmdPosition, r + 1};
    if (r <= 479) return {kCmdAnalogueOutput, r - 239};
    return {kCmdNone, 0};
}

void DecodeHalvik(const Bytes& b, CRecord& rec) {
    rec.m_bCommandValid = 1;
    if (b.HasRange(7, 8)) {
        rec.m_nFCU = b.BE16(7);
        rec.m_bFCUValid = (rec.m_nFCU >= 1 && rec.m_nFCU <= 300) ? 1 : 0;
    }
    if (!b.Has(12) || b.At(12) <= 3 || !b.Has(13)) return;  // command stays 19
    if (b.At(12) - b.At(13) != 2) {
        rec.m_bMultipleFCU = 1;
        rec.m_bFCUValid = 1;
        return;
    }
    if (!b.Has(16) || b.At(16) != 2 || !b.Has(17)) return;
    std::optional<int> value;
    if (b.At(17) == 0x11 && b.Has(18)) value = b.At(18);
    else if (b.At(17) == 0 && b.HasRange(18, 19)) value = b.BE16(18);
    rec.m_nCommand = value ? CommandFromBitMap(*value) : kCmdNone;
}

void DecodeM7Idle(const Bytes& b, CRecord& rec) {
    rec.m_bCommandValid = 1;
    if (b.HasRange(7, 8)) rec.m_nFCU = b.BE16(7);
    if (b.Has(18) && b.At(12) > 3 && b.At(16) == 2 && b.At(17) == 0x11) {
        rec.m_nCommand = CommandFromBitMap(b.At(18));
    }
}

void DecodeModbus(const Bytes& b, std::uint8_t base, CRecord& rec) {
    if (!b.HasRange(6, 11)) return;  // too short to hold a request head: nothing decoded
    const int slave = b.At(6);
    const int function = b.At(7);
    const int reg = b.BE16(8);
    const int quantity = b.BE16(10);
    const int db = rec.m_nDatabaseType;

    if (db >= 0 && db <= 3 && (function == 15 || function == 16) && quantity > 1) {
        rec.m_bMultipleFCU = 1;
        rec.m_nCommand = kCmdNone;
        rec.m_nFCU = 0;
        rec.m_bFCUValid = 1;
        return;
    }

    Mapped found{kCmdNone, 0};
    if (db == 0 || db == 1) {
        if (function == 5 || function == 6 || function == 15 || function == 16) {
            found = MapGenericRegister(reg);
        }
        const int shift = slave - static_cast<int>(base);
        if (shift >= 0 && shift <= 3) found.fcu += 60 * shift;
        else found.fcu = 0;
    } else if (db == 2 || db == 3) {
        if (function == 5 || function == 15) found = MapYokogawaCoil(reg);
        else if (function == 6 || function == 16) found = MapYokogawaRegister(reg);
    }
    rec.m_nFCU = found.fcu;
    rec.m_nCommand = found.command;
    rec.m_bFCUValid = (found.fcu >= 1 && found.fcu <= 240) ? 1 : 0;
    switch (found.command) {
    case kCmdOpen: case kCmdClose: case kCmdStop: case kCmdESD: case kCmdPosition:
        rec.m_bCommandValid = 1;
        break;
    default:
        rec.m_bCommandValid = 0;
    }
}

}  // namespace

int DatabaseTypeFromCode(int code) { return (code >= 1 && code <= 4) ? code - 1 : kDatabaseNone; }

int SourceFromNibble(int nibble) {
    if (nibble >= 0 && nibble <= 6) return nibble;
    if (nibble >= 0xA && nibble <= 0xC) return nibble - 3;
    return kSourceUnidentified;
}

int CommandFromBitMap(int value) {
    switch (value) {
    case 1: return kCmdOpen;
    case 2: return kCmdClose;
    case 4: return kCmdStop;
    case 8: return kCmdESD;
    case 16: return kCmdPStroke;
    case 32: return kCmdPosena;
    default: return kCmdNone;
    }
}

void CParse::Parse(const std::uint8_t* bytes, int n, CRecord& rec) const {
    rec.Reset();
    const Bytes b(bytes, n);

    if (b.Has(4)) {
        const CRecordHead head = ParseHead(bytes);
        rec.m_nTime = head.m_nTime;
        rec.m_nChannel = head.m_nChannel;
        rec.m_nMessageMode = head.m_nMessageMode;
    } else if (b.HasRange(0, 3)) {
        rec.m_nTime = (static_cast<std::uint32_t>(b.At(0)) << 24) | (static_cast<std::uint32_t>(b.At(1)) << 16) |
                      (static_cast<std::uint32_t>(b.At(2)) << 8) | static_cast<std::uint32_t>(b.At(3));
    }
    if (b.Has(5)) rec.m_nDatabaseType = DatabaseTypeFromCode(b.At(5));

    if (MessageLengthOf(n) > 0) {
        rec.m_nDataLength = MessageLengthOf(n);
        rec.m_pData.assign(bytes + kMessageFirstByte, bytes + kMessageFirstByte + rec.m_nDataLength);
    }

    switch (rec.m_nMessageMode) {
    case kModeHalvikCommonProtocol: DecodeHalvik(b, rec); break;
    case kModeM7Idle: DecodeM7Idle(b, rec); break;
    case kModeModbus: DecodeModbus(b, m_nModbusBaseAddress, rec); break;
    default: break;
    }

    if (b.Has(n - 5)) {
        rec.m_nSource = SourceOf(bytes, n);
        rec.m_bSourceValid = 1;
    }
}

}  // namespace vyx
