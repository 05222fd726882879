#pragma once
// One block of a block-transfer packet: its block and parameter numbers and the items decoded from it.

#include <memory>
#include <vector>

#include "decode/ParameterBlockXferCustomData.h"

namespace vyx {

class IParameterBlockXferBlock {
public:
    virtual void AddCustomData(std::unique_ptr<IParameterBlockXferCustomData> item) = 0;
    // Item at index, or null outside 0..count-1.
    virtual const IParameterBlockXferCustomData* GetCustomData(int index) const = 0;
    // Copies the block and parameter numbers (not the items).
    virtual void Assign(const IParameterBlockXferBlock& other) = 0;
    virtual int GetBlockNumber() const = 0;
    virtual int GetParameterNumber() const = 0;
    virtual int GetCustomDataCount() const = 0;
    virtual ~IParameterBlockXferBlock() = default;
};

class CParameterBlockXferBlock : public IParameterBlockXferBlock {
public:
    CParameterBlockXferBlock(int blockNumber, int parameterNumber)
        : m_nBlockNumber(blockNumber), m_nParameterNumber(parameterNumber) {}

    void AddCustomData(std::unique_ptr<IParameterBlockXferCustomData> item) override;
    const IParameterBlockXferCustomData* GetCustomData(int index) const override;
    void Assign(const IParameterBlockXferBlock& other) override;
    int GetBlockNumber() const override { return m_nBlockNumber; }
    int GetParameterNumber() const override { return m_nParameterNumber; }
    int GetCustomDataCount() const override { return m_first ? static_cast<int>(m_more.size()) + 1 : 0; }

    void Reserve(int items) {
        if (items > 1) m_more.reserve(static_cast<std::size_t>(items - 1));
    }

private:
    int m_nBlockNumber;
    int m_nParameterNumber;
    // Most blocks hold one item: it is kept apart, so such a block needs no item list at all.
    std::unique_ptr<IParameterBlockXferCustomData> m_first;
    std::vector<std::unique_ptr<IParameterBlockXferCustomData>> m_more;
};

}  // namespace vyx
