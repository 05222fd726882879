#include "cli/LoopEventsRun.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <limits>
#include <thread>

#include "analysis/FcuEventsBuilder.h"
#include "cli/Command.h"
#include "cli/Interruption.h"
#include "decode/FCUParse.h"
#include "logdata/DataFolder.h"
#include "logdata/TimeValue.h"
#include "platform/FileError.h"

namespace vyx::cli {
namespace {

LoadOptions WholeFolder(const LoadOptions& given) {
    LoadOptions whole;
    whole.folder = given.folder;
    whole.modbusAddress = given.modbusAddress;
    whole.recover = given.recover;
    whole.order = "asc";
    return whole;
}

}  // namespace

CLoopEventsRun::CLoopEventsRun(const LoadOptions& options) : m_runner(WholeFolder(options)), m_folder(options.folder) {}

CLoopEventsRun::~CLoopEventsRun() = default;

const CFcuEvents& CLoopEventsRun::Build() {
    const bool showProgress = StderrIsTerminal();
    std::atomic<bool> cancel{false};
    std::atomic<bool> loadEnded{false};
    std::atomic<bool> finished{false};
    std::exception_ptr failure;
    FCUConfigurationList configuration;
    FcuEventsBuildOptions options;
    options.tempFolder = m_temp.Path();
    options.cancel = &cancel;
    options.loadEnded = &loadEnded;
    if (showProgress) {
        options.progress = [](std::int64_t done, std::int64_t total) {
            std::fprintf(stderr, "\rFinding events... %lld of %lld records\033[K", static_cast<long long>(done),
                         static_cast<long long>(total));
            std::fflush(stderr);
        };
    }
    // The events pass goes along with the load from its start: the load keeps one core busy, the pass the
    // other.
    std::thread worker;
    m_runner.SetStartedHook([&] {
        configuration = CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(m_folder));
        worker = std::thread([&] {
            try {
                m_events = BuildFcuEvents(m_runner.Database(), configuration, options);
            } catch (...) {
                failure = std::current_exception();
            }
            finished.store(true);
        });
    });
    try {
        m_runner.Run();
    } catch (...) {
        cancel.store(true);
        if (worker.joinable()) worker.join();
        throw;
    }
    loadEnded.store(true);
    if (!worker.joinable()) throw CommandFailure{kExitNoData, "error: the load ended without a result"};
    try {
        WaitUnlessInterrupted([&] { return finished.load(); },
                              [&] {
                                  cancel.store(true);
                                  worker.join();
                              });
    } catch (...) {
        if (worker.joinable()) worker.join();
        if (showProgress) std::fputs("\r\033[K", stderr);
        throw;
    }
    worker.join();
    if (showProgress) std::fputs("\r\033[K", stderr);
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const CVyxError& e) {
            throw CommandFailure{kExitNoData, std::string("error: ") + e.what()};
        }
    }
    if (!m_events) throw CommandFailure{kExitNoData, "error: the events were not found"};
    return *m_events;
}

std::uint32_t TimeOption(const std::string& name, const std::string& text) {
    const auto value = ParseDateTimeText(text.c_str());
    if (!value) throw CommandFailure{kExitUsage, "error: " + name + " takes \"dd/MM/yyyy HH:MM:SS\": " + text};
    const std::int64_t seconds = SecondsFromCivil(*value);
    if (seconds < 0 || seconds > std::numeric_limits<std::uint32_t>::max()) {
        throw CommandFailure{kExitUsage, "error: " + name + " lies outside the times a record can carry: " + text};
    }
    return static_cast<std::uint32_t>(seconds);
}

int FcuOption(const std::string& text) {
    if (text == "--ALL--" || text == "all") return 0;
    if (text == "loop" || text == "Loop") return -1;
    int number = 0;
    std::size_t used = 0;
    try {
        number = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || number < 1 || number > 300) {
        throw CommandFailure{kExitUsage, "error: --fcu takes an FCU number 1..300, loop or --ALL--: " + text};
    }
    return number;
}

}  // namespace vyx::cli
