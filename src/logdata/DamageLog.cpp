#include "logdata/DamageLog.h"

namespace vyx {
namespace {

constexpr std::size_t kFilesNamedInNotice = 20;

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

}  // namespace

void CDamageLog::Open(const std::string& path) {
    // Made with its first line: a load of sound day files leaves no log, and none of an earlier load.
    m_path = path;
    DeleteFile(m_path);
    m_lines = 0;
    m_damaged.clear();
    m_noticeBytes = 0;
}

void CDamageLog::Write(const std::string& dayFile, const std::vector<DayFileDamage>& damage) {
    if (damage.empty()) return;
    if (!m_file.IsOpen()) {
        m_file.Open(m_path, 1 << 14);
        m_file.Write(std::string(kHeader) + "\r\n");
    }
    DamagedFile noticed;
    noticed.name = FileName(dayFile);
    for (const DayFileDamage& d : damage) {
        const std::string reason = DamageReason(d);
        m_file.Write(dayFile + "," + std::to_string(d.offset) + "," + std::to_string(d.bytes) + "," + reason + "\r\n");
        ++m_lines;
        if (!d.IsNotice()) continue;
        if (noticed.places++ == 0) {
            noticed.firstOffset = d.offset;
            noticed.firstReason = reason;
        }
        noticed.bytes += d.bytes;
    }
    if (noticed.places > 0) {
        m_noticeBytes += noticed.bytes;
        m_damaged.push_back(std::move(noticed));
    }
}

void CDamageLog::Flush() {
    if (m_file.IsOpen()) m_file.Flush();
}

void CDamageLog::Close() noexcept {
    try {
        m_file.Close();
    } catch (...) {
        // The load has ended; the lines that matter were flushed with each day file.
    }
}

std::string CDamageLog::NoticeText() const {
    if (m_damaged.empty()) return {};
    std::string text = std::to_string(m_damaged.size()) + (m_damaged.size() == 1 ? " day file is" : " day files are") +
                       " damaged; " + std::to_string(m_noticeBytes) + " bytes of them were not read as records:\n";
    for (std::size_t i = 0; i < m_damaged.size() && i < kFilesNamedInNotice; ++i) {
        const DamagedFile& f = m_damaged[i];
        text += f.name + ": " + std::to_string(f.bytes) + " bytes, first at offset " + std::to_string(f.firstOffset) +
                " (" + f.firstReason + ")";
        if (f.places > 1) text += ", " + std::to_string(f.places) + " places";
        text += "\n";
    }
    if (m_damaged.size() > kFilesNamedInNotice) {
        text += "... and " + std::to_string(m_damaged.size() - kFilesNamedInNotice) + " more day files\n";
    }
    text += "Details: " + m_path;
    return text;
}

}  // namespace vyx
