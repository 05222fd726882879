// vyx count: loads a data folder and prints how many records it yields.

#include <cstdio>

#include "cli/Command.h"
#include "cli/LoadRunner.h"
#include "res/StringTable.h"

namespace vyx::cli {
namespace {

void Run(const LoadOptions& options) {
    CLoadRunner runner(options);
    const LoadResult result = runner.Run();
    std::printf("Total Record Found:- %lld\n", static_cast<long long>(result.total));
    if (result.total == 0) std::fprintf(stderr, "%s\n", res::LoadString(res::IDS_NO_VALID_RECORD).data());
}

const RegisterCommand registration(30, [](CLI::App& app) {
    auto options = std::make_shared<LoadOptions>();
    CLI::App* cmd = app.add_subcommand("count", "Load a data folder and print the number of records found");
    AddLoadOptions(*cmd, *options);
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
