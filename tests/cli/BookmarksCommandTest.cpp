// `vyx bookmarks` as a user runs it: the bookmarks the viewer keeps for a folder, from the user's data folder
// or a named file, and a damaged file reported with the exit code for unusable data.

#include <gtest/gtest.h>

#include <fstream>

#include "controller/BookmarkFile.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;

TEST(CliBookmarks, ListsTheFoldersBookmarksFromTheUsersDataFolder) {
    test::TempDir data, xdg;
    const CBookmarkFile file(xdg.File("vyx/bookmarks.json"));
    file.SaveFolder(CBookmarkFile::FolderKey(data.Path()),
                    {{"LG050109.txt", 1234, 1231113600 + 3661, "valve 7, \"again\""}, {"LG060109.txt", 0, 0, ""}});
    file.SaveFolder("/some/other/folder", {{"LG050109.txt", 99, 0, "not this one"}});

    // The folder named with a trailing separator and a detour is still the same folder.
    const auto listed = RunCommand("XDG_DATA_HOME=" + ShellQuote(xdg.Path()) + " " + kVyx + " bookmarks " +
                                   ShellQuote(data.Path() + "/../" + data.Path().substr(data.Path().rfind('/') + 1) + "/"));
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("LG050109.txt"), std::string::npos);
    EXPECT_NE(listed.out.find("1234"), std::string::npos);
    EXPECT_NE(listed.out.find("05-01-2009 - 01:01:01:AM"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find(R"("valve 7, ""again""")"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("LG060109.txt"), std::string::npos);
    EXPECT_EQ(listed.out.find("not this one"), std::string::npos);

    { std::ofstream(file.Path(), std::ios::trunc) << "{\"version\":1,\"folders\":"; }
    const auto damaged = RunCommand(kVyx + " bookmarks " + ShellQuote(data.Path()) + " --file " + ShellQuote(file.Path()));
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.err.find("is damaged"), std::string::npos) << damaged.err;
}

}  // namespace
}  // namespace vyx
