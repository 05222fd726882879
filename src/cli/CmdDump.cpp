// vyx dump: every frame of one day file as a record text line.

#include <cstdio>
#include <iostream>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "cli/StandardOutput.h"
#include "decode/RecordTextLine.h"
#include "filter/FilterBar.h"
#include "logdata/DayFileReader.h"
#include "logdata/Parse.h"
#include "platform/File.h"

namespace vyx::cli {
namespace {

struct DumpOptions {
    std::string path;
    std::string modbusAddress = std::to_string(kDefaultModbusBaseAddress);  // as typed in the Modbus box
};

const char* EndText(FrameEnd end) {
    switch (end) {
    case FrameEnd::BadLength: return "a frame length of 2 or less ends the file";
    case FrameEnd::Truncated: return "the last frame is truncated";
    case FrameEnd::OffsetLimit: return "the file is larger than 4 GiB; the rest is not read";
    default: return nullptr;
    }
}

void Run(const DumpOptions& o) {
    if (!FileExists(o.path)) throw CommandFailure{kExitUsage, "error: no such day file: " + o.path};
    std::uint8_t address = 0;
    const std::string addressMessage = CheckModbusAddressText(o.modbusAddress, address);
    if (!addressMessage.empty()) throw CommandFailure{kExitUsage, addressMessage};
    CDayFileReader reader;
    reader.Open(o.path);
    const CParse parse(address);
    CRecord record;
    Frame frame;
    std::int64_t line = 0;
    std::string out;
    while (reader.Next(frame)) {
        if (!frame.IsDecodable()) {
            std::fprintf(stderr, "offset %u: frame length %d outside 7..302, skipped\n", frame.offset, frame.length);
            continue;
        }
        parse.Parse(frame.bytes, frame.RecordSize(), record);
        ++line;
        if (record.m_nMessageMode == kModeUnidentified) {
            std::fprintf(stderr, "line %lld (offset %u): invalid record, class byte 0x%02X\n",
                         static_cast<long long>(line), frame.offset, frame.bytes[4]);
        }
        out += RecordTextLine(record, line);
        if (out.size() > (1 << 16)) {
            WriteStandardOutput(out.data(), out.size());
            out.clear();
            ThrowIfInterrupted();
        }
    }
    WriteStandardOutput(out.data(), out.size());
    if (const char* why = EndText(reader.EndReason())) {
        std::fprintf(stderr, "offset %llu: %s\n", static_cast<unsigned long long>(reader.Offset()), why);
    }
}

const RegisterCommand registration(20, [](CLI::App& app) {
    auto options = std::make_shared<DumpOptions>();
    CLI::App* cmd = app.add_subcommand("dump", "Print every frame of one day file as a text line");
    cmd->add_option("DAYFILE", options->path, "Day file to read")->required();
    cmd->add_option("--modbus-addr", options->modbusAddress, "Modbus base slave address, 0..252")
        ->capture_default_str();
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
