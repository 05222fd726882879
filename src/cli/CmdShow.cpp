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
    std::string record;  // a Sr.No.
};

void Run(const ShowOptions& options) {
    const LoadedRecord loaded = LoadRecordOption(options.load, options.record);
    const std::string line = RecordTextLine(loaded.record, loaded.srNo);
    WriteStandardOutput(line.data(), line.size());
}

const RegisterCommand registration(31, [](CLI::App& app) {
    auto options = std::make_shared<ShowOptions>();
    CLI::App* cmd = app.add_subcommand("show", "Load a data folder and print one record as a text line");
    AddLoadOptions(*cmd, options->load);
    cmd->add_option("--record", options->record, "Sr.No. of the record (1 = first)")->required();
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
