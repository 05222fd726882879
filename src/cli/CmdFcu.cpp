// vyx fcu: the FCU table of a data folder (number, type, channel in display order), written as the FCU Log
// report: CSV on standard output by default, or CSV, HTML or a workbook into a file.

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "cli/LoadRunner.h"
#include "cli/StandardOutput.h"
#include "decode/FCUParse.h"
#include "filter/FCUFilterCriteria.h"
#include "platform/File.h"
#include "platform/TempFolder.h"
#include "report/FCUListRows.h"
#include "report/FCULogReport.h"
#include "report/ReportCriteriaChecks.h"
#include "res/StringTable.h"

namespace vyx::cli {
namespace {

struct FcuOptions {
    std::string folder;
    std::string channel;  // "--ALL--", "MS_A(left)", "MS_B(right)", or all / A / B
    std::string type = "csv";
    std::string out = "-";
};

// The FCU view's channel choice: all, channel A or channel B, read as the load commands read it.
FCUFilterList ChannelFilters(const std::string& channel) {
    FCUFilterList filters;
    const int index = ChannelIndex(channel);
    if (index > 0) filters.push_back(std::make_unique<CFCUFilterChannel>(index - 1));
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
CFCUListRows FcuTable(const std::string& path, const FCUFilterList& filters) {
    return CFCUListRows(
        CFCUParse().ReadFCUDisplayList(path, filters, [&](const FCUFileIssue& issue) { NoteIssue(path, issue); }));
}

std::int32_t ReportType(const std::string& type) {
    if (type == "html") return kReportTypeHtml;
    if (type == "xlsx") return kReportTypeXls;
    return kReportTypeCsv;
}

void Run(const FcuOptions& o) {
    const FCUFilterList filters = ChannelFilters(o.channel);  // a usage error goes before everything else
    const std::string path = o.folder + "/" + std::string(res::LoadString(res::IDS_FCU_INFO_FILE));
    if (!FileExists(path)) throw CommandFailure{kExitNoData, std::string(res::LoadString(res::IDS_FCU_INFO_MISSING))};
    const bool toStandardOutput = o.out == "-";
    if (toStandardOutput && o.type == "xlsx") {
        throw CommandFailure{kExitUsage, "error: a workbook cannot go to standard output; give --out a file"};
    }
    if (!toStandardOutput) {
        if (const auto refusal = CReportCriteriaChecks::CheckFCUGenerate(o.out, o.folder)) {
            throw CommandFailure{kExitUsage, refusal->text};
        }
    }
    const CFCUListRows rows = FcuTable(path, filters);
    // The FCU Log report writes nothing for an empty table.
    if (const auto refusal = CheckFCUReportRows(rows)) throw CommandFailure{kExitNoData, refusal->text};
    FCUReportOptions options;
    options.standardOutput = toStandardOutput;
    // The workbook's row file goes into a run folder of this run, removed at exit.
    const CScopedTempFolder runFolder;
    options.workbookTempFolder = runFolder.Path();
    ThrowIfInterrupted();
    const FCUReportOutcome outcome = WriteFCULogReport(rows, CFCUReportCriteria(o.out, ReportType(o.type)), options);
    if (!outcome.written) {
        // A reader that went away is no failure to report.
        if (toStandardOutput && StandardOutputIsClosed()) FailStandardOutput(EPIPE);
        throw CommandFailure{kExitNoData, outcome.message.text};
    }
}

const RegisterCommand registration(30, [](CLI::App& app) {
    auto options = std::make_shared<FcuOptions>();
    options->channel = std::string(res::LoadString(res::IDS_ALL));
    CLI::App* cmd = app.add_subcommand("fcu", "Print the FCU table of a data folder (MISCDATA.TXT) as CSV");
    cmd->add_option("DIR", options->folder, "Data folder")->required();
    cmd->add_option("--channel", options->channel,
                    "Master station whose FCUs are listed: \"--ALL--\", \"MS_A(left)\", \"MS_B(right)\" (or all, A, B)")
        ->capture_default_str();
    cmd->add_option("--type", options->type, "Report form")
        ->check(CLI::IsMember({"csv", "html", "xlsx"}))
        ->capture_default_str();
    cmd->add_option("--out", options->out, "Output file; - writes CSV or HTML to standard output")
        ->capture_default_str();
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
