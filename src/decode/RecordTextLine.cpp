#include "decode/RecordTextLine.h"

#include "decode/FormatRecord.h"
#include "platform/File.h"
#include "platform/TextEncoding.h"

namespace vyx {

std::string RecordTextLine(const CRecord& record, std::int64_t lineNumber) {
    const CFormatRecord format(&record);
    std::string line = std::to_string(lineNumber);
    line += ',';
    line += format.FormatDateTime();
    line += ',';
    line += format.FormatMessageContent();
    line += ',';
    line += format.FormatMessageMode();
    line += ',';
    line += format.FormatSource();
    line += ',';
    line += format.FormatFCU();
    line += ',';
    line += format.FormatChannel();
    line += "\r\n";
    return line;
}

void CRecordTextLineWriter::WriteRecordTextLine(const CRecord& record, std::int64_t lineNumber) {
    m_file.Write(ToLatin1(RecordTextLine(record, lineNumber)));
    ++m_lines;
}

}  // namespace vyx
