// vyx detail: loads a data folder and prints the detail decoding of one record, as the detail dialogs show it.

#include <cstdio>

#include "cli/Command.h"
#include "cli/LoadRunner.h"
#include "cli/StandardOutput.h"
#include "decode/DetailRows.h"
#include "decode/FCUParse.h"
#include "decode/RecordToParameterXferConverter.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "logdata/DataFolder.h"

namespace vyx::cli {
namespace {

struct DetailOptions {
    LoadOptions load;
    std::string record;  // a Sr.No.
};

void Run(const DetailOptions& options) {
    const LoadedRecord loaded = LoadRecordOption(options.load, options.record);
    const CRecordToParameterXferConverter blockTransfer(
        CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(options.load.folder)));
    // The address the load ran with, as the viewer's detail dialogs use it.
    const CRecordToModbusMultipleConverter modbus(loaded.modbusBaseAddress);
    const DetailRows rows = BuildDetailRows(loaded.record, blockTransfer, modbus);
    std::printf("Record No. %lld\n", static_cast<long long>(loaded.srNo));
    const std::string text = FormatDetailRows(rows);
    WriteStandardOutput(text.data(), text.size());
}

const RegisterCommand registration(40, [](CLI::App& app) {
    auto options = std::make_shared<DetailOptions>();
    CLI::App* cmd = app.add_subcommand(
        "detail", "Load a data folder and print the decoding of one Parameter Block Transfer or Modbus multiple record");
    AddLoadOptions(*cmd, options->load);
    cmd->add_option("--record", options->record, "Sr.No. of the record (1 = first)")->required();
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
