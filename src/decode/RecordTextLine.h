#pragma once
// One record as a line of comma-separated text: number, Date-Time, MessageContent, MessageMode, Source,
// FCU, Channel, then CR LF. The invalid-records log is made of such lines.

#include <cstdint>
#include <string>

#include "logdata/Record.h"

namespace vyx {

class COutputFile;

std::string RecordTextLine(const CRecord& record, std::int64_t lineNumber);

// Writes record lines to a file and counts them.
class CRecordTextLineWriter {
public:
    explicit CRecordTextLineWriter(COutputFile& file) : m_file(file) {}

    // Throws CFileError when the write fails.
    void WriteRecordTextLine(const CRecord& record, std::int64_t lineNumber);
    std::int64_t LineCount() const { return m_lines; }

private:
    COutputFile& m_file;
    std::int64_t m_lines = 0;
};

}  // namespace vyx
