#pragma once
// Runs a command line through the shell and captures what it printed.

#include <string>

namespace vyx::test {

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `command` with /bin/sh; stdout and stderr are captured separately.
CommandResult RunCommand(const std::string& command);

// Quotes a word for the shell.
std::string ShellQuote(const std::string& word);

}  // namespace vyx::test
