// vyx export: loads a data folder as the viewer does and writes every record of the load, in its order, in a
// documented form that SQL engines, notebooks and spreadsheets read as it is: CSV, JSON Lines, SQLite or an
// .xlsx workbook; CSV and JSON Lines also partitioned by site and date.

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/Command.h"
#include "cli/EventsExportSource.h"
#include "cli/ExportEventsJob.h"
#include "cli/Interruption.h"
#include "cli/LoadRunner.h"
#include "cli/StandardOutput.h"
#include "export/ExportMeta.h"
#include "export/ExportRequest.h"
#include "export/RecordExport.h"
#include "export/SqliteExportSink.h"
#include "logdata/DataFolder.h"
#include "platform/FileError.h"
#include "res/StringTable.h"

#ifndef VYX_VERSION
#define VYX_VERSION "unknown"
#endif

namespace vyx::cli {
namespace {

struct ExportOptions {
    LoadOptions load;
    std::string format;
    std::string out;
    std::string partition;
    std::string site;
    std::string utcOffset;
    bool stats = false;
    bool events = false;
};

// The SQLite export with its `events` table: the rows go to the database as they come, the events (found
// meanwhile by the job) join them before the database is completed.
class CSqliteWithEvents final : public IExportSink {
public:
    CSqliteWithEvents(std::unique_ptr<CSqliteExportSink> sqlite, std::unique_ptr<CExportEventsJob> events)
        : m_sqlite(std::move(sqlite)), m_events(std::move(events)) {}

    void BeginDayFile(const ExportedDayFile& file) override { m_sqlite->BeginDayFile(file); }
    void WriteRow(const ExportRow& row) override { m_sqlite->WriteRow(row); }
    void Finish(const ExportSummary& summary) override {
        CEventsExportSource source(m_events->Wait());
        m_sqlite->AddEvents(source);
        m_sqlite->Finish(summary);
    }

private:
    std::unique_ptr<CSqliteExportSink> m_sqlite;
    std::unique_ptr<CExportEventsJob> m_events;
};

// The load options as words, for the export's own record of how it was made.
std::string FiltersText(const LoadOptions& o) {
    std::string text = "order=" + o.order + " channel=" + o.channel + " command=" + o.command + " fcu=" + o.fcu +
                       " modbus-addr=" + o.modbusAddress;
    if (!o.from.empty()) text += " from=" + o.from + " to=" + o.to;
    if (o.recover) text += " recover";
    return text;
}

void Run(const ExportOptions& o) {
    ExportRequest request;
    request.form = *ExportFormNamed(o.format);  // CLI11 allows only the four names
    request.out = o.out;
    request.partition = o.partition;
    request.site = o.site;
    request.utcOffset = o.utcOffset;
    request.dataFolder = o.load.folder;
    request.filters = FiltersText(o.load);
    request.program = std::string("vyx ") + VYX_VERSION;
    // Before the load: a refusal should not wait for it.
    if (const std::string why = CheckExportRequest(request); !why.empty()) {
        throw CommandFailure{kExitUsage, "error: " + why};
    }
    const bool toStandardOutput = o.out == "-";
    if (o.events && request.form != ExportForm::Sqlite) {
        throw CommandFailure{kExitUsage, "error: --events adds a table to the sqlite form only"};
    }

    using Clock = std::chrono::steady_clock;
    const auto loadStart = Clock::now();
    CLoadRunner runner(o.load);
    const LoadResult loaded = runner.Run();
    const auto exportStart = Clock::now();
    if (loaded.total == 0) std::fprintf(stderr, "%s\n", res::LoadString(res::IDS_NO_VALID_RECORD).data());

    std::unique_ptr<IExportSink> sink;
    if (o.events) {
        ExportMeta meta{request.dataFolder, request.filters, request.program, ExportUtcOffset(request)};
        auto sqlite =
            std::make_unique<CSqliteExportSink>(o.out, FCUInformationFilePath(o.load.folder), std::move(meta));
        sink = std::make_unique<CSqliteWithEvents>(std::move(sqlite), std::make_unique<CExportEventsJob>(o.load, runner));
    } else {
        sink = OpenExportSink(request, runner.Database().TempFolder());
    }

    const bool showProgress = StderrIsTerminal();
    auto lastShown = Clock::now();
    const auto progress = [&](std::int64_t written) {
        if (InterruptSignal() != 0) return false;
        if (showProgress && Clock::now() - lastShown > std::chrono::milliseconds(100)) {
            lastShown = Clock::now();
            std::fprintf(stderr, "\rExporting... %lld of %lld records\033[K", static_cast<long long>(written),
                         static_cast<long long>(loaded.total));
        }
        return true;
    };
    bool completed = false;
    try {
        completed = ExportRecords(runner.Database(), loaded.total, *sink, progress);
    } catch (const CVyxError& e) {
        if (showProgress) std::fputs("\r\033[K", stderr);
        // A reader that went away is no failure to report.
        if (toStandardOutput && StandardOutputIsClosed()) FailStandardOutput(EPIPE);
        throw CommandFailure{kExitNoData, std::string("error: ") + e.what()};
    }
    if (showProgress) std::fputs("\r\033[K", stderr);
    if (!completed) {
        sink.reset();  // leaves no output under the chosen name
        ThrowIfInterrupted();
        throw CommandFailure{kExitNoData, "error: the export was stopped"};
    }
    if (o.stats) {
        const double load = std::chrono::duration<double>(exportStart - loadStart).count();
        const double written = std::chrono::duration<double>(Clock::now() - exportStart).count();
        std::fprintf(stderr, "load %.3f s, export %.3f s, %lld records, %.0f records/s\n", load, written,
                     static_cast<long long>(loaded.total),
                     written > 0 ? static_cast<double>(loaded.total) / written : 0.0);
    }
}

const RegisterCommand registration(45, [](CLI::App& app) {
    auto options = std::make_shared<ExportOptions>();
    CLI::App* cmd = app.add_subcommand(
        "export", "Write every record of a load for SQL engines and spreadsheets (CSV, JSON Lines, SQLite, xlsx)");
    AddLoadOptions(*cmd, options->load);
    cmd->add_option("--format", options->format, "Export form")
        ->check(CLI::IsMember({"csv", "jsonl", "sqlite", "xlsx"}))
        ->required();
    cmd->add_option("--out", options->out, "Output file; - writes csv or jsonl to standard output");
    cmd->add_option("--partition", options->partition,
                    "Folder of a partitioned export (csv, jsonl): one file per day file under "
                    "site=NAME/date=YYYY-MM-DD/");
    cmd->add_option("--site", options->site, "Site name of a partitioned export");
    cmd->add_option("--utc-offset", options->utcOffset,
                    "The site's offset from UTC, +HH:MM or -HH:MM: adds the true UTC time as time_utc");
    cmd->add_flag("--stats", options->stats, "Print the load and export times on stderr");
    cmd->add_flag("--events", options->events,
                  "SQLite: add table events, the loop's events of the whole folder (a second pass over it; the "
                  "export takes about three times as long)");
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
