// vyx show: loads a data folder and prints one record by its Sr.No.

#include <cstdio>

#include "cli/Command.h"
#include "cli/LoadRunner.h"
#include "cli/StandardOutput.h"
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
    const CRecord record = runner.ReadRecord(result, options.record);
    const std::string line = RecordTextLine(record, options.record);
    WriteStandardOutput(line.data(), line.size());
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
