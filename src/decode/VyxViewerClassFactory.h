#pragma once
// The process-wide holder of the Modbus base slave address, and the maker of every record decoder and
// Modbus multiple converter that must carry it.

#include <atomic>
#include <cstdint>
#include <memory>

#include "decode/RecordToModbusMultipleConverter.h"
#include "logdata/Parse.h"

namespace vyx {

class CVyxViewerClassFactory {
public:
    // The one instance of the process.
    static CVyxViewerClassFactory& Instance();

    // Separate instances exist for tests; the program uses Instance().
    CVyxViewerClassFactory() = default;
    CVyxViewerClassFactory(const CVyxViewerClassFactory&) = delete;
    CVyxViewerClassFactory& operator=(const CVyxViewerClassFactory&) = delete;

    // Written by the main window before a load; read by the loading worker while it runs.
    virtual void SetModbusAddress(std::uint8_t address);
    virtual std::unique_ptr<CRecordToModbusMultipleConverter> CreateModbusMultipleConverter() const;
    virtual std::unique_ptr<CParse> CreateParse() const;
    virtual ~CVyxViewerClassFactory() = default;

    std::uint8_t GetModbusAddress() const { return m_modbusAddress.load(std::memory_order_acquire); }

private:
    std::atomic<std::uint8_t> m_modbusAddress{kDefaultModbusBaseAddress};
};

// Sets the process-wide address the filter bar gives a new load and reads it back once: the filters, the
// worker, the record fetch and the detail converters of that load all take this value, never the holder
// again, so no part of one load can use another address.
std::uint8_t ModbusAddressForLoad(std::uint8_t typedAddress);

}  // namespace vyx
