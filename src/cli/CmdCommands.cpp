// vyx commands: the entries of the command box with their index, as --command takes them.

#include <cstdio>

#include "cli/Command.h"
#include "filter/CommandList.h"

namespace vyx::cli {
namespace {

const RegisterCommand registration(60, [](CLI::App& app) {
    CLI::App* cmd = app.add_subcommand("commands", "List the entries of the command box, with their index");
    cmd->callback([] {
        const auto texts = CommandListTexts();
        for (std::size_t i = 0; i < texts.size(); ++i) {
            std::printf("%2zu  %.*s\n", i, static_cast<int>(texts[i].size()), texts[i].data());
        }
    });
});

}  // namespace
}  // namespace vyx::cli
