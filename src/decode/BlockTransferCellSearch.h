#pragma once
// Whether a cell of a block transfer's detail rows passes a test, found by walking the message bytes without
// building the rows: the cells are those the detail rows show, each formatted only when its family (see
// DetailCellVocabulary) is wanted, into buffers kept between records. For a search through millions of records.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "decode/DetailCellVocabulary.h"

namespace vyx {

class CRecordToParameterXferConverter;

class CBlockTransferCellSearch {
public:
    using Test = std::function<bool(std::string_view cell)>;

    // wanted: which families of cells (and whether the table texts) are tested at all; the others are skipped.
    CBlockTransferCellSearch(const CRecordToParameterXferConverter& converter, const DetailCellWanted& wanted)
        : m_converter(converter), m_wanted(wanted) {}

    // True when a wanted cell of the rows of these message bytes (of a mode-5 record) passes the test.
    bool AnyCell(std::span<const std::uint8_t> message, const Test& test);

private:
    class CSink;
    const CRecordToParameterXferConverter& m_converter;
    DetailCellWanted m_wanted;
    std::string m_text;
};

}  // namespace vyx
