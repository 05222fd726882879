#include "decode/ParameterBlockXferFormatObjIterator.h"

#include <charconv>
#include <string_view>

#include "decode/FCUStatusCatalogue.h"
#include "decode/FCUType.h"
#include "decode/FormatRecord.h"
#include "decode/MasterStationCatalogue.h"
#include "decode/ParameterBlockXferMessage.h"

namespace vyx {
namespace {

bool IsFCUPacket(int type) {
    return type == kPacketTypeFCUParameterList || type == kPacketTypeFCURegisterRun;
}

template <typename Item>
const Item* As(const IParameterBlockXferCustomData* item) {
    return dynamic_cast<const Item*>(item);
}

void SetNumber(std::string& text, long long value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.assign(buffer, result.ptr);
}

// The item's kind and value, from its class.
bool KindOf(const IParameterBlockXferCustomData* item, ParameterXferItemKind& kind, int& value) {
    if (const auto* status = As<CParameterBlockXferStatusData>(item)) {
        kind = ParameterXferItemKind::Status;
        value = status->GetValue();
    } else if (const auto* alarm = As<CParameterBlockXferAlarmData>(item)) {
        kind = ParameterXferItemKind::Alarm;
        value = alarm->GetValue();
    } else if (const auto* position = As<CParameterBlockXferPositionData>(item)) {
        kind = ParameterXferItemKind::Position;
        value = position->GetValue();
    } else if (const auto* type = As<CParameterBlockXferFCUTypeData>(item)) {
        kind = ParameterXferItemKind::FCUType;
        value = type->GetValue();
    } else if (const auto* system = As<CParameterBlockXferSysemStatusAlarmData>(item)) {
        kind = ParameterXferItemKind::SystemStatus;
        value = system->GetValue();
    } else if (const auto* fault = As<CParameterBlockXferLoopFaultData>(item)) {
        kind = ParameterXferItemKind::LoopFault;
        value = fault->GetValue();
    } else if (const auto* loopBack = As<CParameterBlockXferFCULoopBackData>(item)) {
        kind = ParameterXferItemKind::LoopBack;
        value = loopBack->GetValue();
    } else {
        return false;
    }
    return true;
}

void SetDetail(std::string& text, int packetType, int block, int parameter, const IParameterBlockXferCustomData* item) {
    ParameterXferItemKind kind{};
    int value = 0;
    text.clear();
    if (KindOf(item, kind, value)) {
        AppendDetailText(text, packetType, block, parameter, kind, value);
    } else {
        text.assign(kNoDetail);
    }
}

}  // namespace

std::string_view InformationText(int packetType, int block, int parameter) {
    if (IsFCUPacket(packetType) && parameter == 0) {
        switch (block) {
            case 0: return "FCU Type Data";
            case 2: return "Status Data";
            case 3: return "Alarm Data";
            case 4: return "Valve Position";
            default: return {};
        }
    }
    if (packetType == kPacketTypeMasterStation) {
        if (block == 0 && parameter == 0) return "System Status and Alarm";
        if (block == 0 && parameter == 4) return "Loop Fault Information";
        if (block == 31 && parameter == 4) return "FCU Loop Back Data";
    }
    return {};
}

void AppendBlockParameterText(std::string& out, int block, int parameter) {
    out += "Block ";
    out += std::to_string(block);
    out += " Parameter ";
    out += std::to_string(parameter);
}

void AppendLoopBackDetailText(std::string& out, unsigned word) {
    out += "FCU Addr:- ";
    out += std::to_string(word >> 8);
    out += ',';
    out += std::to_string(word & 0xFF);
}

// Column 4: the item's meaning when its block and kind have a row in the table, else "NA". An empty text
// from a catalogue (a value outside its codes) also leaves "NA".
void AppendDetailText(std::string& out, int packetType, int block, int parameter, ParameterXferItemKind kind,
                      int value) {
    using Kind = ParameterXferItemKind;
    std::string_view detail;
    if (IsFCUPacket(packetType) && parameter == 0) {
        if (block == 0 && kind == Kind::FCUType) {
            detail = FCUTypeDetailText(value);
        } else if (block == 2 && kind == Kind::Status) {
            detail = StatusDetailText(value);
        } else if (block == 3 && kind == Kind::Alarm) {
            detail = AlarmDetailText(value);
        } else if (block == 4 && kind == Kind::Position) {
            out += FormatValvePosition(value);
            return;
        }
    } else if (packetType == kPacketTypeMasterStation) {
        if (block == 0 && parameter == 0 && kind == Kind::SystemStatus) {
            detail = SystemStatusDetailText(value);
        } else if (block == 0 && parameter == 4 && kind == Kind::LoopFault) {
            detail = LoopFaultDetailText(value);
        } else if (block == 31 && parameter == 4 && kind == Kind::LoopBack) {
            AppendLoopBackDetailText(out, static_cast<unsigned>(value));
            return;
        }
    }
    out += detail.empty() ? kNoDetail : detail;
}

std::string FormatValvePosition(std::int32_t rawValue) {
    // The logger's arithmetic: an unsigned 32-bit product, an extended-precision quotient, a float result.
    const std::uint32_t scaled = static_cast<std::uint32_t>(rawValue) * 100u;
    const long double quotient = static_cast<long double>(scaled) / 255.0L;
    const auto percent = static_cast<float>(quotient);
    char buffer[48];
    // Fixed notation without the locale: a decimal comma must never appear here.
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(percent), std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}

CParameterBlockXferFormatObjIterator::CParameterBlockXferFormatObjIterator(const IParameterBlockXferMessage* message)
    : m_pMessage(message), m_pRow(std::make_unique<CParameterBlockXferFormatObj>()) {}

bool CParameterBlockXferFormatObjIterator::IsValid() const {
    if (m_pMessage == nullptr) return false;
    const IParameterBlockXferPacket* packet = m_pMessage->GetPacket(m_nPacket);
    if (packet == nullptr) return false;
    const IParameterBlockXferBlock* block = packet->GetBlock(m_nBlock);
    if (block == nullptr) return false;
    return m_nItem >= 0 && m_nItem < block->GetCustomDataCount();
}

bool CParameterBlockXferFormatObjIterator::Next() {
    if (m_pMessage == nullptr) return false;
    const int packets = m_pMessage->GetPacketCount();
    if (m_nPacket == -1 && m_nBlock == -1 && m_nItem == -1) {
        m_nPacket = m_nBlock = m_nItem = 0;
    } else {
        if (m_nPacket >= packets) return false;  // already past the last item: stay there
        ++m_nItem;
    }
    int corrections = 0;
    while (!IsValid() && corrections < 3) {
        if (m_nPacket >= 0 && m_nPacket < packets) {
            if (m_nBlock < m_pMessage->GetPacket(m_nPacket)->GetBlockCount()) {
                ++m_nBlock;  // the item index ran past the block's items
            } else {
                ++m_nPacket;  // the block index ran past the packet's blocks
                m_nBlock = 0;
            }
            m_nItem = 0;
        }
        ++corrections;
    }
    return corrections < 3 && IsValid();
}

int CParameterBlockXferFormatObjIterator::GetRowCount() const {
    if (m_pMessage == nullptr) return 0;
    int rows = 0;
    for (int p = 0; p < m_pMessage->GetPacketCount(); ++p) {
        const IParameterBlockXferPacket* packet = m_pMessage->GetPacket(p);
        for (int b = 0; b < packet->GetBlockCount(); ++b) rows += packet->GetBlock(b)->GetCustomDataCount();
    }
    return rows;
}

const IParameterBlockXferFormatObj* CParameterBlockXferFormatObjIterator::Current() {
    if (!IsValid()) return nullptr;
    FillRow();
    return m_pRow.get();
}

void CParameterBlockXferFormatObjIterator::FillRow() {
    const IParameterBlockXferPacket* packet = m_pMessage->GetPacket(m_nPacket);
    const IParameterBlockXferBlock* block = packet->GetBlock(m_nBlock);
    const IParameterBlockXferCustomData* item = block->GetCustomData(m_nItem);
    CParameterBlockXferFormatObj& row = *m_pRow;
    const int type = packet->GetType();

    // The packet's first row names it and shows its bytes; every row of a packet shows the packet's FCU.
    if (m_nBlock == 0 && m_nItem == 0) {
        SetNumber(row.GetTextRef(kColumnNumber), m_nPacket + 1);
        row.GetTextRef(kColumnPacket) =
            FormatHexBytes(packet->GetData(), static_cast<std::size_t>(packet->GetLength()));
    } else {
        row.GetTextRef(kColumnNumber).clear();
        row.GetTextRef(kColumnPacket).clear();
    }
    if (const auto* withFCU = AsPacketWithFCU(packet)) {
        SetNumber(row.GetTextRef(kColumnFCU), withFCU->m_nFCUAddress);
    } else {
        row.GetTextRef(kColumnFCU).assign(kNoFCUText);
    }

    // The block's first row names the block.
    const int blockNumber = block->GetBlockNumber();
    const int parameterNumber = block->GetParameterNumber();
    if (m_nItem == 0) {
        std::string& name = row.GetTextRef(kColumnBlockParameter);
        name.clear();
        AppendBlockParameterText(name, blockNumber, parameterNumber);
        row.GetTextRef(kColumnInformation).assign(InformationText(type, blockNumber, parameterNumber));
    } else {
        row.GetTextRef(kColumnBlockParameter).clear();
        row.GetTextRef(kColumnInformation).clear();
    }

    SetDetail(row.GetTextRef(kColumnDetail), type, blockNumber, parameterNumber, item);
}

}  // namespace vyx
