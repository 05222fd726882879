// vyx report: loads a data folder as the viewer does and writes the Message Log report of a range of its
// records (all of them by default) as CSV, HTML or spreadsheet workbooks.

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <limits>
#include <mutex>
#include <string>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "cli/LoadRunner.h"
#include "cli/NumberOptions.h"
#include "cli/PartialOutputs.h"
#include "cli/StandardOutput.h"
#include "report/ReportCriteriaChecks.h"
#include "report/ReportGenerator.h"

namespace vyx::cli {
namespace {

struct ReportOptions {
    LoadOptions load;
    std::string type = "csv";
    std::string out;
    std::string fromRecord = "0";  // as typed in the dialog's From and To edits
    std::string toRecord = "0";
    bool stats = false;
};

int FormIndex(const std::string& type) {
    if (type == "html") return 0;
    if (type == "xlsx") return 2;
    return 1;
}

// The generator's notifications for a terminal: progress on stderr, failures kept for the exit.
class CommandReceiver final : public IReportGenerationMsgRcvr {
public:
    CommandReceiver(std::int64_t records, std::int64_t step, bool showProgress)
        : m_records(records), m_step(step), m_showProgress(showProgress) {}

    std::int32_t OnStarted(std::int32_t, std::int32_t) override {
        m_started = true;
        return 0;
    }
    std::int32_t OnProgress(std::int32_t, std::int32_t) override {
        const std::int64_t done = std::min(m_records, ++m_steps * m_step);
        if (m_showProgress) {
            std::fprintf(stderr, "\rWriting report... %lld of %lld records\033[K", static_cast<long long>(done),
                         static_cast<long long>(m_records));
            std::fflush(stderr);
        }
        return 0;
    }
    std::int32_t OnCompleted(std::int32_t, std::int32_t) override {
        ClearProgress();
        m_completed = true;
        return 0;
    }
    std::int32_t OnFailed(std::int32_t, std::int32_t) override {
        ClearProgress();
        return 0;
    }
    void OnMessage(const std::string& text, MessageIcon) override {
        ClearProgress();
        std::lock_guard lock(m_mutex);
        if (!m_message.empty()) m_message += '\n';
        m_message += text;
    }
    // Nothing is opened from the command line.
    void OnOpenDocument(const std::string&) override {}

    bool Completed() const { return m_completed; }
    std::string Message() const {
        std::lock_guard lock(m_mutex);
        return m_message;
    }

private:
    void ClearProgress() {
        if (m_showProgress && m_steps > 0) std::fputs("\r\033[K", stderr);
    }

    const std::int64_t m_records;
    const std::int64_t m_step;
    const bool m_showProgress;
    std::atomic<std::int64_t> m_steps{0};
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_completed{false};
    mutable std::mutex m_mutex;
    std::string m_message;
};

void Run(const ReportOptions& o, bool rangeGiven) {
    const bool toStandardOutput = o.out == "-";
    if (toStandardOutput && o.type == "xlsx") {
        throw CommandFailure{kExitUsage, "error: a workbook cannot go to standard output; give --out a file"};
    }
    const std::int32_t fromRecord = RangeEditOption("--from-record", o.fromRecord);
    const std::int32_t toRecord = RangeEditOption("--to-record", o.toRecord);
    // Before the load: a refusal should not wait for it.
    if (!toStandardOutput) {
        if (const auto refusal = CReportCriteriaChecks::CheckOutsideDataFolder(o.out, o.load.folder)) {
            throw CommandFailure{kExitUsage, refusal->text};
        }
    }
    using Clock = std::chrono::steady_clock;
    const auto loadStart = Clock::now();
    CLoadRunner runner(o.load);
    const LoadResult loaded = runner.Run();
    const auto reportStart = Clock::now();
    if (loaded.total > std::numeric_limits<std::int32_t>::max()) {
        throw CommandFailure{kExitNoData, "error: more records than a report can number"};
    }

    const MessageLogGenerateCheck check = CReportCriteriaChecks::CheckMessageLogGenerate(
        o.out, static_cast<std::int32_t>(loaded.total), !rangeGiven, fromRecord, toRecord, FormIndex(o.type),
        toStandardOutput ? std::string() : o.load.folder);
    if (check.decision == GenerateDecision::Refuse) {
        throw CommandFailure{loaded.total <= 0 ? kExitNoData : kExitUsage, check.message.text};
    }
    const std::int64_t count =
        static_cast<std::int64_t>(check.criteria.m_nLastRecord) - check.criteria.m_nFirstRecord + 1;
    if (check.decision == GenerateDecision::AskMultipleFiles && !toStandardOutput) {
        std::fprintf(stderr, "note: %lld records are written to numbered part files\n", static_cast<long long>(count));
    }
    if (check.decision == GenerateDecision::AskLongPage) {
        std::fprintf(stderr, "note: a page of %lld records is slow to open in a web browser; csv or xlsx suits so many "
                             "records better\n", static_cast<long long>(count));
    }

    CPartialOutputs outputs;
    if (!toStandardOutput) {
        for (const std::string& path : CReportCriteriaChecks::FilesWritten(check.criteria)) outputs.Watch(path);
    }
    CommandReceiver receiver(count, count >= 1000 ? 1000 : 200, StderrIsTerminal());
    CReportGenerator generator(&runner.Database(), &receiver);
    generator.SetStandardOutput(toStandardOutput);
    generator.SetDiscardOnStop(true);  // only a signal stops it here: no temporary file is left beside the output
    generator.Start(check.criteria);
    try {
        // Stopped as the dialog's Cancel stops it; what it wrote is removed, complete or not.
        WaitUnlessInterrupted([&generator] { return !generator.IsBusy(); }, [&generator] { generator.Stop(); });
        ThrowIfInterrupted();
    } catch (const CommandFailure&) {
        generator.Wait();
        outputs.RemoveWritten();
        throw;
    }
    generator.Wait();
    const auto reportEnd = Clock::now();
    if (!receiver.Completed()) {
        // A reader that went away is no failure to report.
        if (toStandardOutput && StandardOutputIsClosed()) FailStandardOutput(EPIPE);
        std::string message = receiver.Message();
        if (message.empty()) message = "error: the report was not written";
        throw CommandFailure{kExitNoData, message};
    }
    if (o.stats) {
        const double load = std::chrono::duration<double>(reportStart - loadStart).count();
        const double report = std::chrono::duration<double>(reportEnd - reportStart).count();
        std::fprintf(stderr, "load %.3f s, report %.3f s, %lld records, %.0f records/s\n", load, report,
                     static_cast<long long>(count), report > 0 ? static_cast<double>(count) / report : 0.0);
    }
}

const RegisterCommand registration(40, [](CLI::App& app) {
    auto options = std::make_shared<ReportOptions>();
    CLI::App* cmd = app.add_subcommand("report", "Write the Message Log report of a data folder's records");
    AddLoadOptions(*cmd, options->load);
    cmd->add_option("--type", options->type, "Report form")
        ->check(CLI::IsMember({"csv", "html", "xlsx"}))
        ->capture_default_str();
    cmd->add_option("--out", options->out, "Output file; - writes CSV or HTML to standard output as one file")
        ->required();
    CLI::Option* from = cmd->add_option("--from-record", options->fromRecord, "First Sr.No. of the range (1-based)");
    CLI::Option* to = cmd->add_option("--to-record", options->toRecord, "Last Sr.No. of the range");
    from->needs(to);
    to->needs(from);
    cmd->add_flag("--stats", options->stats, "Print the load and report times on stderr");
    cmd->callback([options, from] { Run(*options, from->count() > 0); });
});

}  // namespace
}  // namespace vyx::cli
