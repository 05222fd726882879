#pragma once
// Record filters answered from the record's own fields, plus the Modbus write-multiple walks.

#include <cstdint>
#include <memory>

#include "decode/FCU.h"
#include "filter/FilterCriteria.h"

namespace vyx {

class CRecordToParameterXferConverter;

class CFilterChannel : public CFilterCriteria {
public:
    explicit CFilterChannel(std::int32_t channel) : m_nChannel(channel) {}
    int Test(const CRecord& record) const override;
    HeadAnswer TestHead(const CRecordHead& head) const override;
    std::int32_t Channel() const { return m_nChannel; }

private:
    std::int32_t m_nChannel;
};

class CFilterMessage : public CFilterCriteria {
public:
    explicit CFilterMessage(std::int32_t messageMode) : m_nMessageMode(messageMode) {}
    int Test(const CRecord& record) const override;
    HeadAnswer TestHead(const CRecordHead& head) const override;
    std::int32_t MessageMode() const { return m_nMessageMode; }

private:
    std::int32_t m_nMessageMode;
};

// Both ends included, compared as unsigned seconds.
class CFilterDateTime : public CFilterCriteria {
public:
    CFilterDateTime(std::uint32_t end, std::uint32_t start) : m_nEnd(end), m_nStart(start) {}
    int Test(const CRecord& record) const override;
    HeadAnswer TestHead(const CRecordHead& head) const override;
    bool TestHeadNeedsTime() const override { return true; }
    std::uint32_t Start() const { return m_nStart; }
    std::uint32_t End() const { return m_nEnd; }

private:
    std::uint32_t m_nEnd;
    std::uint32_t m_nStart;
};

// A command, to any FCU. A Modbus write-multiple record matches when any of its items carries the command.
// The filters that expand write-multiple requests carry the Modbus base address of the load they serve.
class CFilterCommand : public CFilterCriteria {
public:
    CFilterCommand(std::int32_t command, std::uint8_t modbusBaseAddress)
        : m_nCommand(command), m_modbusBaseAddress(modbusBaseAddress) {}
    int Test(const CRecord& record) const override;
    HeadAnswer TestHead(const CRecordHead& head) const override;
    std::int32_t Command() const { return m_nCommand; }

private:
    std::int32_t m_nCommand;
    std::uint8_t m_modbusBaseAddress;
};

// A command to one FCU. A Modbus write-multiple record matches when one of its items carries the command
// for the FCU and none of its items is a system-wide command.
class CFilterCommandnFCUAddress : public CFilterCriteria {
public:
    CFilterCommandnFCUAddress(std::int32_t command, std::int32_t fcu, std::uint8_t modbusBaseAddress)
        : m_nCommand(command), m_nFCU(fcu), m_modbusBaseAddress(modbusBaseAddress) {}
    int Test(const CRecord& record) const override;
    HeadAnswer TestHead(const CRecordHead& head) const override;
    std::int32_t Command() const { return m_nCommand; }
    std::int32_t FCU() const { return m_nFCU; }

private:
    std::int32_t m_nCommand;
    std::int32_t m_nFCU;
    std::uint8_t m_modbusBaseAddress;
};

// Anything addressed to one FCU: the record's FCU, an FCU packet of a block transfer, or an item of a
// Modbus write-multiple request.
class CFilterFCUAddress : public CFilterCriteria {
public:
    CFilterFCUAddress(std::int32_t fcu, const FCUConfigurationList& configuration, std::uint8_t modbusBaseAddress);
    ~CFilterFCUAddress() override;
    int Test(const CRecord& record) const override;
    HeadAnswer TestHead(const CRecordHead& head) const override;
    std::int32_t FCU() const { return m_nFCU; }

private:
    std::int32_t m_nFCU;
    std::uint8_t m_modbusBaseAddress;
    FCUConfigurationList m_fcuInfo;
    std::unique_ptr<CRecordToParameterXferConverter> m_pConverter;
};

// True for the commands that address the whole system (Global ESD Trigger, Change Master, System
// reconfiguration, System / Comms Alarm accept, Start FCU Data Upload).
bool IsSystemWideCommand(std::int32_t command);

}  // namespace vyx
