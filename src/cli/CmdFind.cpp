// vyx find: loads a data folder and prints the "Sr.No." of every record holding a text (in any column text)
// or a run of bytes (in MessageContent), one per line, in the load's order; with --decoded also of every
// record whose detail rows hold the text. The records are read in blocks on every core (CParallelFind).

#include <chrono>
#include <cstdio>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "cli/LoadRunner.h"
#include "cli/StandardOutput.h"
#include "controller/FindController.h"
#include "controller/ParallelFind.h"
#include "controller/RecordMatcher.h"
#include "decode/FCUParse.h"
#include "logdata/DataFolder.h"

namespace vyx::cli {
namespace {

struct FindOptions {
    LoadOptions load;
    std::string text;
    std::string hex;
    bool matchCase = false;
    bool decoded = false;
};

CRecordMatcher MatcherFor(const FindOptions& options) {
    if (!options.hex.empty()) {
        const auto bytes = ParseHexBytes(options.hex);
        if (!bytes) {
            throw CommandFailure{kExitUsage, "error: --hex takes pairs of hex digits, e.g. \"01 A0\": " + options.hex};
        }
        return CRecordMatcher::Bytes(*bytes);
    }
    if (options.text.empty()) throw CommandFailure{kExitUsage, "error: --text needs a text to look for"};
    return CRecordMatcher::Text(options.text, options.matchCase);
}

// The converters of `vyx detail`: the folder's FCU list and the Modbus base address the load ran with.
std::shared_ptr<const DetailDecoders> DecodersFor(const FindOptions& options, const CRecordDatabase& store) {
    return MakeDetailDecoders(CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(options.load.folder)),
                              store.Settings().modbusBaseAddress);
}

class Output {
public:
    void Line(std::int64_t number) {
        m_buffer += std::to_string(number);
        m_buffer += '\n';
        if (m_buffer.size() >= 64 * 1024) Flush();
    }
    void Flush() {
        WriteStandardOutput(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
    }

private:
    std::string m_buffer;
};

void Run(const FindOptions& options) {
    CRecordMatcher matcher = MatcherFor(options);
    CLoadRunner runner(options.load);
    const LoadResult result = runner.Run();
    if (options.decoded) matcher.SetDetailDecoders(DecodersFor(options, runner.Database()));

    const bool showProgress = StderrIsTerminal();
    auto lastProgress = std::chrono::steady_clock::now();
    Output output;
    std::int64_t matches = 0;
    std::atomic<bool> cancel{false};
    CParallelFind find(runner.Database(), matcher);
    find.All(
        0, result.total - 1, cancel,
        [&](const std::vector<FindMatch>& found) {
            for (const FindMatch& match : found) output.Line(match.serial + 1);
            matches += static_cast<std::int64_t>(found.size());
        },
        [&](std::int64_t examined) {
            ThrowIfInterrupted();
            if (!showProgress) return;
            const auto now = std::chrono::steady_clock::now();
            if (now - lastProgress >= std::chrono::milliseconds(100)) {
                lastProgress = now;
                std::fprintf(stderr, "\rSearching... %lld of %lld records\033[K", static_cast<long long>(examined),
                             static_cast<long long>(result.total));
            }
        });
    if (showProgress) std::fputs("\r\033[K", stderr);
    output.Flush();
    if (matches == 0) std::fputs("No record matches.\n", stderr);
}

const RegisterCommand registration(33, [](CLI::App& app) {
    auto options = std::make_shared<FindOptions>();
    CLI::App* cmd = app.add_subcommand(
        "find", "Load a data folder and print the Sr.No. of every record with a text or hex bytes, one per line");
    AddLoadOptions(*cmd, options->load);
    CLI::Option* text =
        cmd->add_option("--text", options->text, "Text to look for in any column text (ASCII case ignored)");
    CLI::Option* hex = cmd->add_option("--hex", options->hex, "Bytes to look for in MessageContent, e.g. \"01 A0\"");
    text->excludes(hex);
    cmd->add_flag("--match-case", options->matchCase, "With --text: upper and lower case differ");
    cmd->add_flag("--decoded", options->decoded,
                  "With --text: also look in the detail rows of Parameter Block Transfer and Modbus multiple records")
        ->excludes(hex);
    cmd->callback([options, text, hex] {
        if (text->count() == 0 && hex->count() == 0) {
            throw CommandFailure{kExitUsage, "error: find needs --text TEXT or --hex \"01 A0\" (see vyx find --help)"};
        }
        Run(*options);
    });
});

}  // namespace
}  // namespace vyx::cli
