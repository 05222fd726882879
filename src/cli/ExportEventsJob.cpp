#include "cli/ExportEventsJob.h"

#include "analysis/FcuEventsBuilder.h"
#include "analysis/FolderEvents.h"
#include "cli/Command.h"
#include "cli/Interruption.h"
#include "decode/FCUParse.h"
#include "logdata/DataFolder.h"

namespace vyx::cli {

bool LoadsWholeFolderAscending(const LoadOptions& o) {
    return o.order == "asc" && o.from.empty() && o.to.empty() && ChannelIndex(o.channel) == 0 &&
           o.command == "--ALL--" && o.fcu == "--ALL--";
}

CExportEventsJob::CExportEventsJob(const LoadOptions& options, const CLoadRunner& runner) {
    const CRecordDatabase& database = runner.Database();
    const bool reuse = LoadsWholeFolderAscending(options);
    FolderEventsRequest request;
    request.folder = options.folder;
    request.modbusBaseAddress = database.Settings().modbusBaseAddress;
    request.recover = options.recover;
    request.build.tempFolder = database.TempFolder();
    request.build.cancel = &m_cancel;
    m_thread = std::thread([this, request, reuse, &database] {
        try {
            if (reuse) {
                m_events = BuildFcuEvents(
                    database, CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(request.folder)),
                    request.build);
            } else {
                m_events = BuildFolderFcuEvents(request);
            }
        } catch (...) {
            m_failure = std::current_exception();
        }
        m_finished.store(true);
    });
}

CExportEventsJob::~CExportEventsJob() {
    m_cancel.store(true);
    if (m_thread.joinable()) m_thread.join();
}

const CFcuEvents& CExportEventsJob::Wait() {
    WaitUnlessInterrupted([this] { return m_finished.load(); },
                          [this] {
                              m_cancel.store(true);
                              m_thread.join();
                          });
    if (m_thread.joinable()) m_thread.join();
    if (m_failure) {
        try {
            std::rethrow_exception(m_failure);
        } catch (const CVyxError& e) {
            throw CommandFailure{kExitNoData, std::string("error: the loop's events: ") + e.what()};
        }
    }
    if (!m_events) throw CommandFailure{kExitNoData, "error: the loop's events were not found"};
    return *m_events;
}

}  // namespace vyx::cli
