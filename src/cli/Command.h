#pragma once
// Each `vyx` sub-command lives in its own file and registers itself here, so adding one touches no other file.

#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <vector>

namespace vyx::cli {

// Thrown by a command to end the program with a message on stderr and an exit code.
struct CommandFailure {
    int exitCode;
    std::string message;
};

// Exit codes: 0 success, 1 the data did not allow the work (no day file, ...), 2 bad usage or input.
constexpr int kExitNoData = 1;
constexpr int kExitUsage = 2;

struct CommandEntry {
    int order;                                // position in `vyx --help`
    std::function<void(CLI::App&)> attach;  // adds the sub-command and its callback to the app
};

std::vector<CommandEntry>& CommandEntries();

struct RegisterCommand {
    RegisterCommand(int order, std::function<void(CLI::App&)> attach) {
        CommandEntries().push_back({order, std::move(attach)});
    }
};

// True when stderr is a terminal: progress indicators are shown only then.
bool StderrIsTerminal();

}  // namespace vyx::cli
