#include "controller/SelectionCopy.h"

#include <fmt/format.h>

#include <cstdlib>

#include "decode/RecordTextLine.h"
#include "platform/FileError.h"

namespace vyx {

std::optional<std::string> CSelectionCopy::Build(const CRecordDatabase& store, const CRowSelection& selection,
                                                 const std::atomic<bool>& stop,
                                                 const std::function<void(SerialNumber)>& progress) {
    std::string text;
    CRecord record;
    SerialNumber done = 0;
    for (const SelectedRange& range : selection.Ranges()) {
        for (SerialNumber serial = range.first; serial <= range.last; ++serial) {
            if (!store.GetRecord(serial, record)) continue;  // not published (any more): nothing to copy
            if (!text.empty()) text += '\n';
            std::string line = RecordTextLine(record, serial + 1);
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
            text += line;
            // A stop is heard within about a millisecond of work, so Cancel never waits long for the worker.
            if (++done % 512 == 0 && stop.load(std::memory_order_relaxed)) return std::nullopt;
            if (done % kProgressStep == 0 && progress) progress(done);
        }
    }
    if (stop.load()) return std::nullopt;
    return text;
}

std::string SelectionStatusText(const CRecordDatabase& store, const CRowSelection& selection) {
    if (selection.Empty()) return {};
    std::string text = fmt::format("Selected: {}", selection.Count());
    if (selection.Count() < 2) return text;
    CRecord first, last;
    try {
        if (!store.GetRecord(selection.First(), first) || !store.GetRecord(selection.Last(), last)) return text;
    } catch (const CVyxError&) {
        return text;  // the list says what went wrong when it reads the page
    }
    const std::int64_t span = std::llabs(std::int64_t{last.m_nTime} - std::int64_t{first.m_nTime});
    const std::int64_t days = span / 86400;
    const std::int64_t rest = span % 86400;
    const std::string clock = fmt::format("{:02}:{:02}:{:02}", rest / 3600, rest / 60 % 60, rest % 60);
    text += days > 0 ? fmt::format("  (span {} d {})", days, clock) : fmt::format("  (span {})", clock);
    return text;
}

}  // namespace vyx
