#include "decode/DetailCellVocabulary.h"

#include <cstdint>
#include <set>
#include <string_view>

#include "decode/FCUStatusCatalogue.h"
#include "decode/FCUType.h"
#include "decode/FormatModbusMultipleData.h"
#include "decode/FormatRecord.h"
#include "decode/MasterStationCatalogue.h"
#include "decode/ParameterBlockXferFormatObjIterator.h"
#include "decode/ParameterBlockXferPacket.h"

namespace vyx {
namespace {

// Codes are kept in a byte (CFCUCodeList); an item's index is a byte plus an entry number below 256, so its
// block number index / 8 stays below 256 and its parameter number index % 8 below 8.
constexpr int kCodes = 256;
constexpr int kBlocks = 256;
constexpr int kParameters = 8;
constexpr int kWords = 65536;

class Collector {
public:
    void Text(std::string_view text) {
        if (!text.empty()) m_texts.emplace(text);
    }
    void Chars(std::bitset<256>& alphabet, std::string_view text) {
        for (const char c : text) alphabet.set(static_cast<unsigned char>(c));
    }
    DetailCellVocabulary Done(std::vector<std::bitset<256>> alphabets) {
        return {std::vector<std::string>(m_texts.begin(), m_texts.end()), std::move(alphabets)};
    }

private:
    std::set<std::string> m_texts;
};

std::bitset<256> DecimalDigits(Collector& collect) {
    std::bitset<256> digits;
    for (int n = 0; n < 10; ++n) collect.Chars(digits, std::to_string(n));
    return digits;
}

DetailCellVocabulary MakeBlockTransfer() {
    Collector collect;
    collect.Text(kNoDetail);
    collect.Text(kNoFCUText);
    for (const int type : {kPacketTypeFCUParameterList, kPacketTypeMasterStation, kPacketTypeFCURegisterRun}) {
        for (int block = 0; block < kBlocks; ++block) {
            for (int parameter = 0; parameter < kParameters; ++parameter) {
                collect.Text(InformationText(type, block, parameter));
            }
        }
    }
    for (int code = 0; code < kCodes; ++code) {
        collect.Text(FCUTypeDetailText(code));
        collect.Text(StatusDetailText(code));
        collect.Text(AlarmDetailText(code));
        collect.Text(SystemStatusDetailText(code));
        collect.Text(LoopFaultDetailText(code));
    }
    // "No." and "FCU" in decimal; "Packet" in hex; the block's name; a valve position; a loop-back word.
    std::bitset<256> hex;
    for (int value = 0; value < 256; ++value) {
        const auto byte = static_cast<std::uint8_t>(value);
        collect.Chars(hex, FormatHexBytes(&byte, 1));
    }
    std::bitset<256> blockNames;
    for (int block = 0; block < kBlocks; ++block) {
        for (int parameter = 0; parameter < kParameters; ++parameter) {
            std::string name;
            AppendBlockParameterText(name, block, parameter);
            collect.Chars(blockNames, name);
        }
    }
    std::bitset<256> positions;
    std::bitset<256> loopBacks;
    for (int word = 0; word < kWords; ++word) {
        collect.Chars(positions, FormatValvePosition(word));
        std::string loopBack;
        AppendLoopBackDetailText(loopBack, static_cast<unsigned>(word));
        collect.Chars(loopBacks, loopBack);
    }
    return collect.Done({DecimalDigits(collect), hex, blockNames, positions, loopBacks});
}

DetailCellVocabulary MakeModbusMultiple() {
    Collector collect;
    // The FCU text depends on the command and on whether the FCU lies in 1..240; the sequence is a decimal
    // number, as are the FCUs of that range.
    CFormatModbusMultipleData format;
    for (int command = -1; command < 64; ++command) {
        for (const int fcu : {-32768, -1, 0, 1, 240, 241, 32767}) {
            format.Init(1, static_cast<std::int16_t>(fcu), command);
            collect.Text(format.GetCommandText());
            collect.Text(format.GetFCUText());
        }
    }
    return collect.Done({DecimalDigits(collect)});
}

}  // namespace

const DetailCellVocabulary& BlockTransferCellVocabulary() {
    static const DetailCellVocabulary vocabulary = MakeBlockTransfer();
    return vocabulary;
}

const DetailCellVocabulary& ModbusMultipleCellVocabulary() {
    static const DetailCellVocabulary vocabulary = MakeModbusMultiple();
    return vocabulary;
}

}  // namespace vyx
