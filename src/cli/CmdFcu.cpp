// vyx fcu: the FCU table of a data folder (number, type, channel in display order), written as the FCU Log
// report writes its CSV form.

#include <array>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "decode/FCUDisplay.h"
#include "decode/FCUParse.h"
#include "filter/FCUFilterCriteria.h"
#include "platform/File.h"
#include "platform/TextEncoding.h"
#include "res/StringTable.h"

namespace vyx::cli {
namespace {

struct FcuOptions {
    std::string folder;
    std::string channel;  // "--ALL--", "MS_A(left)" or "MS_B(right)"
};

using TableRow = std::array<std::string, 3>;

// The FCU view's channel choice: all, channel A or channel B.
FCUFilterList ChannelFilters(const std::string& channel) {
    FCUFilterList filters;
    if (channel == res::LoadString(res::IDS_MS_A_LEFT)) filters.push_back(std::make_unique<CFCUFilterChannel>(0));
    if (channel == res::LoadString(res::IDS_MS_B_RIGHT)) filters.push_back(std::make_unique<CFCUFilterChannel>(1));
    return filters;
}

void NoteIssue(const std::string& path, const FCUFileIssue& issue) {
    const char* why = issue.kind == FCUFileIssue::Kind::TruncatedEntry ? "the file ends inside an entry"
                                                                       : "entries past the last FCU number";
    std::fprintf(stderr, "note: %s: %llu bytes at offset %llu not read (%s)\n", path.c_str(),
                 static_cast<unsigned long long>(issue.droppedBytes), static_cast<unsigned long long>(issue.offset),
                 why);
}

// The rows the FCU view shows for the folder: number, type and channel texts.
std::vector<TableRow> FcuTable(const std::string& path, const FCUFilterList& filters) {
    const FCUList fcus =
        CFCUParse().ReadFCUDisplayList(path, filters, [&](const FCUFileIssue& issue) { NoteIssue(path, issue); });
    std::vector<TableRow> rows;
    rows.reserve(fcus.size());
    CFCUDisplay display;
    for (const CFCU& fcu : fcus) {
        display.SetFCU(&fcu);
        rows.push_back({display.FormatFCUNumber(), display.FormatFCUType(), display.FormatChannel()});
    }
    return rows;
}

// Every field in double quotes and followed by a comma, each line ended by CR LF; texts in ISO-8859-1.
void AppendCsvLine(std::string& out, const TableRow& fields) {
    for (const std::string& field : fields) {
        out += '"';
        out += ToLatin1(field);
        out += "\",";
    }
    out += "\r\n";
}

void WriteCsv(const std::vector<TableRow>& rows, std::FILE* out) {
    std::string text;
    AppendCsvLine(text, {std::string(res::LoadString(res::IDS_FCU_NO)), std::string(res::LoadString(res::IDS_FCU_TYPE)),
                         std::string(res::LoadString(res::IDS_FCU_CHANNEL))});
    for (const TableRow& row : rows) AppendCsvLine(text, row);
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0) {
        throw CommandFailure{kExitNoData, "error: writing the FCU table failed"};
    }
}

void Run(const FcuOptions& o) {
    const std::string path = o.folder + "/" + std::string(res::LoadString(res::IDS_FCU_INFO_FILE));
    if (!FileExists(path)) throw CommandFailure{kExitNoData, std::string(res::LoadString(res::IDS_FCU_INFO_MISSING))};
    const std::vector<TableRow> rows = FcuTable(path, ChannelFilters(o.channel));
    // The FCU Log report writes nothing for an empty table.
    if (rows.empty()) throw CommandFailure{kExitNoData, "No record found.  Can not generate FCU report."};
    WriteCsv(rows, stdout);
}

const RegisterCommand registration(30, [](CLI::App& app) {
    auto options = std::make_shared<FcuOptions>();
    options->channel = std::string(res::LoadString(res::IDS_ALL));
    CLI::App* cmd = app.add_subcommand("fcu", "Print the FCU table of a data folder (MISCDATA.TXT) as CSV");
    cmd->add_option("DIR", options->folder, "Data folder")->required();
    cmd->add_option("--channel", options->channel, "Master station whose FCUs are listed")
        ->check(
            CLI::IsMember({std::string(res::LoadString(res::IDS_ALL)), std::string(res::LoadString(res::IDS_MS_A_LEFT)),
                           std::string(res::LoadString(res::IDS_MS_B_RIGHT))}))
        ->capture_default_str();
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
