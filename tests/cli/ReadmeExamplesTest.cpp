// The README's command lines against the program: every `vyx` line of its sh blocks is run over a generated
// folder once as written (first choices, no optional part) and once more for each optional part, each
// alternative and each listed value; "[load options]" stands for the options the README lists after
// "Load options:". Every option a command's --help lists must be in its README line, so the README can
// neither promise what the program refuses nor leave out what it offers.

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

using Words = std::vector<std::string>;

// One part of a command line: its alternatives (each a list of words), optional when in brackets.
struct Part {
    std::vector<Words> alternatives;
    bool optional = false;
};

std::string ReadReadme() {
    std::ifstream in(VYX_README_PATH);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Words split at blanks, a quoted text being one word (quotes kept); brackets and bars are words of their own.
Words Tokens(const std::string& line) {
    Words words;
    std::string word;
    bool quoted = false;
    auto flush = [&] {
        if (!word.empty()) words.push_back(word);
        word.clear();
    };
    for (const char c : line) {
        if (c == '"') quoted = !quoted;
        if (!quoted && (c == ' ' || c == '[' || c == ']')) {
            flush();
            if (c != ' ') words.emplace_back(1, c);
            continue;
        }
        word += c;
    }
    flush();
    return words;
}

// Parts: an option with the words after it, a bracketed group, or a bare word; "A | B" makes B an
// alternative of A.
std::vector<Part> Parts(const Words& words) {
    std::vector<Part> parts;
    bool alternative = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "|") {
            alternative = true;
            continue;
        }
        Words group;
        bool optional = false;
        if (words[i] == "[") {
            optional = true;
            for (++i; i < words.size() && words[i] != "]"; ++i) group.push_back(words[i]);
        } else {
            group.push_back(words[i]);
            while (words[i].starts_with("--") && i + 1 < words.size() && !words[i + 1].starts_with("--") &&
                   words[i + 1] != "[" && words[i + 1] != "|") {
                group.push_back(words[++i]);
            }
        }
        if (alternative) {
            parts.back().alternatives.push_back(group);
        } else {
            parts.push_back({{group}, optional});
        }
        alternative = false;
    }
    return parts;
}

struct Example {
    std::string line;
    std::vector<Part> parts;
};

std::vector<Example> ReadmeExamples(const std::string& readme) {
    // The options every loading command takes, each code span after "Load options:" up to the blank line.
    const std::size_t at = readme.find("Load options:");
    const std::string paragraph =
        at == std::string::npos ? std::string() : readme.substr(at, readme.find("\n\n", at) - at);
    std::vector<Part> loadOptions;
    for (std::size_t open = paragraph.find('`'); open != std::string::npos;) {
        const std::size_t close = paragraph.find('`', open + 1);
        if (close == std::string::npos) break;
        const std::string span = paragraph.substr(open + 1, close - open - 1);
        open = paragraph.find('`', close + 1);
        if (!span.starts_with("--")) continue;
        for (Part part : Parts(Tokens(span))) {
            // "--from X --to Y" go together.
            if (!loadOptions.empty() && part.alternatives[0][0] == "--to") {
                for (const auto& w : part.alternatives[0]) loadOptions.back().alternatives[0].push_back(w);
                continue;
            }
            part.optional = true;
            loadOptions.push_back(part);
        }
    }
    std::vector<Example> examples;
    std::istringstream in(readme);
    std::string line;
    bool inSh = false;
    while (std::getline(in, line)) {
        const std::string trimmed = line.substr(std::min(line.find_first_not_of(' '), line.size()));
        if (trimmed.starts_with("```")) {
            inSh = !inSh && trimmed == "```sh";
            continue;
        }
        if (!inSh || !trimmed.starts_with("vyx ")) continue;
        Example example{trimmed, {}};
        for (const Part& part : Parts(Tokens(trimmed))) {
            if (part.optional && part.alternatives[0] == Words{"load", "options"}) {
                example.parts.insert(example.parts.end(), loadOptions.begin(), loadOptions.end());
            } else {
                example.parts.push_back(part);
            }
        }
        examples.push_back(example);
    }
    return examples;
}

// The values a placeholder takes here, for the option before it; the first is the one used when the part
// is not the one varied. An unknown placeholder fails the test: the README gained one the test cannot fill.
class Filler {
public:
    Filler(std::string folder, std::string dayFile, std::string out)
        : m_folder(std::move(folder)), m_dayFile(std::move(dayFile)), m_out(std::move(out)) {}

    Words Values(const std::string& option, const std::string& word) const {
        if (word == "DIR") return {option == "gen" ? "@NEWDIR" : m_folder};
        if (word == "DAYFILE") return {m_dayFile};
        if (word == "PATH") return {"@PATH"};
        if (word.find('|') != std::string::npos && word[0] != '"') return Split(word);
        static const std::map<std::pair<std::string, std::string>, Words> kTable = {
            {{"--days", "N"}, {"2"}},
            {{"--records-per-day", "N"}, {"40"}},
            {{"--seed", "N"}, {"5"}},
            {{"--start", "dd/MM/yyyy"}, {"05/01/2009"}},
            {{"--record", "N"}, {"3"}},
            {{"--from-record", "N"}, {"2"}},
            {{"--to-record", "M"}, {"5"}},
            {{"--modbus-addr", "N"}, {"240", "0"}},
            {{"--from", "\"dd/MM/yyyy HH:MM:SS\""}, {"05/01/2009 00:00:00"}},
            {{"--to", "\"dd/MM/yyyy HH:MM:SS\""}, {"06/01/2009 12:00:00"}},
            // The channel box's entries, and the short forms the README gives.
            {{"--channel", "TEXT"}, {"A", "B", "all", "MS_A(left)", "MS_B(right)", "--ALL--"}},
            {{"--command", "TEXT"}, {"Open", "--ALL--"}},
            {{"--fcu", "TEXT"}, {"--ALL--"}},
            {{"--text", "TEXT"}, {"Modbus"}},
            {{"--fcu", "N"}, {"12", "loop"}},
            {{"--at", "\"dd/MM/yyyy HH:MM:SS\""}, {"05/01/2009 12:00:00"}},
            {{"--compare", "\"dd/MM/yyyy HH:MM:SS\""}, {"06/01/2009 06:00:00"}},
            {{"--partition", "OUTDIR"}, {"@NEWDIR"}},
            {{"--site", "NAME"}, {"plant1"}},
            {{"--utc-offset", "+HH:MM"}, {"+01:00", "-05:30"}},
            {{"--timeout", "N"}, {"30"}},
            {{"--silent-after", "MIN"}, {"30"}},
            // A live logger of a few records, across its midnight.
            {{"--records", "N"}, {"6"}},
            {{"--rate", "N"}, {"300"}},
            {{"--clock", "\"dd/MM/yyyy HH:MM:SS\""}, {"05/01/2009 23:59:59"}},
            {{"--speed", "K"}, {"60"}},
        };
        if (const auto it = kTable.find({option, word}); it != kTable.end()) return it->second;
        if (word.size() > 1 && word.front() == '"') return {word.substr(1, word.size() - 2)};
        if (word.starts_with("--") || std::islower(static_cast<unsigned char>(word[0]))) return {word};
        ADD_FAILURE() << "no value for " << word << " after " << option;
        return {word};
    }

    // The command line of a run: new folders for gen, the output named after the run's --type.
    std::string Command(const Words& words, int run) const {
        std::string type = "csv";
        for (std::size_t i = 0; i + 1 < words.size(); ++i) {
            if (words[i] == "--type" || words[i] == "--format") type = words[i + 1];
        }
        std::string command = kVyx;
        for (std::size_t i = 1; i < words.size(); ++i) {
            std::string word = words[i];
            if (word == "@NEWDIR") word = m_out + "/new" + std::to_string(run);
            if (word == "@PATH") word = m_out + "/out" + std::to_string(run) + "." + type;
            command += " " + ShellQuote(word);
        }
        return command;
    }

private:
    static Words Split(const std::string& word) {
        Words values;
        std::istringstream in(word);
        for (std::string v; std::getline(in, v, '|');) values.push_back(v);
        return values;
    }
    std::string m_folder, m_dayFile, m_out;
};

// The runs of one example: all first choices without the optional parts, then one run per alternative and
// value of each part (an optional part is present only in its own runs).
std::vector<Words> Runs(const Example& example, const Filler& filler) {
    // A word outside any option is filled for the sub-command (DIR of gen is a new folder).
    const std::string subcommand = example.parts.at(1).alternatives[0][0];
    auto fill = [&](const Words& words, std::size_t varied, std::size_t value) {
        Words filled;
        std::string option = subcommand;
        for (std::size_t w = 0; w < words.size(); ++w) {
            if (words[w].starts_with("--")) option = words[w];
            const Words values = filler.Values(option, words[w]);
            filled.push_back(values[w == varied ? std::min(value, values.size() - 1) : 0]);
        }
        return filled;
    };
    auto compose = [&](std::size_t partIndex, std::size_t alternative, std::size_t varied, std::size_t value) {
        Words run;
        for (std::size_t p = 0; p < example.parts.size(); ++p) {
            const Part& part = example.parts[p];
            if (p != partIndex && part.optional) continue;
            const Words& words = part.alternatives[p == partIndex ? alternative : 0];
            Words filled = p == partIndex ? fill(words, varied, value) : fill(words, words.size(), 0);
            run.insert(run.end(), filled.begin(), filled.end());
        }
        return run;
    };
    std::vector<Words> runs = {compose(example.parts.size(), 0, 0, 0)};
    for (std::size_t p = 0; p < example.parts.size(); ++p) {
        const Part& part = example.parts[p];
        for (std::size_t a = 0; a < part.alternatives.size(); ++a) {
            const Words& words = part.alternatives[a];
            // An optional part or another alternative once with its first values; then every further value.
            if (part.optional || a > 0) runs.push_back(compose(p, a, words.size(), 0));
            std::string option = subcommand;
            for (std::size_t w = 0; w < words.size(); ++w) {
                if (words[w].starts_with("--")) option = words[w];
                const std::size_t count = filler.Values(option, words[w]).size();
                for (std::size_t v = 1; v < count; ++v) runs.push_back(compose(p, a, w, v));
            }
        }
    }
    return runs;
}

// The long options a command's --help lists, --help itself left out.
std::set<std::string> HelpOptions(const std::string& subcommand) {
    const auto help = RunCommand(kVyx + " " + subcommand + " --help");
    std::set<std::string> options;
    std::istringstream in(help.out);
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("  -")) continue;  // option lines, not descriptions
        const std::size_t at = line.find("--");
        if (at == std::string::npos) continue;
        std::size_t end = at + 2;
        while (end < line.size() && (std::islower(static_cast<unsigned char>(line[end])) || line[end] == '-')) ++end;
        const std::string name = line.substr(at, end - at);
        if (name != "--help") options.insert(name);
    }
    return options;
}

TEST(Readme, EveryCommandLineRunsAsWrittenAndNamesEveryOption) {
    test::TempDir data, out;
    const auto gen = RunCommand(kVyx + " gen " + ShellQuote(data.Path()) +
                                " --days 2 --records-per-day 300 --start 05/01/2009 --seed 3");
    ASSERT_EQ(gen.exitCode, 0) << gen.err;
    const Filler filler(data.Path(), data.File("LG050109.txt"), out.Path());

    const std::vector<Example> examples = ReadmeExamples(ReadReadme());
    std::set<std::string> subcommands;
    for (const Example& example : examples) subcommands.insert(example.parts.at(1).alternatives[0][0]);
    EXPECT_EQ(subcommands,
              (std::set<std::string>{"gen", "dump", "count", "show", "detail", "report", "export", "fcu", "find", "events",
                                     "state", "alarms", "responses", "commands", "bookmarks"}));
    int run = 0;
    // Every option of a command's --help is named by one of its README lines.
    std::map<std::string, std::set<std::string>> named;
    for (const Example& example : examples) {
        std::set<std::string>& options = named[example.parts.at(1).alternatives[0][0]];
        for (const Part& part : example.parts) {
            for (const Words& words : part.alternatives) {
                for (const std::string& w : words) {
                    if (w.starts_with("--")) options.insert(w);
                }
            }
        }
    }
    for (const auto& [subcommand, options] : named) {
        for (const std::string& option : HelpOptions(subcommand)) {
            EXPECT_TRUE(options.count(option)) << "README lines of " << subcommand << " lack " << option;
        }
    }
    for (const Example& example : examples) {
        for (const Words& words : Runs(example, filler)) {
            const std::string command = filler.Command(words, ++run);
            const auto result = RunCommand(command + " >/dev/null");
            EXPECT_EQ(result.exitCode, 0) << example.line << "\n  ran: " << command << "\n  " << result.err;
        }
    }
    EXPECT_GT(run, 40);
}

}  // namespace
}  // namespace vyx
