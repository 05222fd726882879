#include "cli/LoadRunner.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "cli/NumberOptions.h"
#include "decode/FCUParse.h"
#include "decode/VyxViewerClassFactory.h"
#include "filter/CommandList.h"
#include "filter/TextToFilterCriteriaConverter.h"
#include "logdata/DataFolder.h"
#include "logdata/DayFileFormat.h"
#include "logdata/LoadPipeline.h"
#include "logdata/TimeValue.h"
#include "platform/File.h"
#include "platform/FileError.h"
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
    command.add_option("--channel", options.channel, "Channel: \"--ALL--\", \"MS_A(left)\", \"MS_B(right)\" (or all, A, B)")
        ->capture_default_str();
    command.add_option("--command", options.command, "An entry of the command box, exactly (see vyx commands)")
        ->capture_default_str();
    command.add_option("--fcu", options.fcu, "FCU number 1..300, or \"--ALL--\", as typed in the FCU box")
        ->capture_default_str();
    command.add_flag("--recover", options.recover,
                     "Resynchronise in damaged day files instead of stopping or jumping where a frame is wrong");
    command.add_option("--modbus-addr", options.modbusAddress, "Modbus base slave address, 0..252")
        ->capture_default_str();
}

int ChannelIndex(const std::string& text) {
    if (text == "--ALL--" || text == "all" || text == "ALL") return 0;
    if (text == "MS_A(left)" || text == "A" || text == "a") return 1;
    if (text == "MS_B(right)" || text == "B" || text == "b") return 2;
    throw CommandFailure{kExitUsage, "error: --channel takes \"--ALL--\", \"MS_A(left)\", \"MS_B(right)\", all, A or B: " +
                                         text};
}

FilterBarSelection CLoadRunner::Selection() const {
    FilterBarSelection selection;
    selection.channelIndex = ChannelIndex(m_options.channel);
    selection.commandIndex = CommandIndexOf(m_options.command);
    if (selection.commandIndex < 0) {
        throw CommandFailure{kExitUsage, "error: --command takes an entry of the command box (see vyx commands): " +
                                             m_options.command};
    }
    selection.fcuText = m_options.fcu;
    if (!m_options.from.empty() || !m_options.to.empty()) {
        selection.selectDateTime = true;
        selection.from = DateTimeOption("--from", m_options.from);
        selection.to = DateTimeOption("--to", m_options.to);
    }
    return selection;
}

CLoadRunner::CLoadRunner(LoadOptions options)
    : m_options(std::move(options)), m_database(m_temp.Path(), this), m_showProgress(StderrIsTerminal()) {}

CLoadRunner::~CLoadRunner() {
    m_database.StopLoad();
}

void CLoadRunner::SetFollow(FollowSettings follow, std::function<void(const LoadNotification&)> hook) {
    follow.folder = m_options.folder;
    m_database.SetFollow(std::move(follow));
    m_following = true;
    m_followHook = std::move(hook);
}

void CLoadRunner::Post(LoadNotification n) {
    // After the load's end its results are read by the main thread: a follow's notifications go elsewhere.
    // (A load without a follow still tells its invalid records after its end, before the join.)
    if (m_following && m_workerEnded.load()) {
        if (m_followHook) m_followHook(n);
        return;
    }
    switch (n.message) {
        case UM_LOAD_PROGRESS: ShowProgress("records found", n.count); break;
        case UM_SCAN_PROGRESS: ShowProgress("records read", n.count); break;
        case UM_LOAD_FINISHED:
            m_finished = true;
            m_total = n.count;
            m_workerEnded.store(true);
            break;
        case UM_LOAD_FAILED:
            m_failed = true;
            m_failure = n.text;
            m_workerEnded.store(true);
            break;
        case UM_INVALID_RECORDS:
            m_invalidCount = n.count;
            m_invalidLog = n.text;
            break;
        case UM_DAMAGED_FILES: m_damageNotice = n.text; break;
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
    const std::string fcuFile = FCUInformationFilePath(m_options.folder);
    if (!FileExists(fcuFile)) {
        throw CommandFailure{kExitNoData, std::string(res::LoadString(res::IDS_FCU_INFO_MISSING))};
    }
    const FilterBarSelection selection = Selection();
    std::uint8_t address = 0;
    const std::string addressMessage = CheckModbusAddressText(m_options.modbusAddress, address);
    if (!addressMessage.empty()) throw CommandFailure{kExitUsage, addressMessage};

    RaiseOpenFileLimit();
    // The same steps in the same order as the viewer's filter button: scan, check the inputs, then load.
    const DataFolderScan scan = StopAndScan(m_database, m_options.folder);
    if (!scan.listError.empty()) throw CommandFailure{kExitNoData, "error: " + scan.listError};
    if (const std::string notice = LeftOutNotice(scan); !notice.empty()) std::fprintf(stderr, "%s\n", notice.c_str());
    if (scan.count == 0) throw CommandFailure{kExitNoData, std::string(res::LoadString(res::IDS_NO_DATA_FILE))};
    const FCUTextCheck fcu = CheckFCUText(selection.fcuText);
    if (!fcu.valid) throw CommandFailure{kExitUsage, fcu.message};
    std::optional<DateTimeRange> range;
    if (selection.selectDateTime) {
        range = DateTimeRange{selection.from, selection.to};
        if (const int id = ValidateDateRange(*range, scan)) {
            throw CommandFailure{kExitUsage, std::string(res::LoadString(id))};
        }
    }
    const FCUConfigurationList configuration = CFCUParse().ReadFCUConfigurationList(fcuFile);
    const CTextToFilterCriteriaConverter converter(configuration);
    const std::uint8_t loadAddress = ModbusAddressForLoad(address);
    m_database.SetRecovery(m_options.recover);
    PrepareAndStartLoad(m_database, m_filters, BuildFilterList(selection, configuration, converter, loadAddress),
                        range, loadAddress, OrderFromText(m_options.order));
    if (m_startedHook) m_startedHook();
    // A signal stops the worker as a new load would; the run then unwinds and its folder goes.
    WaitUnlessInterrupted([this] { return m_workerEnded.load(); },
                          [this] {
                              m_database.StopLoad();
                              ClearProgress();
                          });
    // A follow goes on after the load's end; it is stopped with the runner.
    if (!m_following) m_database.WaitForLoad();
    ClearProgress();
    if (m_failed) throw CommandFailure{kExitNoData, m_failure};
    if (!m_finished) throw CommandFailure{kExitNoData, "error: the load ended without a result"};

    LoadResult result;
    result.total = m_total;
    result.damageNotice = m_damageNotice;
    if (!m_damageNotice.empty()) {
        // The damage log sits in this run's folder, which goes at exit: the notice names it where it is kept.
        std::string notice = m_damageNotice;
        const std::string log = m_temp.Path() + "/" + format::kDamageLogName;
        try {
            const std::string kept = KeepInFolderOfItsOwn(log, PrivateTempFolder());
            if (const auto at = notice.rfind(log); at != std::string::npos) notice.replace(at, log.size(), kept);
        } catch (const CVyxError&) {
            // The notice still names the day files; only the details go with the run's folder.
        }
        std::fprintf(stderr, "%s\n", notice.c_str());
        result.damageNotice = notice;
    }
    if (m_invalidCount > 0) {
        // This run's folder goes away at exit; the log moves to a folder of its own, where no other run,
        // of the tool or the viewer, writes over it before the user reads it.
        result.invalidRecords = m_invalidCount;
        std::string keepFailure;
        try {
            result.invalidRecordLog = KeepInFolderOfItsOwn(m_invalidLog, PrivateTempFolder());
        } catch (const CVyxError& e) {
            result.invalidRecordLog = m_invalidLog;
            keepFailure = e.what();
        }
        std::fprintf(stderr, "%s\n", InvalidRecordsMessage(result.invalidRecords, result.invalidRecordLog).c_str());
        if (!keepFailure.empty()) std::fprintf(stderr, "note: the log is removed at exit: %s\n", keepFailure.c_str());
    }
    return result;
}

CRecord CLoadRunner::ReadRecord(const LoadResult& result, std::int64_t srNo) const {
    if (srNo > result.total) {
        throw CommandFailure{kExitNoData, "error: there is no record " + std::to_string(srNo) + " (" +
                                              std::to_string(result.total) + " records found)"};
    }
    CRecord record;
    if (!m_database.GetRecord(srNo - 1, record)) {
        throw CommandFailure{kExitNoData, "error: record " + std::to_string(srNo) + " could not be read"};
    }
    return record;
}

LoadedRecord LoadRecordOption(const LoadOptions& options, const std::string& recordText) {
    LoadedRecord loaded;
    loaded.srNo = SerialOption("--record", recordText);
    CLoadRunner runner(options);
    const LoadResult result = runner.Run();
    loaded.record = runner.ReadRecord(result, loaded.srNo);
    loaded.modbusBaseAddress = runner.Database().Settings().modbusBaseAddress;
    return loaded;
}

}  // namespace vyx::cli
