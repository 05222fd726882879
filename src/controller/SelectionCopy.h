#pragma once
// What Copy Row puts on the clipboard for a selection of rows, and the status text of a selection. The copy
// may run on a worker (a large selection): it reads the store, which must not be reset meanwhile, and stops
// when asked.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "controller/RowSelection.h"
#include "logdata/RecordDatabase.h"

namespace vyx {

class CSelectionCopy {
public:
    // Above this many rows the viewer copies off the user-interface thread and shows its progress.
    static constexpr SerialNumber kProgressThreshold = 100'000;
    static constexpr SerialNumber kProgressStep = 8192;
    // The clipboard takes at most this many rows (about 100 MB of text); Report > Messages writes any range.
    static constexpr SerialNumber kMaxRows = 1'000'000;

    // One line per selected row in serial order, each as Copy Row gives a single row (Sr.No. and the six
    // column texts, comma-separated), joined by "\n". progress(rowsDone) is called every kProgressStep rows.
    // Nothing when stop became true. Throws CVyxError when a record cannot be read again.
    static std::optional<std::string> Build(const CRecordDatabase& store, const CRowSelection& selection,
                                            const std::atomic<bool>& stop,
                                            const std::function<void(SerialNumber)>& progress = {});
};

// "Selected: N" and, for more than one row, the time from the first to the last selected record
// ("Selected: 1,234  (span 2 d 03:04:05)"); empty when nothing is selected. The times come from the store.
std::string SelectionStatusText(const CRecordDatabase& store, const CRowSelection& selection);

}  // namespace vyx
