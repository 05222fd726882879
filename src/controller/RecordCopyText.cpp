#include "controller/RecordCopyText.h"

#include "decode/FormatRecord.h"
#include "decode/RecordTextLine.h"
#include "platform/FileError.h"

namespace vyx {
namespace {

std::optional<CRecord> ReadRecord(const CRecordDatabase& store, std::int64_t serial) {
    CRecord record;
    try {
        if (serial < 0 || !store.GetRecord(serial, record)) return std::nullopt;
    } catch (const CVyxError&) {
        // The list shows the file error when it reads the page; a copy just has nothing to give.
        return std::nullopt;
    }
    return record;
}

}  // namespace

std::optional<std::string> RowCopyText(const CRecordDatabase& store, std::int64_t serial) {
    const auto record = ReadRecord(store, serial);
    if (!record) return std::nullopt;
    std::string line = RecordTextLine(*record, serial + 1);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

std::optional<std::string> MessageContentCopyText(const CRecordDatabase& store, std::int64_t serial) {
    const auto record = ReadRecord(store, serial);
    if (!record) return std::nullopt;
    return CFormatRecord(&*record).FormatMessageContent();
}

}  // namespace vyx
