#include "analysis/FolderEvents.h"

#include <chrono>
#include <condition_variable>
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

    void Post(LoadNotification n) override {
        if (n.message == UM_SCAN_PROGRESS && m_options.progress && n.count % 65536 < 1000) {
            m_options.progress(n.count, 0);
        }
        if (n.message != UM_LOAD_FINISHED && n.message != UM_LOAD_FAILED) return;
        std::lock_guard lock(m_mutex);
        m_ended = true;
        if (n.message == UM_LOAD_FAILED) m_failure = n.text.empty() ? "the load failed" : n.text;
        m_changed.notify_all();
    }

    // True once the load has ended; waits a little for it.
    bool WaitForEnd() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(20), [this] { return m_ended; });
    }
    std::string Failure() {
        std::lock_guard lock(m_mutex);
        return m_failure;
    }

private:
    const FcuEventsBuildOptions& m_options;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_ended = false;
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
    while (!watch.WaitForEnd()) {
        if (request.build.cancel && request.build.cancel->load()) {
            database.StopLoad();
            return nullptr;
        }
    }
    database.WaitForLoad();
    if (const std::string failure = watch.Failure(); !failure.empty()) throw CVyxError(failure);
    if (request.build.cancel && request.build.cancel->load()) return nullptr;
    return BuildFcuEvents(database, configuration, request.build);
}

}  // namespace vyx
