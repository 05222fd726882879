// The recent folders of the File menu: newest first, one entry per folder with its latest mode, eight at most.

#include <gtest/gtest.h>

#include "controller/RecentFolderList.h"

namespace vyx {
namespace {

std::vector<std::string> Folders(const CRecentFolderList& list) {
    std::vector<std::string> folders;
    for (const auto& entry : list.Entries()) folders.push_back(entry.folder);
    return folders;
}

TEST(RecentFolderList, NewestFirstOncePerFolderEightAtMost) {
    CRecentFolderList list;
    for (int i = 1; i <= 10; ++i) list.Add({"/data/f" + std::to_string(i), true});
    EXPECT_EQ(Folders(list), (std::vector<std::string>{"/data/f10", "/data/f9", "/data/f8", "/data/f7", "/data/f6",
                                                       "/data/f5", "/data/f4", "/data/f3"}));
    // Opened again, in the other mode and written with a trailing separator: it moves up, with the new mode.
    list.Add({"/data/f5//", false});
    EXPECT_EQ(Folders(list), (std::vector<std::string>{"/data/f5", "/data/f10", "/data/f9", "/data/f8", "/data/f7",
                                                       "/data/f6", "/data/f4", "/data/f3"}));
    EXPECT_FALSE(list.Entries().front().messageMode);
    list.Add({"", true});
    EXPECT_EQ(list.Entries().size(), 8u);
}

TEST(RecentFolderList, StoredEntriesAreCheckedLikeNewOnes) {
    CRecentFolderList list;
    std::vector<RecentFolder> stored = {{"/a", true}, {"/b/", false}, {"/a", false}, {"", true}};
    for (int i = 0; i < 10; ++i) stored.push_back({"/old" + std::to_string(i), true});
    list.Assign(stored);
    ASSERT_EQ(list.Entries().size(), 8u);
    EXPECT_EQ(list.Entries()[0], (RecentFolder{"/a", true}));  // the newest of the two
    EXPECT_EQ(list.Entries()[1], (RecentFolder{"/b", false}));
    EXPECT_EQ(list.Entries()[7].folder, "/old5");
}

TEST(RecentFolderList, MenuTextNumbersTheEntryAndKeepsAmpersands) {
    CRecentFolderList list;
    list.Add({"/data/R&D", false});
    list.Add({"/data/site", true});
    EXPECT_EQ(list.MenuText(0), "&1 /data/site (Message)");
    EXPECT_EQ(list.MenuText(1), "&2 /data/R&&D (FCU)");
    EXPECT_EQ(list.MenuText(2), "");
}

}  // namespace
}  // namespace vyx
