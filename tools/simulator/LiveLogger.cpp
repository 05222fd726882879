#include "simulator/LiveLogger.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "logdata/TimeValue.h"
#include "platform/File.h"
#include "platform/FileError.h"
#include "simulator/LoggerSimulator.h"

namespace vyx::sim {
namespace {

using Clock = std::chrono::steady_clock;

// A day file opened for appending, as the logger keeps its current file open.
class CAppendFile {
public:
    ~CAppendFile() { Close(); }
    void Open(const std::string& path) {
        Close();
        m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (m_fd < 0) throw CFileError(errno, path);
        m_path = path;
    }
    void Write(const std::uint8_t* data, std::size_t count) {
        while (count > 0) {
            const ssize_t put = ::write(m_fd, data, count);
            if (put < 0) {
                if (errno == EINTR) continue;
                throw CFileError(errno, m_path);
            }
            data += put;
            count -= static_cast<std::size_t>(put);
        }
    }
    void Close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }
    const std::string& Path() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
};

}  // namespace

LiveLoggerSummary RunLiveLogger(const std::string& folder, const LiveLoggerOptions& options) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw CFileError(ec.value(), folder);
    const std::string fcuFile = folder + "/MISCDATA.TXT";
    if (!FileExists(fcuFile)) {
        const auto bytes = BuildFcuInformationFile();
        COutputFile file(fcuFile);
        file.Write(bytes.data(), bytes.size());
        file.Close();
    }
    SimulatorOptions streamOptions;
    streamOptions.seed = options.seed;
    streamOptions.faults = options.faults;
    streamOptions.modbusBase = options.modbusBase;
    CRecordStream stream(streamOptions);

    LiveLoggerSummary summary;
    CAppendFile file;
    std::uint32_t openDay = UINT32_MAX;
    std::vector<std::uint8_t> frame;
    const double rate = std::max(options.rate, 0.001);
    const auto interval = std::chrono::duration<double>(1.0 / rate);
    // A frame's second half follows after a pause at low rates, so readers see it cut short for a while.
    const auto splitPause = std::min(std::chrono::duration_cast<Clock::duration>(interval / 3),
                                     Clock::duration(std::chrono::milliseconds(50)));
    const bool pauseInFrames = interval >= std::chrono::milliseconds(10);
    const auto start = Clock::now();
    std::uint64_t splitter = options.seed * 0x9E3779B97F4A7C15ull + 1;
    for (std::int64_t i = 0; options.records == 0 || i < options.records; ++i) {
        if (options.stopRequested && options.stopRequested()) break;
        const auto due = start + std::chrono::duration_cast<Clock::duration>(interval * static_cast<double>(i));
        if (due > Clock::now()) std::this_thread::sleep_until(due);
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const auto time = static_cast<std::uint32_t>(std::min<double>(
            UINT32_MAX, static_cast<double>(options.clockStart) + elapsed * options.speed));
        const std::uint32_t day = time - time % 86400;
        if (day != openDay) {
            // Midnight of the logger's clock: the day's own file from here on.
            const CivilDateTime date = BreakDown(day);
            file.Open(folder + "/" + DayFileName(date.year, date.month, date.day));
            summary.dayFiles.push_back(file.Path());
            openDay = day;
        }
        frame.clear();
        stream.Append(frame, time);
        splitter ^= splitter << 13;
        splitter ^= splitter >> 7;
        splitter ^= splitter << 17;
        const std::size_t cut = 1 + static_cast<std::size_t>(splitter % (frame.size() - 1));
        file.Write(frame.data(), cut);
        if (pauseInFrames) std::this_thread::sleep_for(splitPause);
        file.Write(frame.data() + cut, frame.size() - cut);
        ++summary.records;
        if (options.written) options.written(i, file.Path());
    }
    return summary;
}

}  // namespace vyx::sim
