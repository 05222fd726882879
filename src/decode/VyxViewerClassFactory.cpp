#include "decode/VyxViewerClassFactory.h"

namespace vyx {

CVyxViewerClassFactory& CVyxViewerClassFactory::Instance() {
    static CVyxViewerClassFactory instance;
    return instance;
}

void CVyxViewerClassFactory::SetModbusAddress(std::uint8_t address) {
    m_modbusAddress.store(address, std::memory_order_release);
}

std::unique_ptr<CRecordToModbusMultipleConverter> CVyxViewerClassFactory::CreateModbusMultipleConverter() const {
    return std::make_unique<CRecordToModbusMultipleConverter>(GetModbusAddress());
}

std::unique_ptr<CParse> CVyxViewerClassFactory::CreateParse() const {
    return std::make_unique<CParse>(GetModbusAddress());
}

std::uint8_t ModbusAddressForLoad(std::uint8_t typedAddress) {
    CVyxViewerClassFactory& factory = CVyxViewerClassFactory::Instance();
    factory.SetModbusAddress(typedAddress);
    return factory.GetModbusAddress();
}

}  // namespace vyx
