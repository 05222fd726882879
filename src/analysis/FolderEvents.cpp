#include "analysis/FolderEvents.h"

#include <atomic>
#include <mutex>

#include "decode/FCUParse.h"
#include "logdata/DataFolder.h"
#include "logdata/LoadPipeline.h"
#include "logdata/RecordDatabase.h"
#include "platform/File.h"
#include "platform/FileError.h"
#include "platform/TempFolder.h"
#include "res/StringTable.h"

namespace vyx {
namespace {

// The load's end (or failure) and its progress, handed from the load's worker to the caller's thread.
class CLoadWatch final : public ILoadNotificationTarget {
public:
    explicit CLoadWatch(const FcuEventsBuildOptions& options) : m_options(options) {}

    // Until the load has ended, its count of records read is the progress: the pass's total grows with each
    // file the load finishes, and a bar against it would go back.
    void Post(LoadNotification n) override {
        if (n.message == UM_SCAN_PROGRESS && m_options.progress && n.count % 65536 < 1000) {
            m_options.progress(n.count, 0);
        }
        if (n.message != UM_LOAD_FINISHED && n.message != UM_LOAD_FAILED) return;
        std::lock_guard lock(m_mutex);
        if (n.message == UM_LOAD_FAILED) m_failure = n.text.empty() ? "the load failed" : n.text;
        m_ended.store(true);
    }

    const std::atomic<bool>& Ended() const { return m_ended; }
    std::string Failure() {
        std::lock_guard lock(m_mutex);
        return m_failure;
    }

private:
    const FcuEventsBuildOptions& m_options;
    std::mutex m_mutex;
    std::atomic<bool> m_ended{false};
    std::string m_failure;
};

}  // namespace

std::unique_ptr<CFcuEvents> BuildFolderFcuEvents(const FolderEventsRequest& request) {
    const std::string fcuFile = FCUInformationFilePath(request.folder);
    if (!FileExists(fcuFile)) throw CVyxError(std::string(res::LoadString(res::IDS_FCU_INFO_MISSING)));
    const FCUConfigurationList configuration = CFCUParse().ReadFCUConfigurationList(fcuFile);

    CLoadWatch watch(request.build);
    // The load's index files and logs have fixed names: in a folder of their own they never meet those of
    // the main list's load, and they go when this returns.
    const CScopedTempFolder loadFolder(request.build.tempFolder);
    FilterList filters;  // none: the state of the loop takes every record
    CRecordDatabase database(loadFolder.Path(), &watch);
    database.SetRecovery(request.recover);
    LoadRequest load;
    load.folder = request.folder;
    load.modbusBaseAddress = request.modbusBaseAddress;
    load.order = LoadOrder::Ascending;
    if (!RunLoadSequence(database, filters, {}, load).started) {
        throw CVyxError(std::string(res::LoadString(res::IDS_NO_DATA_FILE)));
    }
    // The pass goes along with the load, on this thread, taking each day file once the load has finished it:
    // the load keeps one core busy, the pass the other.
    FcuEventsBuildOptions beside = request.build;
    beside.loadEnded = &watch.Ended();
    if (request.build.progress) {
        beside.progress = [&](std::int64_t done, std::int64_t total) {
            if (watch.Ended().load()) request.build.progress(done, total);
        };
    }
    std::unique_ptr<CFcuEvents> events;
    try {
        events = BuildFcuEvents(database, configuration, beside);
    } catch (...) {
        database.StopLoad();
        database.WaitForLoad();
        // A load that failed first has the user's text; the pass only saw its files go missing.
        if (const std::string failure = watch.Failure(); !failure.empty()) throw CVyxError(failure);
        throw;
    }
    if (!events) database.StopLoad();  // cancelled
    database.WaitForLoad();
    if (const std::string failure = watch.Failure(); !failure.empty()) throw CVyxError(failure);
    if (request.build.cancel && request.build.cancel->load()) return nullptr;
    return events;
}

}  // namespace vyx
