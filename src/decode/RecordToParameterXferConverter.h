#pragma once
// Turns the message bytes of a Parameter Block Transfer record into its packets, blocks and items.

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "decode/FCU.h"
#include "decode/ParameterBlockXferMessage.h"
#include "decode/ParameterBlockXferParseData.h"
#include "decode/ParameterXferItemSink.h"
#include "logdata/Record.h"

namespace vyx {

class IRecordToParameterXferConverter {
public:
    // A new message for a record of message mode 5 (possibly without packets), null for any other record.
    virtual std::unique_ptr<IParameterBlockXferMessage> Convert(const CRecord& record) const = 0;
    virtual ~IRecordToParameterXferConverter() = default;
};

// Holds its own copy of the FCU configuration list and keeps no other state, so one converter may serve any
// number of threads at once.
class CRecordToParameterXferConverter : public IRecordToParameterXferConverter {
public:
    explicit CRecordToParameterXferConverter(FCUConfigurationList configuration = {});

    std::unique_ptr<IParameterBlockXferMessage> Convert(const CRecord& record) const override;

    // Decodes message bytes the way Convert decodes those of a mode-5 record. Never reads outside the bytes:
    // decoding stops at a packet length of 0, at the end of the bytes, and before a packet that runs past
    // them; an entry that runs past them ends its packet.
    std::unique_ptr<IParameterBlockXferMessage> ConvertMessageBytes(std::span<const std::uint8_t> bytes) const;

    // The same decoding reported block by block to a sink, building nothing: exactly the blocks (in the same
    // order, with the same items) that Convert would put into its tree. Returns true when the sink ended the
    // walk early. Walk reports nothing for a record of another message mode.
    bool Walk(const CRecord& record, IParameterXferItemSink& sink) const;
    bool WalkMessageBytes(std::span<const std::uint8_t> bytes, IParameterXferItemSink& sink) const;

    const FCUConfigurationList& Configuration() const { return m_configuration; }
    // FCU type used for the status words of an FCU address: the LAST configuration entry with that number.
    int StatusTypeOf(int fcuAddress) const;
    // FCU type used for the alarm words of an FCU address: the FIRST configuration entry with that number.
    int AlarmTypeOf(int fcuAddress) const;
    // The codes of a status or alarm word of an FCU address, decoded for the type above.
    CFCUCodeList StatusCodes(std::uint16_t word, int fcuAddress) const {
        return m_statusParser.Parse(word, StatusTypeOf(fcuAddress));
    }
    CFCUCodeList AlarmCodes(std::uint16_t word, int fcuAddress) const {
        return m_alarmParser.Parse(word, AlarmTypeOf(fcuAddress));
    }
    // The same codes as masks (bit c for code c).
    std::uint32_t StatusCodeMask(std::uint16_t word, int fcuAddress) const {
        return vyx::StatusCodeMask(word, StatusTypeOf(fcuAddress));
    }
    std::uint32_t AlarmCodeMask(std::uint16_t word, int fcuAddress) const {
        return vyx::AlarmCodeMask(word, AlarmTypeOf(fcuAddress));
    }

private:
    FCUConfigurationList m_configuration;
    CParameterBlockXferParseStatusData m_statusParser;
    CParameterBlockXferParseAlarmData m_alarmParser;
    // The two look-ups above, done once for every address a packet can carry (one byte).
    std::array<std::uint8_t, 256> m_statusType{};
    std::array<std::uint8_t, 256> m_alarmType{};
};

}  // namespace vyx
