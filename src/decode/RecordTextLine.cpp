#include "decode/RecordTextLine.h"

#include "decode/FormatRecord.h"
#include "decode/RecordColumns.h"
#include "platform/File.h"
#include "platform/TextEncoding.h"

namespace vyx {

std::string RecordTextLine(const CRecord& record, std::int64_t lineNumber) {
    const CFormatRecord format(&record);
    std::string line;
    for (RecordColumn column : kAllRecordColumns) {
        if (column != RecordColumn::SrNo) line += ',';
        AppendRecordColumnText(format, column, lineNumber, line);
    }
    line += "\r\n";
    return line;
}

void CRecordTextLineWriter::WriteRecordTextLine(const CRecord& record, std::int64_t lineNumber) {
    m_file.Write(ToLatin1(RecordTextLine(record, lineNumber)));
    ++m_lines;
}

}  // namespace vyx
