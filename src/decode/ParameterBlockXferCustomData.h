#pragma once
// The decoded facts of a block transfer, one value each. Users tell them apart by their class.

#include <cstdint>

namespace vyx {

class IParameterBlockXferCustomData {
public:
    // Copies the value of another item of the same class; an item of another class changes nothing.
    virtual void Assign(const IParameterBlockXferCustomData& other) = 0;
    virtual ~IParameterBlockXferCustomData() = default;
};

// The shared body of the item classes: one value of type Value.
template <typename Derived, typename Value>
class CParameterBlockXferValueData : public IParameterBlockXferCustomData {
public:
    using ValueType = Value;

    explicit CParameterBlockXferValueData(Value value = {}) : m_value(value) {}

    void Assign(const IParameterBlockXferCustomData& other) override {
        if (const auto* same = dynamic_cast<const Derived*>(&other)) m_value = same->m_value;
    }
    Value GetValue() const { return m_value; }
    void SetValue(Value value) { m_value = value; }

private:
    Value m_value;
};

// FCU type index 0..14.
class CParameterBlockXferFCUTypeData final
    : public CParameterBlockXferValueData<CParameterBlockXferFCUTypeData, std::int32_t> {
public:
    using CParameterBlockXferValueData::CParameterBlockXferValueData;
};

// Status code 1..28.
class CParameterBlockXferStatusData final
    : public CParameterBlockXferValueData<CParameterBlockXferStatusData, std::int32_t> {
public:
    using CParameterBlockXferValueData::CParameterBlockXferValueData;
};

// Alarm code 1..23.
class CParameterBlockXferAlarmData final
    : public CParameterBlockXferValueData<CParameterBlockXferAlarmData, std::int32_t> {
public:
    using CParameterBlockXferValueData::CParameterBlockXferValueData;
};

// Raw valve position word, 0..65535 (255 is fully open).
class CParameterBlockXferPositionData final
    : public CParameterBlockXferValueData<CParameterBlockXferPositionData, std::int32_t> {
public:
    using CParameterBlockXferValueData::CParameterBlockXferValueData;
};

// Master station system status code 0..5. (The class name's spelling is the program's own.)
class CParameterBlockXferSysemStatusAlarmData final
    : public CParameterBlockXferValueData<CParameterBlockXferSysemStatusAlarmData, std::int32_t> {
public:
    using CParameterBlockXferValueData::CParameterBlockXferValueData;
};

// Loop fault code: 0 open circuit, 1 short circuit.
class CParameterBlockXferLoopFaultData final
    : public CParameterBlockXferValueData<CParameterBlockXferLoopFaultData, std::int32_t> {
public:
    using CParameterBlockXferValueData::CParameterBlockXferValueData;
};

// Loop-back word: high byte and low byte are the two FCU addresses of the loop-back.
class CParameterBlockXferFCULoopBackData final
    : public CParameterBlockXferValueData<CParameterBlockXferFCULoopBackData, std::uint16_t> {
public:
    using CParameterBlockXferValueData::CParameterBlockXferValueData;
};

}  // namespace vyx
