#include "controller/RowSelection.h"

#include <algorithm>

namespace vyx {
namespace {

// The first range whose last row is at or after serial.
template <typename Ranges>
auto RangeAtOrAfter(Ranges& ranges, SerialNumber serial) {
    return std::lower_bound(ranges.begin(), ranges.end(), serial,
                            [](const SelectedRange& range, SerialNumber s) { return range.last < s; });
}

}  // namespace

void CRowSelection::Clear() {
    m_ranges.clear();
    m_anchor.reset();
}

void CRowSelection::SelectOnly(SerialNumber serial) {
    Clear();
    if (serial < 0) return;
    m_ranges.push_back({serial, serial});
    m_anchor = serial;
}

void CRowSelection::Toggle(SerialNumber serial) {
    if (serial < 0) return;
    if (Contains(serial)) {
        Remove(serial);
    } else {
        Add({serial, serial});
    }
    m_anchor = serial;
}

void CRowSelection::ExtendTo(SerialNumber serial) {
    if (serial < 0) return;
    if (!m_anchor) {
        SelectOnly(serial);
        return;
    }
    const SerialNumber anchor = *m_anchor;
    m_ranges.assign(1, {std::min(anchor, serial), std::max(anchor, serial)});
}

void CRowSelection::SelectAll(SerialNumber total) {
    const std::optional<SerialNumber> anchor = m_anchor;
    Clear();
    if (total <= 0) return;
    m_ranges.push_back({0, total - 1});
    m_anchor = anchor ? anchor : SerialNumber{0};
}

void CRowSelection::Limit(SerialNumber total) {
    while (!m_ranges.empty() && m_ranges.back().first >= total) m_ranges.pop_back();
    if (!m_ranges.empty() && m_ranges.back().last >= total) m_ranges.back().last = total - 1;
    if (m_anchor && *m_anchor >= total) m_anchor.reset();
}

bool CRowSelection::Contains(SerialNumber serial) const {
    const auto it = RangeAtOrAfter(m_ranges, serial);
    return it != m_ranges.end() && it->first <= serial;
}

SerialNumber CRowSelection::Count() const {
    SerialNumber count = 0;
    for (const SelectedRange& range : m_ranges) count += range.Count();
    return count;
}

void CRowSelection::Add(SelectedRange range) {
    // Ranges that touch or overlap the new one merge with it.
    auto it = RangeAtOrAfter(m_ranges, range.first - 1);
    auto end = it;
    while (end != m_ranges.end() && end->first <= range.last + 1) {
        range.first = std::min(range.first, end->first);
        range.last = std::max(range.last, end->last);
        ++end;
    }
    it = m_ranges.erase(it, end);
    m_ranges.insert(it, range);
}

void CRowSelection::Remove(SerialNumber serial) {
    const auto it = RangeAtOrAfter(m_ranges, serial);
    if (it == m_ranges.end() || it->first > serial) return;
    const SelectedRange old = *it;
    if (old.first == old.last) {
        m_ranges.erase(it);
    } else if (serial == old.first) {
        it->first = serial + 1;
    } else if (serial == old.last) {
        it->last = serial - 1;
    } else {
        it->last = serial - 1;
        m_ranges.insert(it + 1, {serial + 1, old.last});
    }
}

}  // namespace vyx
