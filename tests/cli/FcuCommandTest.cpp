// `vyx fcu` as a user runs it: the FCU table of a data folder as CSV.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

void WriteFcuFile(const test::TempDir& dir, const std::vector<unsigned char>& bytes) {
    std::ofstream(dir.File("MISCDATA.TXT"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(CliFcu, TableInDisplayOrder) {
    test::TempDir dir;
    std::vector<unsigned char> bytes = {1, 0, 6,      // A1 Vx
                                        2, 0, 5,      // A2 configured only
                                        1, 0, 0x7F};  // A3 ThirdPartyModbus
    bytes.resize(300 * 3, 0);
    bytes.insert(bytes.end(), {1, 0x7F, 0x00});  // B1 unidentified
    WriteFcuFile(dir, bytes);

    const auto all = RunCommand(kVyx + " fcu " + ShellQuote(dir.Path()));
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(all.out,
              "\"FCU No.\",\"FCU Type\",\"Channel\",\r\n"
              "\"1\",\"Vx\",\"MS_A(left)\",\r\n"
              "\"1\",\"UNIDENTIFIED_FCU\",\"MS_B(right)\",\r\n"
              "\"3\",\"ThirdPartyModbus\",\"MS_A(left)\",\r\n");

    // The box's entries and the short forms the load commands take.
    for (const char* channel : {"'MS_B(right)'", "B", "b"}) {
        const auto b = RunCommand(kVyx + " fcu " + ShellQuote(dir.Path()) + " --channel " + channel);
        ASSERT_EQ(b.exitCode, 0) << channel << b.err;
        EXPECT_EQ(b.out, "\"FCU No.\",\"FCU Type\",\"Channel\",\r\n\"1\",\"UNIDENTIFIED_FCU\",\"MS_B(right)\",\r\n");
    }
    for (const char* channel : {"'MS_A(left)'", "A"}) {
        const auto a = RunCommand(kVyx + " fcu " + ShellQuote(dir.Path()) + " --channel " + channel);
        ASSERT_EQ(a.exitCode, 0) << channel << a.err;
        EXPECT_EQ(std::count(a.out.begin(), a.out.end(), '\n'), 3) << channel;
    }
    EXPECT_EQ(RunCommand(kVyx + " fcu " + ShellQuote(dir.Path()) + " --channel all").out, all.out);
}

TEST(CliFcu, MissingOrEmptyTable) {
    test::TempDir dir;
    const auto missing = RunCommand(kVyx + " fcu " + ShellQuote(dir.Path()));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("FCU Information file is not avaiable.  Please select another folder."),
              std::string::npos)
        << missing.err;

    WriteFcuFile(dir, {1, 0, 6, 2, 0, 5});
    const auto noB = RunCommand(kVyx + " fcu " + ShellQuote(dir.Path()) + " --channel 'MS_B(right)'");
    EXPECT_EQ(noB.exitCode, 1);
    EXPECT_EQ(noB.out, "");
    EXPECT_NE(noB.err.find("No record found."), std::string::npos) << noB.err;

    const auto bad = RunCommand(kVyx + " fcu " + ShellQuote(dir.Path()) + " --channel left");
    EXPECT_EQ(bad.exitCode, 2);
}

}  // namespace
}  // namespace vyx
