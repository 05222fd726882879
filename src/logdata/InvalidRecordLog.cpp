#include "logdata/InvalidRecordLog.h"

namespace vyx {

void CInvalidRecordLog::Open(const std::string& path) {
    m_writer.reset();
    m_file.Open(path, 1 << 16);
    m_writer = std::make_unique<CRecordTextLineWriter>(m_file);
}

void CInvalidRecordLog::Write(const CRecord& record, std::int64_t lineNumber) {
    m_writer->WriteRecordTextLine(record, lineNumber);
}

void CInvalidRecordLog::Flush() {
    if (m_file.IsOpen()) m_file.Flush();
}

void CInvalidRecordLog::Close() noexcept {
    try {
        m_file.Close();
    } catch (...) {
        // Nothing left to tell anyone: the load has already ended.
    }
}

}  // namespace vyx
