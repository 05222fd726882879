#include "filter/PacketWalk.h"

#include <algorithm>

namespace vyx {
namespace {

bool IsFCUPacketType(int type) {
    return type == kPacketTypeFCUParameterList || type == kPacketTypeFCURegisterRun;
}

// Compared as a signed 16-bit number, as the address is stored.
bool SameFCU(int packetAddress, std::int32_t fcu) {
    return static_cast<std::int16_t>(packetAddress) == fcu;
}

bool HasCode(const CFCUCodeList& codes, std::optional<std::int32_t> code) {
    return !code || std::find(codes.begin(), codes.end(), *code) != codes.end();
}

// Any block at all in an FCU packet for the FCU: a packet exists only when a block went into it.
class CFCUPacketSink final : public IParameterXferItemSink {
public:
    explicit CFCUPacketSink(std::int32_t fcu) : m_fcu(fcu) {}
    bool WantsPacket(int type, int fcuAddress) const override {
        return IsFCUPacketType(type) && SameFCU(fcuAddress, m_fcu);
    }
    bool OnCodes(const ParameterXferPacketHead&, int, ParameterXferItemKind, const CFCUCodeList&) override {
        return true;
    }
    bool OnValue(const ParameterXferPacketHead&, int, ParameterXferItemKind, int) override { return true; }

private:
    std::int32_t m_fcu;
};

class CFCUItemSink final : public IParameterXferItemSink {
public:
    CFCUItemSink(std::optional<std::int32_t> fcu, FCUItemKind kind, std::optional<std::int32_t> code)
        : m_fcu(fcu), m_kind(kind), m_code(code) {}
    bool WantsPacket(int type, int fcuAddress) const override {
        return IsFCUPacketType(type) && (!m_fcu || SameFCU(fcuAddress, *m_fcu));
    }
    bool OnCodes(const ParameterXferPacketHead&, int, ParameterXferItemKind kind, const CFCUCodeList& codes) override {
        const bool wanted = (kind == ParameterXferItemKind::Status && m_kind != FCUItemKind::Alarm) ||
                            (kind == ParameterXferItemKind::Alarm && m_kind != FCUItemKind::Status);
        return wanted && HasCode(codes, m_code);
    }
    bool OnValue(const ParameterXferPacketHead&, int, ParameterXferItemKind, int) override { return false; }

private:
    std::optional<std::int32_t> m_fcu;
    FCUItemKind m_kind;
    std::optional<std::int32_t> m_code;
};

class CMasterStationItemSink final : public IParameterXferItemSink {
public:
    CMasterStationItemSink(MasterStationItemKind kind, std::int32_t code) : m_kind(kind), m_code(code) {}
    bool WantsPacket(int type, int) const override { return type == kPacketTypeMasterStation; }
    bool OnCodes(const ParameterXferPacketHead&, int, ParameterXferItemKind kind, const CFCUCodeList& codes) override {
        return m_kind == MasterStationItemKind::SystemStatus && kind == ParameterXferItemKind::SystemStatus &&
               HasCode(codes, m_code);
    }
    bool OnValue(const ParameterXferPacketHead&, int, ParameterXferItemKind kind, int value) override {
        return m_kind == MasterStationItemKind::LoopFault && kind == ParameterXferItemKind::LoopFault &&
               value == m_code;
    }

private:
    MasterStationItemKind m_kind;
    std::int32_t m_code;
};

}  // namespace

bool HasFCUPacketFor(const CRecordToParameterXferConverter& converter, const CRecord& record, std::int32_t fcu) {
    CFCUPacketSink sink(fcu);
    return converter.Walk(record, sink);
}

bool HasFCUItem(const CRecordToParameterXferConverter& converter, const CRecord& record,
                std::optional<std::int32_t> fcu, FCUItemKind kind, std::optional<std::int32_t> code) {
    CFCUItemSink sink(fcu, kind, code);
    return converter.Walk(record, sink);
}

bool HasMasterStationItem(const CRecordToParameterXferConverter& converter, const CRecord& record,
                          MasterStationItemKind kind, std::int32_t code) {
    CMasterStationItemSink sink(kind, code);
    return converter.Walk(record, sink);
}

}  // namespace vyx
