// The recent folders of the File menu: newest first, one entry per folder with its latest mode, eight at most.

#include <gtest/gtest.h>

#include <filesystem>

#include "controller/RecentFolderList.h"
#include "support/RecordingBoxes.h"
#include "support/TempDir.h"

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

// Entries are kept absolute: a new relative one is taken from the working folder, a stored relative one
// (its base unknown) is dropped.
TEST(RecentFolderList, KeepsAbsoluteFoldersOnly) {
    const std::string cwd = std::filesystem::current_path().string();
    struct Case {
        std::string folder;
        std::string added;   // what Add keeps ("" = nothing)
        std::string stored;  // what Assign keeps
    };
    const std::vector<Case> cases = {
        {"/data/site", "/data/site", "/data/site"},
        {"/data/./x/../site/", "/data/site", "/data/site"},
        {"build/dev/sample-data", cwd + "/build/dev/sample-data", ""},
        {"./sample-data/", cwd + "/sample-data", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        CRecentFolderList added;
        added.Add({c.folder, true});
        CRecentFolderList stored;
        stored.Assign({{c.folder, true}});
        EXPECT_EQ(Folders(added), c.added.empty() ? std::vector<std::string>{} : std::vector{c.added}) << c.folder;
        EXPECT_EQ(Folders(stored), c.stored.empty() ? std::vector<std::string>{} : std::vector{c.stored}) << c.folder;
    }
}

// An entry that did not open is offered for removal, with a question that says why, and goes on Yes only.
TEST(RecentFolderList, FailedEntryIsOfferedForRemoval) {
    const test::TempDir noFcuFile;
    const std::string gone = noFcuFile.Path() + "/gone";
    struct Case {
        std::string folder;
        MessageAnswer answer;
        bool removed;
        std::string question;  // "" = no question
    };
    const std::vector<Case> cases = {
        {gone, MessageAnswer::Yes, true, "The folder " + gone + " no longer exists.\nRemove it from the recent folders?"},
        {noFcuFile.Path() + "/", MessageAnswer::Yes, true,
         "The folder " + noFcuFile.Path() + " has no FCU information file.\nRemove it from the recent folders?"},
        {gone, MessageAnswer::No, false, "The folder " + gone + " no longer exists.\nRemove it from the recent folders?"},
        {"/not/listed", MessageAnswer::Yes, false, ""},
    };
    for (const Case& c : cases) {
        CRecentFolderList list;
        list.Add({gone, true});
        list.Add({noFcuFile.Path(), false});
        test::RecordingBoxes boxes;
        boxes.answer = c.answer;
        EXPECT_EQ(list.OfferRemoval(c.folder, boxes), c.removed) << c.folder;
        EXPECT_EQ(list.Entries().size(), c.removed ? 1u : 2u) << c.folder;
        ASSERT_EQ(boxes.shown.size(), c.question.empty() ? 0u : 1u) << c.folder;
        if (!c.question.empty()) {
            EXPECT_EQ(boxes.shown[0].text, c.question);
        }
    }
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
