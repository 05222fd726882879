#pragma once
// Record filters that look into the packets of a Parameter Block Transfer: FCU status and alarm codes and the
// master station's system status and loop faults. Each owns its copy of the FCU configuration list and its own
// converter, so it stays valid when the main window moves on to another folder.

#include <cstdint>
#include <memory>

#include "decode/FCU.h"
#include "decode/RecordToParameterXferConverter.h"
#include "filter/FilterCriteria.h"

namespace vyx {

class CFilterParameterBlockXfer : public CFilterCriteria {
public:
    explicit CFilterParameterBlockXfer(const FCUConfigurationList& configuration);
    ~CFilterParameterBlockXfer() override;
    // Only block transfers can match.
    HeadAnswer TestHead(const CRecordHead& head) const override;

protected:
    const CRecordToParameterXferConverter& Converter() const { return *m_pConverter; }

private:
    FCUConfigurationList m_fcuInfo;
    std::unique_ptr<CRecordToParameterXferConverter> m_pConverter;
};

// FCU 1..300 names one FCU; any other value means all FCUs.
class CFilterParameterBlockXferWithFCU : public CFilterParameterBlockXfer {
public:
    CFilterParameterBlockXferWithFCU(std::int16_t fcu, const FCUConfigurationList& configuration)
        : CFilterParameterBlockXfer(configuration), m_nFCU(fcu) {}
    // A Parameter Block Transfer with an FCU packet for this FCU (any FCU packet when all FCUs are meant).
    int Test(const CRecord& record) const override;
    std::int16_t FCU() const { return m_nFCU; }
    bool NamesOneFCU() const { return m_nFCU >= 1 && m_nFCU <= 300; }

private:
    std::int16_t m_nFCU;
};

class CFilterStatusData : public CFilterParameterBlockXferWithFCU {
public:
    CFilterStatusData(std::int16_t fcu, std::int32_t status, const FCUConfigurationList& configuration)
        : CFilterParameterBlockXferWithFCU(fcu, configuration), m_nStatus(status) {}
    int Test(const CRecord& record) const override;
    std::int32_t Status() const { return m_nStatus; }

private:
    std::int32_t m_nStatus;
};

class CFilterAlarmData : public CFilterParameterBlockXferWithFCU {
public:
    CFilterAlarmData(std::int16_t fcu, std::int32_t alarm, const FCUConfigurationList& configuration)
        : CFilterParameterBlockXferWithFCU(fcu, configuration), m_nAlarm(alarm) {}
    int Test(const CRecord& record) const override;
    std::int32_t Alarm() const { return m_nAlarm; }

private:
    std::int32_t m_nAlarm;
};

// For one FCU: any FCU packet for it. For all FCUs: any status or alarm item in an FCU packet.
class CFilterAllStatusAndAlarmData : public CFilterParameterBlockXferWithFCU {
public:
    using CFilterParameterBlockXferWithFCU::CFilterParameterBlockXferWithFCU;
    int Test(const CRecord& record) const override;
};

// A master station condition. It belongs to no FCU, so naming an FCU matches nothing.
class CFilterSystemStatusAndAlarm : public CFilterParameterBlockXfer {
public:
    CFilterSystemStatusAndAlarm(std::int32_t systemStatus, std::int16_t fcu, const FCUConfigurationList& configuration)
        : CFilterParameterBlockXfer(configuration), m_nSystemStatus(systemStatus), m_nFCU(fcu) {}
    int Test(const CRecord& record) const override;
    HeadAnswer TestHead(const CRecordHead& head) const override;
    std::int32_t SystemStatus() const { return m_nSystemStatus; }
    std::int16_t FCU() const { return m_nFCU; }

private:
    std::int32_t m_nSystemStatus;
    std::int16_t m_nFCU;
};

class CFilterLoopFaultData : public CFilterParameterBlockXfer {
public:
    CFilterLoopFaultData(std::int32_t loopFault, const FCUConfigurationList& configuration)
        : CFilterParameterBlockXfer(configuration), m_nLoopFault(loopFault) {}
    int Test(const CRecord& record) const override;
    std::int32_t LoopFault() const { return m_nLoopFault; }

private:
    std::int32_t m_nLoopFault;
};

}  // namespace vyx
