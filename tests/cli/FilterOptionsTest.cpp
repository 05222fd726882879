// The filter bar's options on the load commands, `vyx commands` and `vyx detail`.

#include <gtest/gtest.h>

#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

class CliFilterOptions : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data = new test::TempDir;
        const auto gen = RunCommand(kVyx + " gen " + ShellQuote(data->Path()) +
                                    " --days 2 --records-per-day 1500 --seed 4 --no-faults");
        ASSERT_EQ(gen.exitCode, 0) << gen.err;
    }
    static void TearDownTestSuite() { delete data; }

    static long Count(const std::string& options) {
        const auto r = RunCommand(kVyx + " count " + ShellQuote(data->Path()) + " " + options);
        EXPECT_EQ(r.exitCode, 0) << options << ": " << r.err;
        const std::string prefix = "Total Record Found:- ";
        EXPECT_EQ(r.out.rfind(prefix, 0), 0u) << r.out;
        return std::stol(r.out.substr(prefix.size()));
    }
    static test::CommandResult Refused(const std::string& options) {
        return RunCommand(kVyx + " count " + ShellQuote(data->Path()) + " " + options);
    }

    static test::TempDir* data;
};

test::TempDir* CliFilterOptions::data = nullptr;

TEST_F(CliFilterOptions, FiltersNarrowTheCount) {
    const long all = Count("");
    EXPECT_EQ(all, 3000);
    const long a = Count("--channel A");
    const long b = Count("--channel \"MS_B(right)\"");
    EXPECT_EQ(a + b, all);
    EXPECT_GT(a, 0);
    EXPECT_EQ(Count("--channel all"), all);
    const long modbus = Count("--command Modbus");
    const long modbusB = Count("--channel B --command Modbus");
    EXPECT_GT(modbus, modbusB);
    EXPECT_GT(modbusB, 0);
    EXPECT_LE(Count("--command Open --fcu 12"), Count("--fcu 12"));
    // The whole first day, and nothing of the second.
    const long firstDay = Count("--from \"05/01/2009 00:00:00\" --to \"05/01/2009 23:59:59\"");
    EXPECT_EQ(firstDay, 1500);
    EXPECT_EQ(Count("--from \"05/01/2009 00:00:00\" --to \"06/01/2009 23:59:59\" --order desc"), all);
}

TEST_F(CliFilterOptions, RefusalsPrintTheMessageAndExitTwo) {
    const std::pair<std::string, std::string> cases[] = {
        {"--fcu 301", "FCU should be between 1 and 300.\n"},
        {"--fcu 12a", "Please select valid FCU no.\n"},
        {"--fcu=", "Please select valid FCU no.\n"},
        {"--modbus-addr abc", "Please enter an integer.\n"},
        {"--modbus-addr ''", "Please enter an integer.\n"},
        {"--modbus-addr=", "Please enter an integer.\n"},
        {"--modbus-addr 253", "Please enter an integer between 0 and 252.\n"},
        {"--from \"06/01/2009 00:00:00\" --to \"05/01/2009 00:00:00\"",
         "Start date can not be greater than end date.\n"},
        {"--from \"05/01/2009 00:00:00\" --to \"07/01/2009 00:00:00\"", "Please select valid date range.\n"},
    };
    for (const auto& [options, message] : cases) {
        const auto r = Refused(options);
        EXPECT_EQ(r.exitCode, 2) << options;
        EXPECT_EQ(r.err, message) << options;
        EXPECT_EQ(r.out, "") << options;
    }
    EXPECT_EQ(Refused("--command Opn").exitCode, 2);
    EXPECT_EQ(Refused("--channel C").exitCode, 2);
}

TEST_F(CliFilterOptions, RecordNumbersAreRefusedByNameInsteadOfWrapping) {
    const std::string folder = ShellQuote(data->Path());
    const std::string serial = "takes a Sr.No. from 1 to 9223372036854775807: ";
    const std::string edit = ": Please enter an integer between 0 and 1000000000.\n";
    const std::pair<std::string, std::string> cases[] = {
        {"show " + folder + " --record 0", "error: --record " + serial + "0\n"},
        {"show " + folder + " --record -1", "error: --record " + serial + "-1\n"},
        {"detail " + folder + " --record 18446744073709551617", "error: --record " + serial + "18446744073709551617\n"},
        {"detail " + folder + " --record=", "error: --record " + serial + "\n"},
        {"report " + folder + " --out - --from-record -4294967295 --to-record 3", "error: --from-record" + edit},
        {"report " + folder + " --out - --from-record 1 --to-record 4294967297", "error: --to-record" + edit},
        {"report " + folder + " --out - --from-record x --to-record 3",
         "error: --from-record: Please enter an integer.\n"},
    };
    for (const auto& [command, message] : cases) {
        const auto r = RunCommand(kVyx + " " + command);
        EXPECT_EQ(r.exitCode, 2) << command;
        EXPECT_EQ(r.err, message) << command;
        EXPECT_EQ(r.out, "") << command;
    }
}

TEST_F(CliFilterOptions, CommandsListsTheSeventyNineEntries) {
    const auto r = RunCommand(kVyx + " commands");
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 79);
    EXPECT_NE(r.out.find(" 8  Analogue Output\n"), std::string::npos);
    EXPECT_NE(r.out.find("78  Masterstation - Loop short circuit\n"), std::string::npos);
}

TEST_F(CliFilterOptions, DetailPrintsTheDecodingOfOneRecord) {
    // The first block transfer and the first Set Time record of the load.
    const auto pbt = RunCommand(kVyx + " detail " + ShellQuote(data->Path()) +
                                " --command \"Parameter Block Transfer\" --record 1");
    ASSERT_EQ(pbt.exitCode, 0) << pbt.err;
    EXPECT_EQ(pbt.out.rfind("Record No. 1\nNo.\tPacket\tBlock and Parameter Info\tInformation\tDetail Information\tFCU\n",
                            0),
              0u)
        << pbt.out;
    const auto plain = RunCommand(kVyx + " detail " + ShellQuote(data->Path()) + " --command \"Set Time\" --record 1");
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out, "Record No. 1\nno detail decoding\n");
    const auto beyond = RunCommand(kVyx + " detail " + ShellQuote(data->Path()) + " --record 999999");
    EXPECT_EQ(beyond.exitCode, 1);
}

}  // namespace
}  // namespace vyx
