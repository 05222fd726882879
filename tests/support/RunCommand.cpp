#include "support/FileText.h"
#include "support/RunCommand.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"

namespace vyx::test {

std::string ShellQuote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'') quoted += "'\\''";
        else quoted += c;
    }
    return quoted + "'";
}

CommandResult RunCommand(const std::string& command) {
    TempDir dir;
    const std::string out = dir.File("out"), err = dir.File("err");
    const std::string line = command + " >" + ShellQuote(out) + " 2>" + ShellQuote(err) + " </dev/null";
    const int status = std::system(line.c_str());
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFileText(out);
    result.err = ReadFileText(err);
    return result;
}

}  // namespace vyx::test
