#pragma once
// The row texts of one Modbus multiple item: its sequence, command and FCU.

#include <cstdint>
#include <string>

namespace vyx {

class IFormatModbusMultipleData {
public:
    virtual void Init(std::int32_t sequence, std::int16_t fcu, std::int32_t command) = 0;
    // The command's name; 19 gives "Unidentified Command", a code outside 0..19 the empty text.
    virtual std::string GetCommandText() const = 0;
    // "NA" for the system-wide commands 7, 8, 9, 10 and 12; otherwise the FCU in decimal when it lies in
    // 1..240, else "Invalid".
    virtual std::string GetFCUText() const = 0;
    virtual std::int32_t GetSequence() const = 0;
    virtual ~IFormatModbusMultipleData() = default;
};

class CFormatModbusMultipleData : public IFormatModbusMultipleData {
public:
    void Init(std::int32_t sequence, std::int16_t fcu, std::int32_t command) override;
    std::string GetCommandText() const override;
    std::string GetFCUText() const override;
    std::int32_t GetSequence() const override { return m_nSequence; }

private:
    std::int32_t m_nSequence = 0;
    std::int16_t m_nFCU = 0;
    std::int32_t m_nCommand = 19;
};

}  // namespace vyx
