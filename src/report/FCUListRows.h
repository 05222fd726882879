#pragma once
// The FCU table's rows built from the FCU display list, as the FCU view shows them (the command-line
// tool's table; the viewer reads its own table).

#include <array>
#include <string>
#include <vector>

#include "decode/FCU.h"
#include "report/FCULogReport.h"

namespace vyx {

class CFCUListRows final : public IFCUReportRowSource {
public:
    explicit CFCUListRows(const FCUList& fcus);

    int RowCount() const override { return static_cast<int>(m_rows.size()); }
    std::string ItemText(int row, int column) const override;

private:
    std::vector<std::array<std::string, 3>> m_rows;
};

}  // namespace vyx
