// Bookmarks kept by place: they find their records again after a restart (the file read anew), in another
// order and under a filter, and say so when a filter hides their record; the file itself survives what can
// go wrong with it (damage is reported and set aside, never written over).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include <unistd.h>

#include "controller/BookmarkFile.h"
#include "controller/Bookmarks.h"
#include "logdata/LoadPipeline.h"
#include "logdata/RecordDatabase.h"
#include "platform/FileError.h"
#include "support/FileText.h"
#include "support/GeneratedFolder.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

class ModeFilter : public CFilterCriteria {
public:
    explicit ModeFilter(int mode) : m_mode(mode) {}
    int Test(const CRecord& record) const override { return record.m_nMessageMode == m_mode ? 1 : 0; }

private:
    int m_mode;
};

struct Load {
    Load(const std::string& folder, LoadOrder order, int onlyMode) : store(temp.Path(), nullptr) {
        FilterList filters;
        if (onlyMode >= 0) filters.push_back(std::make_unique<ModeFilter>(onlyMode));
        LoadRequest request;
        request.folder = folder;
        request.order = order;
        EXPECT_TRUE(RunLoadSequence(store, filterList, std::move(filters), request).started);
        store.WaitForLoad();
        for (const auto& file : store.Files()) count = std::max<std::int64_t>(count, file->LastSerial() + 1);
    }
    CRecord Record(SerialNumber serial) const {
        CRecord record;
        EXPECT_TRUE(store.GetRecord(serial, record));
        return record;
    }
    test::TempDir temp;
    FilterList filterList;
    CRecordDatabase store;
    std::int64_t count = 0;
};

class BookmarksOverLoads : public ::testing::Test {
protected:
    static void SetUpTestSuite() { data = new test::GeneratedFolder(test::FolderOptions(2, 1500, 11, true)); }
    static void TearDownTestSuite() {
        delete data;
        data = nullptr;
    }
    static test::GeneratedFolder* data;
};
test::GeneratedFolder* BookmarksOverLoads::data = nullptr;

TEST_F(BookmarksOverLoads, FindTheirRecordsAfterARestartInEveryOrderAndFilter) {
    test::TempDir home;
    const CBookmarkFile file(home.File("vyx/bookmarks.json"));
    const std::string folder = CBookmarkFile::FolderKey(data->Path());

    // Bookmarks on every 211th record of the stored order, one of them toggled off again.
    std::vector<CRecord> marked;
    std::vector<RecordLocation> places;
    {
        Load stored(data->Path(), LoadOrder::Stored, -1);
        ASSERT_GT(stored.count, 2000);
        CBookmarks bookmarks;
        bookmarks.Open(folder, {});
        for (SerialNumber s = 5; s < stored.count; s += 211) ASSERT_TRUE(bookmarks.Toggle(stored.store, s));
        EXPECT_FALSE(bookmarks.Toggle(stored.store, 5 + 211));  // off again
        EXPECT_FALSE(bookmarks.IsMarked(stored.store, 5 + 211));
        EXPECT_TRUE(bookmarks.IsMarked(stored.store, 5));
        for (SerialNumber s = 5; s < stored.count; s += 211) {
            if (s == 5 + 211) continue;
            marked.push_back(stored.Record(s));
            places.push_back(*stored.store.LocationOf(s));
        }
        bookmarks.SetNote(0, "first \"one\" \xC3\xA9\n");
        file.SaveFolder(folder, bookmarks.List());
    }

    const int blockTransfer = kModeParameterBlockTransfer;
    for (const LoadOrder order : {LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending}) {
        for (const int onlyMode : {-1, blockTransfer}) {
            SCOPED_TRACE(testing::Message() << "order " << static_cast<int>(order) << " mode " << onlyMode);
            Load load(data->Path(), order, onlyMode);
            CBookmarks bookmarks;
            bookmarks.Open(folder, file.LoadFolder(folder));  // as at a restart
            ASSERT_EQ(bookmarks.List().size(), marked.size());
            EXPECT_EQ(bookmarks.List()[0].note, "first \"one\" \xC3\xA9\n");
            std::set<SerialNumber> rows;
            for (std::size_t i = 0; i < marked.size(); ++i) {
                const auto serial = bookmarks.SerialOf(load.store, i);
                const bool kept = onlyMode < 0 || marked[i].m_nMessageMode == onlyMode;
                ASSERT_EQ(serial.has_value(), kept) << i;
                if (!serial) continue;
                rows.insert(*serial);
                EXPECT_EQ(load.store.LocationOf(*serial), places[i]);
                EXPECT_EQ(load.Record(*serial).m_nTime, marked[i].m_nTime);
                EXPECT_EQ(bookmarks.List()[i].time, marked[i].m_nTime);
            }
            if (rows.empty()) continue;
            // Next and previous walk the rows in order and wrap round.
            EXPECT_EQ(bookmarks.Next(load.store, -1), *rows.begin());
            EXPECT_EQ(bookmarks.Next(load.store, *rows.rbegin()), *rows.begin());
            EXPECT_EQ(bookmarks.Previous(load.store, *rows.begin()), *rows.rbegin());
            EXPECT_EQ(bookmarks.Previous(load.store, -1), *rows.rbegin());
            if (rows.size() > 1) {
                EXPECT_EQ(bookmarks.Next(load.store, *rows.begin()), *std::next(rows.begin()));
            }
        }
    }
}

// The folder opened through a link, a detour or with a trailing separator is the folder the bookmarks were
// kept for: they have their rows, and Next and Previous reach them.
TEST_F(BookmarksOverLoads, AreFoundHoweverTheFolderWasNamed) {
    test::TempDir links;
    const std::string link = links.File("data");
    std::filesystem::create_directory_symlink(data->Path(), link);
    const std::string base = data->Path().substr(data->Path().rfind('/') + 1);
    const std::string key = CBookmarkFile::FolderKey(data->Path());
    FolderBookmarks kept;
    {
        Load stored(data->Path(), LoadOrder::Stored, -1);
        CBookmarks bookmarks;
        bookmarks.Open(key, {});
        ASSERT_TRUE(bookmarks.Toggle(stored.store, 7));
        ASSERT_TRUE(bookmarks.Toggle(stored.store, stored.count - 3));
        kept = bookmarks.List();
    }
    for (const std::string& named : {link, link + "/", data->Path() + "/../" + base, data->Path() + "//"}) {
        SCOPED_TRACE(named);
        EXPECT_EQ(CBookmarkFile::FolderKey(named), key);
        Load load(named, LoadOrder::Stored, -1);
        CBookmarks bookmarks;
        bookmarks.Open(CBookmarkFile::FolderKey(named), kept);
        EXPECT_EQ(bookmarks.SerialOf(load.store, 0), 7);
        EXPECT_TRUE(bookmarks.IsMarked(load.store, load.count - 3));
        EXPECT_EQ(bookmarks.Next(load.store, 7), load.count - 3);
        EXPECT_EQ(bookmarks.Previous(load.store, 7), load.count - 3);
    }
    // Another folder's load gives the bookmarks no rows.
    test::GeneratedFolder other(test::FolderOptions(2, 1500, 11, true));
    Load load(other.Path(), LoadOrder::Stored, -1);
    CBookmarks bookmarks;
    bookmarks.Open(key, kept);
    EXPECT_FALSE(bookmarks.SerialOf(load.store, 0));
    EXPECT_FALSE(bookmarks.Next(load.store, -1));
}

TEST(BookmarkFile, KeepsEveryFolderAndSetsADamagedFileAside) {
    test::TempDir home;
    const CBookmarkFile file(home.File("deep/er/bookmarks.json"));
    EXPECT_TRUE(file.Load().empty());  // no file yet: no bookmarks
    const FolderBookmarks a = {{"LG010109.txt", 0, 1230768000, "start"}, {"LG010109.txt", 4'000'000'000, 7, ""}};
    const FolderBookmarks b = {{"LG020109.txt", 33, 0, "tab\there \\ back"}};
    file.SaveFolder("/data/a", a);
    file.SaveFolder("/data/b", b);
    EXPECT_EQ(file.LoadFolder("/data/a"), a);
    EXPECT_EQ(file.LoadFolder("/data/b"), b);
    file.SaveFolder("/data/a", {});  // the last bookmark removed: the folder goes
    EXPECT_EQ(file.Load().size(), 1u);
    // Written whole: no temporary file is left beside it.
    for (const auto& entry : std::filesystem::directory_iterator(home.File("deep/er")))
        EXPECT_EQ(entry.path().filename(), "bookmarks.json");

    for (const std::string damage : {"{\"version\":1,\"folders\":{\"/x\":[{\"dayFile\":1}]}}", "{\"version\":1,",
                                     "[]", "{\"version\":2,\"folders\":{}}", "\xFF\xFE garbage",
                                     "{\"version\":1,\"folders\":{\"/x\":[{\"dayFile\":\"LG050109.txt\",\"offset\":1e300}]}}"}) {
        SCOPED_TRACE(damage);
        { std::ofstream(file.Path(), std::ios::binary | std::ios::trunc) << damage; }
        EXPECT_THROW(file.Load(), CBookmarkFileDamaged);
        EXPECT_THROW(file.SaveFolder("/data/b", b), CBookmarkFileDamaged);  // never written over
        EXPECT_EQ(test::ReadFileText(file.Path()), damage);
        const std::string aside = file.SetAside();
        EXPECT_EQ(test::ReadFileText(aside), damage);
        std::filesystem::remove(aside);
        file.SaveFolder("/data/b", b);
        EXPECT_EQ(file.LoadFolder("/data/b"), b);
    }
}

// A file that cannot be read may hold every bookmark: it is reported as unreadable, not as damaged (which
// would set it aside), and nothing is written over it.
TEST(BookmarkFile, AFileThatCannotBeReadIsNotDamaged) {
    test::TempDir home;
    struct Case {
        std::string path;
        const char* says;
        bool needsUser;  // root reads past permissions
    };
    const std::string folder = home.File("in-its-place");
    std::filesystem::create_directory(folder);
    const std::string locked = home.File("locked.json");
    { std::ofstream(locked) << "{\"version\":1,\"folders\":{}}"; }
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    for (const Case& c : {Case{folder, "Is a directory", false}, Case{"/proc/self/mem", "Input/output error", false},
                          Case{locked, "Permission denied", true}}) {
        SCOPED_TRACE(c.path);
        if (c.needsUser && ::geteuid() == 0) continue;
        const CBookmarkFile file(c.path);
        try {
            file.Load();
            ADD_FAILURE() << "read";
        } catch (const CBookmarkFileDamaged& e) {
            ADD_FAILURE() << e.what();
        } catch (const CVyxError& e) {
            EXPECT_NE(std::string(e.what()).find("cannot be read: " + std::string(c.says)), std::string::npos) << e.what();
        }
        EXPECT_THROW(file.SaveFolder("/data/a", {{"LG010109.txt", 0, 0, ""}}), CVyxError);
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    EXPECT_EQ(test::ReadFileText(locked), "{\"version\":1,\"folders\":{}}");
}

TEST(BookmarkFile, LivesUnderTheUsersDataFolder) {
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string keepXdg = savedXdg ? savedXdg : "";
    const std::string keepHome = savedHome ? savedHome : "";
    setenv("HOME", "/home/u", 1);
    struct Case {
        const char* xdg;  // null: unset
        const char* path;
    };
    for (const Case& c : {Case{"/x/data", "/x/data/vyx/bookmarks.json"}, Case{nullptr, "/home/u/.local/share/vyx/bookmarks.json"},
                          Case{"", "/home/u/.local/share/vyx/bookmarks.json"},
                          Case{"relative", "/home/u/.local/share/vyx/bookmarks.json"}}) {
        if (c.xdg) setenv("XDG_DATA_HOME", c.xdg, 1);
        else unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(CBookmarkFile::DefaultPath(), c.path);
    }
    if (savedXdg) setenv("XDG_DATA_HOME", keepXdg.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
    setenv("HOME", keepHome.c_str(), 1);
    EXPECT_EQ(CBookmarkFile::FolderKey("/a/b/../c//"), "/a/c");
}

}  // namespace
}  // namespace vyx
