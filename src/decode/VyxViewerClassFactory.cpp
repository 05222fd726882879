#include "decode/VyxViewerClassFactory.h"

namespace vyx {

CVyxViewerClassFactory& CVyxViewerClassFactory::Instance() {
    static CVyxViewerClassFactory instance;
    return instance;
}

void CVyxViewerClassFactory::SetModbusAddress(std::uint8_t address) {
    m_nModbusAddress.store(address, std::memory_order_release);
}

std::unique_ptr<CRecordToModbusMultipleConverter> CVyxViewerClassFactory::CreateModbusMultipleConverter() const {
    return std::make_unique<CRecordToModbusMultipleConverter>(GetModbusAddress());
}

std::unique_ptr<CParse> CVyxViewerClassFactory::CreateParse() const {
    return std::make_unique<CParse>(GetModbusAddress());
}

}  // namespace vyx
