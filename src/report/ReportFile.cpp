#include "report/ReportFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/File.h"
#include "platform/FileError.h"
#include "platform/PendingOutput.h"
#include "platform/TextEncoding.h"

namespace vyx {
namespace {

// Eight bytes at a time: this runs over every byte of reports of a gigabyte and more.
bool IsAscii(const std::string& text) {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::uint64_t high = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, sizeof word);
        high |= word;
    }
    for (; i < n; ++i) high |= static_cast<unsigned char>(p[i]);
    return (high & 0x8080808080808080ULL) == 0;
}

}  // namespace

CReportFile::~CReportFile() {
    Abandon();
}

void CReportFile::Open(const std::string& path) {
    Abandon();
    m_pending = CPendingOutput(path);
    m_fd = m_pending.Descriptor();
    m_space = CSequentialFileSpace(m_fd);
    m_ownsFd = true;
    m_path = path;
    m_text.clear();
    m_text.reserve(kBlockBytes + (kBlockBytes >> 2));
}

void CReportFile::OpenStandardOutput() {
    Abandon();
    m_fd = STDOUT_FILENO;
    m_ownsFd = false;
    m_path = "standard output";
    m_text.clear();
    m_text.reserve(kBlockBytes + (kBlockBytes >> 2));
}

void CReportFile::WriteInBackground() {
    if (m_fd < 0 || m_background) return;
    m_background = std::make_unique<CBackgroundFileWriter>();
    m_background->Start([this](const char* data, std::size_t count) { WriteAll(data, count); }, 2 * kBlockBytes, 3);
}

void CReportFile::WriteAll(const char* data, std::size_t count) {
    if (const int fault = WriteFaultFor(m_path, count)) throw CFileError(fault, m_path);
    m_space.Reserve(count);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_fd, data + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw CFileError(errno, m_path);
        }
        done += static_cast<std::size_t>(n);
    }
    m_space.Written(count);
}

void CReportFile::WriteText() {
    if (m_text.empty()) return;
    // The formatter's texts are plain ASCII almost always; convert only a block that needs it.
    const std::string* text = &m_text;
    if (!IsAscii(m_text)) {
        m_latin1 = ToLatin1(m_text);
        text = &m_latin1;
    }
    if (m_background) {
        m_background->Write(text->data(), text->size());
    } else {
        WriteAll(text->data(), text->size());
    }
    m_text.clear();
}

void CReportFile::Close() {
    if (m_fd < 0) return;
    try {
        WriteText();
        if (m_background) m_background->Close();
        m_background.reset();
    } catch (...) {
        Abandon();
        throw;
    }
    m_space.Release();
    const bool owns = m_ownsFd;
    m_fd = -1;
    m_text.clear();
    if (owns) {
        try {
            m_pending.Commit();
        } catch (...) {
            m_pending.Discard();
            throw;
        }
    }
}

bool CReportFile::KeepPartial() noexcept {
    try {
        Close();
        return true;
    } catch (...) {
        return false;
    }
}

void CReportFile::Abandon() {
    m_background.reset();  // stops its thread before the descriptor goes
    m_space = CSequentialFileSpace();
    m_pending.Discard();  // closes the descriptor too
    m_fd = -1;
    m_text.clear();
}

std::string PartFileName(const std::string& path, long long part) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    const std::string number = "_" + std::to_string(part);
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + number;
    return path.substr(0, dot) + number + path.substr(dot);
}

std::string LocalTimeText(std::time_t time) {
    std::tm t{};
    localtime_r(&time, &t);
    int hour12 = t.tm_hour % 12;
    if (hour12 == 0) hour12 = 12;
    char text[64];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d - %02d:%02d:%02d:%s", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900,
                  hour12, t.tm_min, t.tm_sec, t.tm_hour < 12 ? "AM" : "PM");
    return text;
}

}  // namespace vyx
