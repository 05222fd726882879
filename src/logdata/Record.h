#pragma once
// One decoded log record.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace vyx {

// Message modes a record's class byte maps to.
enum MessageMode : std::int32_t {
    kModeStartupSequence = 0,
    kModeSetTime = 1,
    kModeM7Idle = 2,
    kModeHalvikCommonProtocol = 3,
    kModeModbus = 4,
    kModeParameterBlockTransfer = 5,
    kModeUnidentified = 7,
};

// Command codes; their display texts belong to the record formatter.
enum CommandCode : std::int32_t {
    kCmdOpen = 0,
    kCmdClose = 1,
    kCmdStop = 2,
    kCmdESD = 3,
    kCmdPStroke = 4,
    kCmdPosena = 5,
    kCmdPosition = 6,
    kCmdGlobalESDTrigger = 7,
    kCmdChangeMaster = 8,
    kCmdSystemReconfiguration = 9,
    kCmdAlarmAccept = 10,
    kCmdAnalogueOutput = 11,
    kCmdStartFCUDataUpload = 12,
    kCmdCal0 = 13,
    kCmdCal100 = 14,
    kCmdMIT = 15,
    kCmdDeadband = 16,
    kCmdHysteresis = 17,
    kCmdAnalogueOutput1 = 18,
    kCmdNone = 19,
};

constexpr std::int32_t kChannelA = 0;
constexpr std::int32_t kChannelB = 1;
constexpr std::int32_t kChannelUnidentified = 2;
constexpr std::int32_t kDatabaseNone = 4;
constexpr std::int32_t kSourceUnidentified = 10;

// Field names follow the logger's record layout. The payload is the record's own copy: copying a
// record copies its payload, so two records never share one.
class CRecord {
public:
    CRecord() = default;
    CRecord(const CRecord&) = default;
    CRecord& operator=(const CRecord&) = default;
    CRecord(CRecord&&) noexcept = default;
    CRecord& operator=(CRecord&&) noexcept = default;
    virtual ~CRecord() = default;

    // Back to the constructor defaults; keeps the payload's capacity for reuse.
    void Reset();

    const std::uint8_t* Data() const { return m_pData.data(); }
    // The message bytes: the payload up to the data length (never past what the payload holds).
    std::span<const std::uint8_t> MessageBytes() const {
        return {m_pData.data(), std::min(static_cast<std::size_t>(std::max(m_nDataLength, 0)), m_pData.size())};
    }

    std::int32_t m_nDataLength = 0;
    std::vector<std::uint8_t> m_pData;
    std::uint32_t m_nTime = 0;
    std::int32_t m_nChannel = kChannelUnidentified;
    std::int32_t m_nMessageMode = kModeUnidentified;
    std::int32_t m_nDatabaseType = kDatabaseNone;
    std::int32_t m_bFCUValid = 0;
    std::int32_t m_nFCU = 0;
    std::int32_t m_bCommandValid = 0;
    std::int32_t m_nCommand = kCmdNone;
    std::int32_t m_bSourceValid = 0;
    std::int32_t m_nSource = kSourceUnidentified;
    std::int32_t m_bMultipleFCU = 0;
};

}  // namespace vyx
