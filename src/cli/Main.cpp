// vyx: the command-line tool over the viewer's core.

#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "cli/StandardOutput.h"
#include "platform/FileError.h"
#include "platform/LeftoverTempFolders.h"
#include "platform/TempFolder.h"

namespace vyx::cli {

std::vector<CommandEntry>& CommandEntries() {
    static std::vector<CommandEntry> entries;
    return entries;
}

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace vyx::cli

namespace {

// "--name=" gives the option an empty value, as "--name ''" does (CLI11 alone takes it as a missing value),
// so an empty text meets the same check as in the viewer.
std::vector<std::string> WithEmptyValuesSplit(int argc, char** argv) {
    std::vector<std::string> arguments;
    bool options = true;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--") options = false;
        const bool emptyValue = options && i > 0 && argument.size() > 3 && argument.rfind("--", 0) == 0 &&
                                argument.find('=') == argument.size() - 1;
        if (emptyValue) {
            arguments.push_back(argument.substr(0, argument.size() - 1));
            arguments.emplace_back();
        } else {
            arguments.push_back(argument);
        }
    }
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vyx::cli;
    // Before any thread starts, so every thread inherits the blocked signals.
    WatchForInterrupts();
    std::setlocale(LC_ALL, "C");

    CLI::App app{"vyx: read, filter and report the day files of a field-network data logger", "vyx"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "vyx 1.65");

    // Run folders of runs that were killed, and old kept logs; a failure here is no reason not to run.
    try {
        vyx::RemoveLeftoverTempFolders(vyx::PrivateTempFolder());
    } catch (const vyx::CVyxError&) {
    }

    auto entries = CommandEntries();
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.order < b.order; });
    for (const auto& entry : entries) entry.attach(app);

    std::vector<std::string> arguments = WithEmptyValuesSplit(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());

    int exitCode = 0;
    try {
        try {
            app.parse(static_cast<int>(pointers.size()), pointers.data());
        } catch (const CLI::CallForHelp& e) {
            exitCode = app.exit(e);
        } catch (const CLI::CallForAllHelp& e) {
            exitCode = app.exit(e);
        } catch (const CLI::CallForVersion& e) {
            exitCode = app.exit(e);
        }
        // A signal that came while the work was ending still ends the run as interrupted.
        ThrowIfInterrupted();
        CheckStandardOutput();
    } catch (const CLI::ParseError& e) {
        std::cerr << "error: " << e.what() << " (see vyx --help)\n";
        return kExitUsage;
    } catch (const CommandFailure& failure) {
        if (!failure.message.empty()) std::cerr << failure.message << '\n';
        return failure.exitCode;
    } catch (const vyx::CVyxError& e) {
        std::cerr << "error: " << e.what() << '\n';
        return kExitNoData;
    } catch (const std::exception& e) {
        std::cerr << "error: " << e.what() << '\n';
        return kExitNoData;
    }
    return exitCode;
}
