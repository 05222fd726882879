#include "decode/RecordToParameterXferConverter.h"

#include <algorithm>

#include "decode/FCUType.h"
#include "decode/MasterStationCatalogue.h"

namespace vyx {
namespace {

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

int BE16(const std::uint8_t* p) {
    return p[0] * 256 + p[1];
}

}  // namespace

// Builds one packet. The packet object and each block are made only once something goes into them, so
// packets and blocks that would be dropped as empty cost no allocation.
class CRecordToParameterXferConverter::CPacketDecoder {
public:
    // tail: the message bytes from the packet's first byte to the end of the message; length: the packet's n.
    CPacketDecoder(const CRecordToParameterXferConverter& converter, std::span<const std::uint8_t> tail, int length)
        : m_converter(converter), m_tail(tail), m_length(length) {}

    std::unique_ptr<IParameterBlockXferPacket> Decode() {
        // No kind has an entry in a packet of 3 bytes or fewer, so such a packet always ends up empty.
        if (m_length <= 3) return nullptr;
        switch (m_tail[1]) {
            case kKindFCUParameterList: DecodeParameterList(); break;
            case kKindFCURegisterRun: DecodeRegisterRun(); break;
            case kKindMasterStation: DecodeMasterStation(); break;
            default: break;
        }
        return std::move(m_packet);
    }

private:
    // Entries are counted from the packet length as the logger does, which lets the last entry of a packet
    // whose length is not a whole number of entries take its bytes from what follows the packet. Those bytes
    // are read only while they lie inside the message.
    bool Fits(int offset, int width) const { return static_cast<std::size_t>(offset + width) <= m_tail.size(); }

    void DecodeParameterList() {
        m_fcuAddress = m_tail[2];
        m_packetType = kPacketTypeFCUParameterList;
        const int entries = (m_length - 4) / 3 + 1;
        m_blockHint = std::min(entries, 8);
        for (int j = 0; j < entries; ++j) {
            const int offset = 3 + 3 * j;
            if (!Fits(offset, 3)) break;
            FCUValue(m_tail[static_cast<std::size_t>(offset)], BE16(&m_tail[static_cast<std::size_t>(offset) + 1]));
        }
    }

    void DecodeRegisterRun() {
        if (m_length <= 4) return;
        m_fcuAddress = m_tail[2];
        m_packetType = kPacketTypeFCURegisterRun;
        const int first = m_tail[3];
        const int values = (m_length - 5) / 2 + 1;
        m_blockHint = std::min(values, 4);
        for (int k = 0; k < values; ++k) {
            const int offset = 4 + 2 * k;
            if (!Fits(offset, 2)) break;
            // An index past 255 matches no block.
            FCUValue(first + k, BE16(&m_tail[static_cast<std::size_t>(offset)]));
        }
    }

    void DecodeMasterStation() {
        m_packetType = kPacketTypeMasterStation;
        const int first = m_tail[2];
        const int items = (m_length - 4) / 2 + 1;
        m_blockHint = std::min(items, 3);
        for (int k = 0; k < items; ++k) {
            const int offset = 3 + 2 * k;
            if (!Fits(offset, 2)) break;
            MasterStationItem(first + k, m_tail[static_cast<std::size_t>(offset)],
                              m_tail[static_cast<std::size_t>(offset) + 1]);
        }
    }

    void FCUValue(int index, int value) {
        const auto word = static_cast<std::uint16_t>(value);
        switch (index) {
            case kIndexFCUType:
                AddBlock(index, 1).AddCustomData(
                    std::make_unique<CParameterBlockXferFCUTypeData>(FCUTypeIndexFromCode(value)));
                break;
            case kIndexStatus:
                AddCodes<CParameterBlockXferStatusData>(
                    index, m_converter.m_statusParser.Parse(word, m_converter.StatusTypeOf(m_fcuAddress)));
                break;
            case kIndexAlarm:
                AddCodes<CParameterBlockXferAlarmData>(
                    index, m_converter.m_alarmParser.Parse(word, m_converter.AlarmTypeOf(m_fcuAddress)));
                break;
            case kIndexPosition:
                AddBlock(index, 1).AddCustomData(std::make_unique<CParameterBlockXferPositionData>(value));
                break;
            default: break;
        }
    }

    void MasterStationItem(int index, std::uint8_t first, std::uint8_t second) {
        switch (index) {
            case kIndexSystemStatus:
                AddCodes<CParameterBlockXferSysemStatusAlarmData>(index, DecodeSystemStatus(first, second));
                break;
            case kIndexLoopFault:
                if (const auto fault = DecodeLoopFault(first)) {
                    AddBlock(index, 1).AddCustomData(std::make_unique<CParameterBlockXferLoopFaultData>(*fault));
                }
                break;
            case kIndexLoopBack:
                AddBlock(index, 1).AddCustomData(std::make_unique<CParameterBlockXferFCULoopBackData>(
                    static_cast<std::uint16_t>(first * 256 + second)));
                break;
            default: break;
        }
    }

    template <typename Item>
    void AddCodes(int index, const CFCUCodeList& codes) {
        if (codes.Empty()) return;  // a block without items is dropped
        CParameterBlockXferBlock& block = AddBlock(index, codes.Count());
        for (const int code : codes) block.AddCustomData(std::make_unique<Item>(code));
    }

    CParameterBlockXferBlock& AddBlock(int index, int items) {
        if (!m_packet) {
            const auto bytes = m_tail.first(static_cast<std::size_t>(m_length));
            if (m_packetType == kPacketTypeMasterStation) {
                m_packet = std::make_unique<CParameterBlockXferPacket>(m_packetType, bytes);
            } else {
                m_packet = std::make_unique<CParameterBlockXferPacketWithFCU>(m_packetType, bytes, m_fcuAddress);
            }
            m_packet->ReserveBlocks(m_blockHint);
        }
        auto block = std::make_unique<CParameterBlockXferBlock>(index / 8, index % 8);
        block->Reserve(items);
        CParameterBlockXferBlock& added = *block;
        m_packet->AddBlock(std::move(block));
        return added;
    }

    const CRecordToParameterXferConverter& m_converter;
    std::span<const std::uint8_t> m_tail;
    int m_length;
    int m_packetType = 0;
    int m_fcuAddress = 0;
    int m_blockHint = 1;
    std::unique_ptr<CParameterBlockXferPacket> m_packet;
};

CRecordToParameterXferConverter::CRecordToParameterXferConverter(FCUConfigurationList configuration)
    : m_configuration(std::move(configuration)) {
    m_statusType.fill(static_cast<std::uint8_t>(kFCUTypeUnidentified));
    m_alarmType.fill(static_cast<std::uint8_t>(kFCUTypeUnidentified));
    std::array<bool, 256> seen{};
    for (const CFCUExtended& fcu : m_configuration) {
        if (fcu.m_nNumber < 0 || fcu.m_nNumber > 255) continue;  // no packet can carry this address
        const auto address = static_cast<std::size_t>(fcu.m_nNumber);
        const auto type = static_cast<std::uint8_t>(
            (fcu.m_nType >= 0 && fcu.m_nType <= kFCUTypeUnidentified) ? fcu.m_nType : kFCUTypeUnidentified);
        m_statusType[address] = type;  // the last entry wins
        if (!seen[address]) {
            m_alarmType[address] = type;  // the first entry wins
            seen[address] = true;
        }
    }
}

int CRecordToParameterXferConverter::StatusTypeOf(int fcuAddress) const {
    if (fcuAddress < 0 || fcuAddress > 255) return kFCUTypeUnidentified;
    return m_statusType[static_cast<std::size_t>(fcuAddress)];
}

int CRecordToParameterXferConverter::AlarmTypeOf(int fcuAddress) const {
    if (fcuAddress < 0 || fcuAddress > 255) return kFCUTypeUnidentified;
    return m_alarmType[static_cast<std::size_t>(fcuAddress)];
}

std::unique_ptr<IParameterBlockXferMessage> CRecordToParameterXferConverter::Convert(const CRecord& record) const {
    if (record.m_nMessageMode != kModeParameterBlockTransfer) return nullptr;
    const std::size_t count =
        std::min(static_cast<std::size_t>(std::max(record.m_nDataLength, 0)), record.m_pData.size());
    return ConvertMessageBytes(std::span<const std::uint8_t>(record.m_pData.data(), count));
}

std::unique_ptr<IParameterBlockXferMessage> CRecordToParameterXferConverter::ConvertMessageBytes(
    std::span<const std::uint8_t> bytes) const {
    auto message = std::make_unique<CParameterBlockXferMessage>();
    if (bytes.size() < 3) return message;  // not even the length field: no packets
    const int announced = BE16(&bytes[1]);
    std::size_t offset = 3;
    int walked = 0;
    while (walked < announced) {
        if (offset >= bytes.size()) break;  // L promises more bytes than the message holds
        const int length = bytes[offset];
        if (length == 0) break;                                               // a zero length would never advance
        if (offset + static_cast<std::size_t>(length) > bytes.size()) break;  // the packet runs past the end
        CPacketDecoder decoder(*this, bytes.subspan(offset), length);
        if (auto packet = decoder.Decode()) {
            // One list allocation for the usual handful of packets.
            if (message->GetPacketCount() == 0) message->Reserve(4);
            message->AddPacket(std::move(packet));
        }
        walked += length;
        offset += static_cast<std::size_t>(length);
    }
    return message;
}

}  // namespace vyx
