#pragma once
// "InvalidRecordLogFile.csv": one text line per record whose class byte names no known message class.

#include <cstdint>
#include <memory>
#include <string>

#include "decode/RecordTextLine.h"
#include "logdata/Record.h"
#include "platform/File.h"

namespace vyx {

class CInvalidRecordLog {
public:
    // Creates the log anew (an existing one is truncated). Throws CFileError.
    void Open(const std::string& path);
    // Throws CFileError.
    void Write(const CRecord& record, std::int64_t lineNumber);
    // Hands buffered lines to the file, so a load that stops or fails keeps the lines written so far.
    // Throws CFileError.
    void Flush();
    // Closes quietly: the lines that matter were flushed while the load ran.
    void Close() noexcept;

    std::int64_t Count() const { return m_writer ? m_writer->LineCount() : 0; }
    const std::string& Path() const { return m_file.Path(); }

private:
    COutputFile m_file;
    std::unique_ptr<CRecordTextLineWriter> m_writer;
};

}  // namespace vyx
