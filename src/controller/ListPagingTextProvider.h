#pragma once
// Where the large-data record list gets the texts of its visible page: the owner's one-page cache.

#include <cstdint>
#include <string_view>

namespace vyx {

class IListPageTextProvider {
public:
    virtual ~IListPageTextProvider() = default;
    // Refill the cache with the rows of `count` records from serial number `first` (count is at most the
    // rows per page + 1 and never reaches past the total). Returns the rows actually filled; rows beyond
    // that are shown blank.
    virtual int FillPage(std::int32_t first, int count) = 0;
    // The text of a filled row (0 = top row of the page) and column, UTF-8. Valid until the next fill.
    virtual std::string_view CellText(int row, int column) const = 0;
    // The background of a filled row: 0xFF000000 | 0xRRGGBB, or 0 for the list's own.
    virtual std::uint32_t RowTint(int /*row*/) const { return 0; }
};

}  // namespace vyx
