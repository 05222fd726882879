#include "cli/LoadRunner.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "cli/Command.h"
#include "logdata/DayFileFormat.h"
#include "logdata/LoadPipeline.h"
#include "logdata/TimeValue.h"
#include "platform/File.h"
#include "platform/ResourceLimits.h"
#include "res/StringTable.h"

namespace vyx::cli {
namespace {

LoadOrder OrderFromText(const std::string& text) {
    if (text == "asc") return LoadOrder::Ascending;
    if (text == "desc") return LoadOrder::Descending;
    return LoadOrder::Stored;
}

CivilDateTime DateTimeOption(const std::string& name, const std::string& text) {
    const auto value = ParseDateTimeText(text.c_str());
    if (!value) throw CommandFailure{kExitUsage, "error: " + name + " takes \"dd/MM/yyyy HH:MM:SS\": " + text};
    return *value;
}

}  // namespace

void AddLoadOptions(CLI::App& command, LoadOptions& options) {
    command.add_option("DIR", options.folder, "Data folder (day files and MISCDATA.TXT)")->required();
    command.add_option("--order", options.order, "Record order: as stored, or by time ascending or descending")
        ->check(CLI::IsMember({"stored", "asc", "desc"}))
        ->capture_default_str();
    CLI::Option* from =
        command.add_option("--from", options.from, "Start of the date/time range, \"dd/MM/yyyy HH:MM:SS\"");
    CLI::Option* to = command.add_option("--to", options.to, "End of the date/time range, \"dd/MM/yyyy HH:MM:SS\"");
    from->needs(to);
    to->needs(from);
}

CLoadRunner::CLoadRunner(LoadOptions options)
    : m_options(std::move(options)), m_database(m_temp.Path(), this), m_showProgress(StderrIsTerminal()) {}

CLoadRunner::~CLoadRunner() {
    m_database.StopLoad();
}

FilterList CLoadRunner::BuildFilterList() const {
    FilterList filters;
    return filters;
}

void CLoadRunner::Post(LoadNotification n) {
    switch (n.message) {
        case UM_LOAD_PROGRESS: ShowProgress("records found", n.count); break;
        case UM_SCAN_PROGRESS: ShowProgress("records read", n.count); break;
        case UM_LOAD_FINISHED:
            m_finished = true;
            m_total = n.count;
            break;
        case UM_LOAD_FAILED:
            m_failed = true;
            m_failure = n.text;
            break;
        case UM_INVALID_RECORDS:
            m_invalidCount = n.count;
            m_invalidLog = n.text;
            break;
        default: break;
    }
}

void CLoadRunner::ShowProgress(const char* what, std::int64_t count) {
    if (!m_showProgress) return;
    std::lock_guard lock(m_progressMutex);
    // A pulse comes every 1000 records; a terminal needs no more than ten lines a second.
    const auto now = std::chrono::steady_clock::now();
    if (m_progressShown && now - m_lastProgress < std::chrono::milliseconds(100)) return;
    m_lastProgress = now;
    std::fprintf(stderr, "\rLoading Records... %lld %s\033[K", static_cast<long long>(count), what);
    std::fflush(stderr);
    m_progressShown = true;
}

void CLoadRunner::ClearProgress() {
    std::lock_guard lock(m_progressMutex);
    if (m_progressShown) std::fputs("\r\033[K", stderr);
    m_progressShown = false;
}

LoadResult CLoadRunner::Run() {
    if (!FileExists(FCUInformationFilePath(m_options.folder))) {
        throw CommandFailure{kExitNoData, std::string(res::LoadString(res::IDS_FCU_INFO_MISSING))};
    }
    LoadRequest request;
    request.folder = m_options.folder;
    request.order = OrderFromText(m_options.order);
    request.modbusBaseAddress = static_cast<std::uint8_t>(m_options.modbusAddress);
    if (!m_options.from.empty() || !m_options.to.empty()) {
        request.range = DateTimeRange{DateTimeOption("--from", m_options.from), DateTimeOption("--to", m_options.to)};
    }

    RaiseOpenFileLimit();
    const LoadSequenceResult sequence = RunLoadSequence(m_database, m_filters, BuildFilterList(), request);
    if (!sequence.started) {
        const int code = sequence.messageId == res::IDS_NO_DATA_FILE ? kExitNoData : kExitUsage;
        throw CommandFailure{code, std::string(res::LoadString(sequence.messageId))};
    }
    m_database.WaitForLoad();
    ClearProgress();
    if (m_failed) throw CommandFailure{kExitNoData, m_failure};
    if (!m_finished) throw CommandFailure{kExitNoData, "error: the load ended without a result"};

    LoadResult result;
    result.total = m_total;
    if (m_invalidCount > 0) {
        // This run's folder goes away at exit; the log is kept where the viewer keeps it, in the private
        // temporary folder, until the next load replaces it.
        const std::string kept = PrivateTempFolder() + "/" + format::kInvalidRecordLogName;
        std::error_code ec;
        std::filesystem::rename(m_invalidLog, kept, ec);
        result.invalidRecords = m_invalidCount;
        result.invalidRecordLog = ec ? m_invalidLog : kept;
        std::fprintf(stderr, "%s\n", InvalidRecordsMessage(result.invalidRecords, result.invalidRecordLog).c_str());
    }
    return result;
}

}  // namespace vyx::cli
