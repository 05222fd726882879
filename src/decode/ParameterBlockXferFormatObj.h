#pragma once
// The six texts of one detail row of a block transfer: "No.", "Packet", "Block and Parameter Info",
// "Information", "Detail Information" and "FCU".

#include <array>
#include <string>

namespace vyx {

enum ParameterBlockXferColumn : int {
    kColumnNumber = 0,
    kColumnPacket = 1,
    kColumnBlockParameter = 2,
    kColumnInformation = 3,
    kColumnDetail = 4,
    kColumnFCU = 5,
    kColumnCount = 6,
};

class IParameterBlockXferFormatObj {
public:
    // A copy of the text at index; empty outside 0..5.
    virtual std::string GetText(int index) const = 0;
    // Replaces the text at index; ignored outside 0..5.
    virtual void SetText(const std::string& text, int index) = 0;
    // The stored text at index, for change in place. Throws std::out_of_range outside 0..5.
    virtual std::string& GetTextRef(int index) = 0;
    virtual int GetCount() const = 0;
    virtual ~IParameterBlockXferFormatObj() = default;
};

class CParameterBlockXferFormatObj : public IParameterBlockXferFormatObj {
public:
    std::string GetText(int index) const override;
    void SetText(const std::string& text, int index) override;
    std::string& GetTextRef(int index) override;
    int GetCount() const override { return kColumnCount; }

private:
    std::array<std::string, kColumnCount> m_texts;
};

}  // namespace vyx
