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
    int GetCustomDataCount() const override { return static_cast<int>(m_items.size()); }

    void Reserve(int items) { m_items.reserve(static_cast<std::size_t>(items)); }

private:
    int m_nBlockNumber;
    int m_nParameterNumber;
    std::vector<std::unique_ptr<IParameterBlockXferCustomData>> m_items;
};

}  // namespace vyx
