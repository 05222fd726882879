// vyx find: loads a data folder and prints the "Sr.No." of every record holding a text (in any column text)
// or a run of bytes (in MessageContent), one per line, in the load's order.

#include <chrono>
#include <cstdio>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "cli/LoadRunner.h"
#include "cli/StandardOutput.h"
#include "controller/RecordMatcher.h"

namespace vyx::cli {
namespace {

struct FindOptions {
    LoadOptions load;
    std::string text;
    std::string hex;
    bool matchCase = false;
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
    const CRecordMatcher matcher = MatcherFor(options);
    CLoadRunner runner(options.load);
    const LoadResult result = runner.Run();

    const bool showProgress = StderrIsTerminal();
    auto lastProgress = std::chrono::steady_clock::now();
    Output output;
    CRecord record;
    std::string scratch;
    std::int64_t matches = 0;
    for (std::int64_t serial = 0; serial < result.total; ++serial) {
        if (!runner.Database().GetRecord(serial, record)) {
            throw CommandFailure{kExitNoData, "error: record " + std::to_string(serial + 1) + " could not be read"};
        }
        if (matcher.Matches(serial, record, scratch)) {
            output.Line(serial + 1);
            ++matches;
        }
        if (serial % 65536 == 0) ThrowIfInterrupted();
        if (showProgress && serial % 65536 == 0) {
            const auto now = std::chrono::steady_clock::now();
            if (now - lastProgress >= std::chrono::milliseconds(100)) {
                lastProgress = now;
                std::fprintf(stderr, "\rSearching... %lld of %lld records\033[K", static_cast<long long>(serial),
                             static_cast<long long>(result.total));
            }
        }
    }
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
    cmd->callback([options, text, hex] {
        if (text->count() == 0 && hex->count() == 0) {
            throw CommandFailure{kExitUsage, "error: find needs --text TEXT or --hex \"01 A0\" (see vyx find --help)"};
        }
        Run(*options);
    });
});

}  // namespace
}  // namespace vyx::cli
