#include "report/FCUListRows.h"

#include "decode/FCUDisplay.h"

namespace vyx {

CFCUListRows::CFCUListRows(const FCUList& fcus) {
    m_rows.reserve(fcus.size());
    CFCUDisplay display;
    for (const CFCU& fcu : fcus) {
        display.SetFCU(&fcu);
        m_rows.push_back({display.FormatFCUNumber(), display.FormatFCUType(), display.FormatChannel()});
    }
}

std::string CFCUListRows::ItemText(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column > 2) return {};
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

}  // namespace vyx
