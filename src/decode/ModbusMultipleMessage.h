#pragma once
// A Modbus write-multiple request expanded into one item per addressed command.

#include <cstdint>
#include <vector>

namespace vyx {

struct CModbusMultipleItem {
    std::int32_t m_nSequence = 0;  // position of the coil or register in the request, from 1
    std::int32_t m_nFCU = 0;       // FCU number (a 16-bit value); 0 when the slave address fits no range
    std::int32_t m_nCommand = 19;  // command code; 19 = none
};

class IModbusMultipleMessage {
public:
    virtual void AddItem(const CModbusMultipleItem& item) = 0;
    // Item at index, or null outside 0..count-1.
    virtual const CModbusMultipleItem* GetItem(int index) const = 0;
    virtual int GetItemCount() const = 0;
    virtual ~IModbusMultipleMessage() = default;
};

// Items are plain values held in one block: a request expands to many of them, so no item is allocated alone.
class CModbusMultipleMessage : public IModbusMultipleMessage {
public:
    void AddItem(const CModbusMultipleItem& item) override { m_items.push_back(item); }
    const CModbusMultipleItem* GetItem(int index) const override {
        return (index >= 0 && index < GetItemCount()) ? &m_items[static_cast<std::size_t>(index)] : nullptr;
    }
    int GetItemCount() const override { return static_cast<int>(m_items.size()); }

    void Reserve(int items) { m_items.reserve(static_cast<std::size_t>(items)); }
    const std::vector<CModbusMultipleItem>& Items() const { return m_items; }

private:
    std::vector<CModbusMultipleItem> m_items;
};

}  // namespace vyx
