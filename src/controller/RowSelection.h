#pragma once
// The rows selected in the record list, held as sorted, disjoint ranges of serial numbers: selecting all of
// a hundred million records costs one range, never a list of rows. The anchor is where a Shift extension
// starts (the row last clicked or moved to without Shift).

#include <cstdint>
#include <optional>
#include <vector>

#include "logdata/SerialNumber.h"

namespace vyx {

struct SelectedRange {
    SerialNumber first = 0;
    SerialNumber last = 0;  // inclusive
    SerialNumber Count() const { return last - first + 1; }
    bool operator==(const SelectedRange&) const = default;
};

class CRowSelection {
public:
    void Clear();
    // A plain click or move: only this row, which becomes the anchor.
    void SelectOnly(SerialNumber serial);
    // Ctrl+click: the row joins or leaves the selection and becomes the anchor.
    void Toggle(SerialNumber serial);
    // Shift+click or Shift+move: the rows from the anchor to this one, replacing what was selected (with no
    // anchor the row alone). The anchor stays.
    void ExtendTo(SerialNumber serial);
    // Ctrl+A: rows 0 .. total - 1.
    void SelectAll(SerialNumber total);
    // Drops what lies at or beyond total (the load shrank).
    void Limit(SerialNumber total);

    bool Empty() const { return m_ranges.empty(); }
    bool Contains(SerialNumber serial) const;
    SerialNumber Count() const;
    // The lowest and highest selected serial; -1 when empty.
    SerialNumber First() const { return m_ranges.empty() ? -1 : m_ranges.front().first; }
    SerialNumber Last() const { return m_ranges.empty() ? -1 : m_ranges.back().last; }
    const std::vector<SelectedRange>& Ranges() const { return m_ranges; }
    std::optional<SerialNumber> Anchor() const { return m_anchor; }

private:
    void Add(SelectedRange range);
    void Remove(SerialNumber serial);

    std::vector<SelectedRange> m_ranges;
    std::optional<SerialNumber> m_anchor;
};

}  // namespace vyx
