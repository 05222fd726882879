#include "analysis/LoopTestSupport.h"

#include <stdexcept>

#include "analysis/FcuEventsBuilder.h"
#include "decode/FCUParse.h"
#include "logdata/DataFolder.h"
#include "logdata/LoadPipeline.h"

namespace vyx::test {

void LoadedFolder::Load(const std::string& folder, std::uint64_t checkpointInterval) {
    LoadRequest request;
    request.folder = folder;
    request.order = LoadOrder::Ascending;
    if (!RunLoadSequence(database, filters, {}, request).started) throw std::runtime_error("no load started");
    database.WaitForLoad();
    FcuEventsBuildOptions options;
    options.tempFolder = temp.Path();
    options.checkpointInterval = checkpointInterval;
    events = BuildFcuEvents(database, CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(folder)), options);
}

std::vector<FcuEvent> AllEvents(const CFcuEvents& events) {
    std::vector<FcuEvent> all;
    CFcuEventReader reader(events);
    for (std::uint64_t i = 0; i < reader.Count(); ++i) all.push_back(reader.At(i));
    return all;
}

}  // namespace vyx::test
