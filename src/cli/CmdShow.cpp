// vyx show: loads a data folder and prints one record by its Sr.No.

#include <cstdio>

#include "cli/Command.h"
#include "cli/LoadRunner.h"
#include "decode/RecordTextLine.h"

namespace vyx::cli {
namespace {

struct ShowOptions {
    LoadOptions load;
    std::int64_t record = 1;
};

void Run(const ShowOptions& options) {
    CLoadRunner runner(options.load);
    const LoadResult result = runner.Run();
    if (options.record > result.total) {
        throw CommandFailure{kExitNoData, "error: there is no record " + std::to_string(options.record) + " (" +
                                              std::to_string(result.total) + " records found)"};
    }
    CRecord record;
    if (!runner.Database().GetRecord(options.record - 1, record)) {
        throw CommandFailure{kExitNoData, "error: record " + std::to_string(options.record) + " could not be read"};
    }
    const std::string line = RecordTextLine(record, options.record);
    std::fwrite(line.data(), 1, line.size(), stdout);
}

const RegisterCommand registration(31, [](CLI::App& app) {
    auto options = std::make_shared<ShowOptions>();
    CLI::App* cmd = app.add_subcommand("show", "Load a data folder and print one record as a text line");
    AddLoadOptions(*cmd, options->load);
    cmd->add_option("--record", options->record, "Sr.No. of the record (1 = first)")
        ->required()
        ->check(CLI::PositiveNumber);
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
