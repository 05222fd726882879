// `vyx report` and `vyx fcu` never write into the data folder they read, by any name or link.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/FileText.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

std::size_t EntryCount(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(CliOutputPath, OutputsIntoTheDataFolderAreRefusedBeforeTheLoad) {
    test::TempDir base;
    const std::string data = base.File("data");
    const std::string out = base.File("out");
    std::filesystem::create_directory(out);
    // With faults: a load would report invalid records, so a refusal without that notice came first.
    ASSERT_EQ(RunCommand(kVyx + " gen " + ShellQuote(data) + " --days 2 --records-per-day 300").exitCode, 0);
    std::filesystem::create_symlink(data + "/LG060109.txt", out + "/day.csv");
    std::filesystem::create_symlink(data + "/new.csv", out + "/new.csv");
    const std::string day = test::ReadFileText(data + "/LG060109.txt");
    const std::size_t entries = EntryCount(data);

    const std::string outs[] = {data + "/LG060109.txt", data + "/../data/r.csv", out + "/day.csv", out + "/new.csv"};
    for (const std::string& path : outs) {
        for (const std::string& command : {"report " + ShellQuote(data) + " --type html --out " + ShellQuote(path),
                                           "fcu " + ShellQuote(data) + " --out " + ShellQuote(path)}) {
            const auto r = RunCommand(kVyx + " " + command);
            EXPECT_EQ(r.exitCode, 2) << command;
            EXPECT_NE(r.err.find(" the data folder:\n" + path + "\n"), std::string::npos) << command << ": " << r.err;
            EXPECT_EQ(r.err.find("Invalid Records"), std::string::npos) << command;
        }
    }
    EXPECT_EQ(test::ReadFileText(data + "/LG060109.txt"), day);
    EXPECT_EQ(EntryCount(data), entries);

    const auto outside = RunCommand(kVyx + " report " + ShellQuote(data) + " --out " + ShellQuote(out + "/r.csv"));
    EXPECT_EQ(outside.exitCode, 0) << outside.err;
}

}  // namespace
}  // namespace vyx
