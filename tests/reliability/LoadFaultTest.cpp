// Loads through the main window's logic that meet a full disk, day files that change under them, and
// entries of the data folder that cannot be read as day files.

#include <gtest/gtest.h>

#include "logdata/FrameReading.h"
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>

#include "ReliabilitySupport.h"
#include "logdata/DataFolder.h"
#include "platform/File.h"
#include "platform/FileError.h"
#include "report/ReportGenerator.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Reading /proc/self/mem at offset 0 fails with EIO: a day file behind a link to it stands for a disk that
// cannot be read.
constexpr const char* kUnreadable = "/proc/self/mem";

std::string DiskFullText(const std::string& temp) {
    return "Very low disk space in " + temp + " drive.\nTo view more data please create space in " + temp + " drive.";
}

// The main window's logic over a real store, with the worker's notifications delivered by the test.
struct Window {
    explicit Window(const std::string& temp) : controller(plain, plain, plain, temp, &queue) { controller.OnInit(); }
    ~Window() { controller.OnClose(); }

    // Runs a command that may start a load, then delivers notifications until the load has ended.
    void Loaded(const std::function<void()>& command) {
        const std::uint32_t before = controller.Database().JobId();
        command();
        // A load that failed at once has set the stop flag itself: its notifications still come.
        if (controller.Database().JobId() != before) {
            ASSERT_TRUE(queue.PumpUntilEnd(controller, 60s));
        }
    }

    PlainWindow plain;
    NotificationQueue queue;
    CMainWindowController controller;
};

// ---- a full disk

struct DiskFullCase {
    const char* name;
    LoadOrder sortState;
    const char* pathPart;  // writes to files whose name holds this fail
    int error;
};

void PrintTo(const DiskFullCase& c, std::ostream* os) {
    *os << c.name;
}

class DiskFullThroughTheWindow : public ::testing::TestWithParam<DiskFullCase> {
protected:
    static void SetUpTestSuite() {
        s_data = new TempDir;
        sim::SimulatorOptions options;
        options.days = 2;
        options.recordsPerDay = 12000;  // two runs per day in time order
        options.seed = 17;
        options.clockJumps = true;
        s_summary = new sim::SimulatorSummary(sim::GenerateDataFolder(s_data->Path(), options));
        s_seal = new SealedFolder(s_data->Path());
    }
    static void TearDownTestSuite() {
        EXPECT_EQ(s_seal->Changes(), std::vector<std::string>{});
        delete s_seal;
        delete s_summary;
        delete s_data;
    }
    void TearDown() override { SetWriteFaultHook(nullptr); }

    static TempDir* s_data;
    static sim::SimulatorSummary* s_summary;
    static SealedFolder* s_seal;
};

TempDir* DiskFullThroughTheWindow::s_data = nullptr;
sim::SimulatorSummary* DiskFullThroughTheWindow::s_summary = nullptr;
SealedFolder* DiskFullThroughTheWindow::s_seal = nullptr;

TEST_P(DiskFullThroughTheWindow, TheMessageThenAnEmptyListThenAWholeLoadOnceThereIsSpace) {
    const DiskFullCase& c = GetParam();
    TempDir temp;
    Watchdog watchdog;
    watchdog.Arm(c.name, 120s);
    const ProcessResources baseline = CountProcessResources();
    auto window = std::make_unique<Window>(temp.Path());
    Window& w = *window;
    const std::string invalidText = std::to_string(s_summary->invalidRecords) +
                                    " Invalid Records are found\n\rPlease refer following file for more "
                                    "information:-\n\r" +
                                    temp.File("InvalidRecordLogFile.csv");
    w.Loaded([&] { w.controller.OpenFolder({s_data->Path(), true}); });
    ASSERT_EQ(w.plain.listTotal, s_summary->records);

    SetWriteFaultHook(
        [&](const std::string& path, std::size_t) { return path.find(c.pathPart) == std::string::npos ? 0 : c.error; });
    w.plain.boxes.clear();
    w.Loaded([&] {
        if (c.sortState == LoadOrder::Stored) {
            w.controller.OnMessageFilter();
        } else {
            ASSERT_TRUE(w.controller.OnSortRequest(c.sortState));
        }
    });
    ASSERT_EQ(w.plain.boxes.size(), 1u);
    EXPECT_EQ(w.plain.boxes[0].text, DiskFullText(temp.Path()));
    EXPECT_EQ(w.plain.boxes[0].icon, MessageIcon::Stop);
    EXPECT_EQ(w.plain.listTotal, 0);
    EXPECT_EQ(w.controller.Total(), 0);
    EXPECT_EQ(w.plain.status[0], "Total Record Found:- 0");
    EXPECT_FALSE(w.plain.busy);
    EXPECT_TRUE(w.controller.Database().Files().empty());
    for (const auto& name : FolderNames(temp.Path())) {
        EXPECT_TRUE(name == "InvalidRecordLogFile.csv" || name == "DamageLogFile.csv") << name;
    }

    // Space again: the same command loads everything.
    SetWriteFaultHook(nullptr);
    w.plain.boxes.clear();
    w.Loaded([&] { w.controller.OnMessageFilter(); });
    EXPECT_EQ(w.plain.listTotal, s_summary->records);
    ASSERT_EQ(w.plain.boxes.size(), 1u);
    EXPECT_EQ(w.plain.boxes[0].text, invalidText);
    window.reset();
    watchdog.Disarm();
    EXPECT_EQ(SettledProcessResources(baseline), baseline) << "a thread or a descriptor outlived the failure";
}

INSTANTIATE_TEST_SUITE_P(Writes, DiskFullThroughTheWindow,
                         ::testing::Values(DiskFullCase{"IndexInStoredOrder", LoadOrder::Stored, "_filter", ENOSPC},
                                           DiskFullCase{"FirstRunAscending", LoadOrder::Ascending, "temp_1.dat", ENOSPC},
                                           DiskFullCase{"SecondRunDescending", LoadOrder::Descending, "temp_2.dat", ENOSPC},
                                           DiskFullCase{"IndexDuringTheMerge", LoadOrder::Ascending, "_filter", ENOSPC},
                                           DiskFullCase{"QuotaDuringTheMerge", LoadOrder::Descending, "_filter", EDQUOT},
                                           DiskFullCase{"InvalidRecordLog", LoadOrder::Stored, "InvalidRecordLogFile.csv", ENOSPC}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- day files that change while they are loaded

enum class Change {
    TruncateDone,
    TruncateCurrent,
    TruncateNext,
    GrowCurrent,
    GrowNext,
    ReplaceCurrent,
    ReplaceNext,
    DeleteCurrent,
    DeleteNext,
    DirectoryForNext,
    UnreadableNext,
};

struct ChangeCase {
    const char* name;
    Change change;
    LoadOrder order;
};

void PrintTo(const ChangeCase& c, std::ostream* os) {
    *os << c.name << " " << static_cast<int>(c.order);
}

class DayFileChangesDuringTheLoad : public ::testing::TestWithParam<ChangeCase> {};

// The worker is held in the second day file it reads (the "current" one; the first is "done", the third
// "next"). Meanwhile the list shows what has been published, the file is changed, and the load goes on.
// Whatever was shown must read the same afterwards, and no record may come back as another one.
TEST_P(DayFileChangesDuringTheLoad, WhatWasShownStaysAndNothingComesBackWrong) {
    const ChangeCase& c = GetParam();
    TempDir data;
    TempDir other;
    TempDir temp;
    sim::SimulatorOptions options;
    options.days = 3;
    options.recordsPerDay = 3000;
    options.faults = false;
    options.clockJumps = true;
    options.seed = 21;
    const auto summary = sim::GenerateDataFolder(data.Path(), options);
    options.seed = 22;
    const auto material = sim::GenerateDataFolder(other.Path(), options);
    std::vector<std::string> inOrder = summary.dayFiles;
    if (c.order == LoadOrder::Descending) std::reverse(inOrder.begin(), inOrder.end());
    const std::string done = inOrder[0];
    const std::string current = inOrder[1];
    const std::string next = inOrder[2];

    Watchdog watchdog;
    const ProcessResources baseline = CountProcessResources();
    LoadRecorder recorder;
    CRecordDatabase database(temp.Path(), &recorder);
    std::atomic<bool> inCurrent{false};
    recorder.onPost = [&](const LoadNotification& n) {
        if (n.message == UM_LOAD_FILE) inCurrent = n.text == current;
    };
    std::atomic<int> tested{0};
    std::atomic<bool> atGate{false};
    std::atomic<bool> go{false};
    class Gate : public CFilterCriteria {
    public:
        explicit Gate(std::function<void()> f) : m_f(std::move(f)) {}
        int Test(const CRecord&) const override {
            m_f();
            return 1;
        }

    private:
        std::function<void()> m_f;
    };
    FilterList filters;
    filters.push_back(std::make_unique<Gate>([&] {
        if (!inCurrent.load() || ++tested != 1500) return;
        atGate = true;
        while (!go.load()) std::this_thread::sleep_for(1ms);
    }));

    const auto before = ExpectLoadOf(data.Path());
    ScanDataFolder(data.Path(), database);
    database.SetLoadOrder(c.order);
    watchdog.Arm(std::string(c.name) + ": the gate", 60s);
    database.StartLoad(filters);
    while (!atGate.load()) std::this_thread::sleep_for(1ms);

    // The list shows everything published so far.
    std::int64_t published = 0;
    for (const auto& f : database.Files()) published = std::max<std::int64_t>(published, f->LastSerial() + 1);
    ASSERT_GT(published, 0);
    std::vector<CRecord> shown(static_cast<std::size_t>(published));
    for (std::int64_t s = 0; s < published; ++s) ASSERT_TRUE(database.GetRecord(s, shown[static_cast<std::size_t>(s)]));

    const auto bytesOf = [&](const std::string& path) { return ReadBytes(path); };
    switch (c.change) {
        case Change::TruncateDone: fs::resize_file(done, fs::file_size(done) / 2); break;
        case Change::TruncateCurrent: fs::resize_file(current, fs::file_size(current) / 2); break;
        case Change::TruncateNext: fs::resize_file(next, fs::file_size(next) / 2); break;
        case Change::GrowCurrent:
        case Change::GrowNext: {
            const std::string& target = c.change == Change::GrowCurrent ? current : next;
            // Appended in place, as the logger does.
            const auto more = bytesOf(material.dayFiles[1]);
            std::FILE* file = std::fopen(target.c_str(), "ab");
            ASSERT_NE(file, nullptr);
            std::fwrite(more.data(), 1, more.size(), file);
            std::fclose(file);
            break;
        }
        case Change::ReplaceCurrent:
        case Change::ReplaceNext: {
            const std::string& target = c.change == Change::ReplaceCurrent ? current : next;
            WriteBytes(target + ".new", bytesOf(other.File(fs::path(target).filename().string())));
            fs::rename(target + ".new", target);
            break;
        }
        case Change::DeleteCurrent: fs::remove(current); break;
        case Change::DeleteNext: fs::remove(next); break;
        case Change::DirectoryForNext:
            fs::remove(next);
            fs::create_directory(next);
            break;
        case Change::UnreadableNext:
            fs::remove(next);
            fs::create_symlink(kUnreadable, next);
            break;
    }
    go = true;
    watchdog.Arm(std::string(c.name) + ": the rest of the load", 60s);
    database.WaitForLoad();
    watchdog.Disarm();

    const auto all = recorder.All();
    ASSERT_FALSE(all.empty());
    const bool nextFails =
        c.change == Change::DeleteNext || c.change == Change::DirectoryForNext || c.change == Change::UnreadableNext;
    std::int64_t count = 0;
    if (nextFails) {
        ASSERT_EQ(all.back().message, UM_LOAD_FAILED);
        const std::string why = c.change == Change::DeleteNext         ? "No such file or directory"
                                : c.change == Change::DirectoryForNext ? "Is a directory"
                                                                       : "Input/output error";
        EXPECT_EQ(all.back().text, why + ": " + next);
        EXPECT_EQ(all.back().icon, MessageIcon::Stop);
        for (const auto& n : all) {
            if (n.message == UM_LOAD_PROGRESS) count = n.count;
        }
    } else {
        ASSERT_EQ(all.back().message, UM_LOAD_FINISHED);
        count = all.back().count;
    }

    // What the worker read: the done and current files as they were (the current one perhaps with what
    // was appended), the next one as it is now.
    ExpectedLoad expected = before;
    for (auto& f : expected.files) {
        if (f.path == next) {
            f.oracle = nextFails ? DayFileOracle{} : ReadDayFileOracle(next);
        }
    }
    if (c.change == Change::GrowCurrent) {
        const auto grown = ReadDayFileOracle(current);
        if (count == expected.Total() - static_cast<std::int64_t>(before.files[1].oracle.accepted.size()) +
                         static_cast<std::int64_t>(grown.accepted.size())) {
            for (auto& f : expected.files) {
                if (f.path == current) f.oracle = grown;
            }
        }
    }
    EXPECT_EQ(count, expected.Total());
    const auto sequence = expected.Sequence(c.order, count);
    ASSERT_EQ(static_cast<std::int64_t>(sequence.size()), count);

    // A record whose bytes are gone may fail to read; nothing may read as another record, and a file that
    // lost its name is still read.
    const bool mayVanish = c.change == Change::TruncateDone || c.change == Change::TruncateCurrent;
    int vanished = 0;
    for (std::int64_t s = 0; s < count; ++s) {
        CRecord record;
        try {
            if (!database.GetRecord(s, record)) {
                EXPECT_TRUE(mayVanish) << "serial " << s << " cannot be read";
                ++vanished;
                continue;
            }
        } catch (const CRecordUnreadable& e) {
            // Refused by name, never read as another record.
            EXPECT_TRUE(mayVanish) << "serial " << s << ": " << e.what();
            ++vanished;
            continue;
        } catch (const CFileError& e) {
            FAIL() << "serial " << s << ": " << e.what();
        }
        const CRecord& want = *sequence[static_cast<std::size_t>(s)];
        if (c.order == LoadOrder::Stored) {
            ASSERT_TRUE(SameRecord(record, want)) << "serial " << s << " reads as another record";
        } else {
            ASSERT_EQ(record.m_nTime, want.m_nTime) << "serial " << s << " reads as another record";
        }
        if (s < published) {
            EXPECT_TRUE(SameRecord(record, shown[static_cast<std::size_t>(s)])) << "shown serial " << s << " changed";
        }
    }
    if (mayVanish) {
        EXPECT_GT(vanished, 0);
    }
    database.Reset();
    for (const auto& name : FolderNames(temp.Path())) {
        EXPECT_TRUE(name == "InvalidRecordLogFile.csv" || name == "DamageLogFile.csv") << name;
    }
    EXPECT_EQ(SettledProcessResources(baseline), baseline) << "a thread or a descriptor outlived the load";
}

std::vector<ChangeCase> AllChanges() {
    const std::pair<const char*, Change> changes[] = {
        {"TruncateDone", Change::TruncateDone},
        {"TruncateCurrent", Change::TruncateCurrent},
        {"TruncateNext", Change::TruncateNext},
        {"GrowCurrent", Change::GrowCurrent},
        {"GrowNext", Change::GrowNext},
        {"ReplaceCurrent", Change::ReplaceCurrent},
        {"ReplaceNext", Change::ReplaceNext},
        {"DeleteCurrent", Change::DeleteCurrent},
        {"DeleteNext", Change::DeleteNext},
        {"DirectoryForNext", Change::DirectoryForNext},
        {"UnreadableNext", Change::UnreadableNext},
    };
    std::vector<ChangeCase> cases;
    for (const auto& [name, change] : changes) {
        cases.push_back({name, change, LoadOrder::Stored});
        cases.push_back({name, change, LoadOrder::Ascending});
        cases.push_back({name, change, LoadOrder::Descending});
    }
    return cases;
}

std::string ChangeCaseName(const ::testing::TestParamInfo<ChangeCase>& info) {
    static const char* const kOrders[] = {"Stored", "Ascending", "Descending"};
    return std::string(info.param.name) + kOrders[static_cast<int>(info.param.order)];
}

INSTANTIATE_TEST_SUITE_P(Changes, DayFileChangesDuringTheLoad, ::testing::ValuesIn(AllChanges()), ChangeCaseName);

class ReplacedAfterTheLoad : public ::testing::TestWithParam<LoadOrder> {};

// Copying a newer folder over the one shown replaces its files. Rows not yet looked at must still be the
// records that were loaded, for the list and for a report, not whatever the new files hold at those offsets.
TEST_P(ReplacedAfterTheLoad, RecordsStillReadAsLoaded) {
    TempDir data;
    TempDir newer;
    TempDir temp;
    sim::SimulatorOptions options;
    options.days = 2;
    options.recordsPerDay = 2500;
    options.faults = false;
    options.clockJumps = true;
    const auto summary = sim::GenerateDataFolder(data.Path(), options);
    options.seed = 2;
    options.recordsPerDay = 2600;
    sim::GenerateDataFolder(newer.Path(), options);
    const ExpectedLoad expected = ExpectLoadOf(data.Path());

    Watchdog watchdog;
    watchdog.Arm("a load of a folder replaced afterwards", 60s);
    LoadRecorder recorder;
    CRecordDatabase database(temp.Path(), &recorder);
    ScanDataFolder(data.Path(), database);
    database.SetLoadOrder(GetParam());
    database.StartLoad({});
    database.WaitForLoad();
    const auto report = [&](const std::string& path) {
        ReportRecorder receiver;
        CReportGenerator generator(&database, &receiver);
        generator.Start(CReportCriteria(path, 0, static_cast<std::int32_t>(expected.Total() - 1), kReportTypeCsv));
        generator.Wait();
        EXPECT_EQ(receiver.Milestones(), (std::vector<std::string>{"started", "completed"}));
        return ReadBytes(path);
    };
    const auto reportBefore = report(temp.File("before.csv"));
    for (const auto& path : summary.dayFiles) {
        const std::string name = fs::path(path).filename().string();
        fs::copy_file(newer.File(name), path + ".part");
        fs::rename(path + ".part", path);
    }
    const auto sequence = expected.Sequence(GetParam(), expected.Total());
    CRecord record;
    for (std::int64_t s = 0; s < expected.Total(); ++s) {
        ASSERT_TRUE(database.GetRecord(s, record)) << s;
        ASSERT_EQ(record.m_nTime, sequence[static_cast<std::size_t>(s)]->m_nTime) << "serial " << s;
    }
    EXPECT_TRUE(report(temp.File("after.csv")) == reportBefore) << "the report read the new files";
    watchdog.Disarm();
}

INSTANTIATE_TEST_SUITE_P(Orders, ReplacedAfterTheLoad,
                         ::testing::Values(LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending));

// ---- entries of the data folder that are not day files one can read

struct OddEntryCase {
    const char* name;
    std::function<void(const std::string& path, const std::string& elsewhere)> make;
    bool readFails;      // the load ends with the read error
    bool alsoElsewhere;  // the entry leads to a readable day file kept elsewhere
};

void PrintTo(const OddEntryCase& c, std::ostream* os) {
    *os << c.name;
}

class OddEntriesInTheFolder : public ::testing::TestWithParam<OddEntryCase> {};

TEST_P(OddEntriesInTheFolder, AreSkippedOrEndTheLoadWithTheSystemsText) {
    const OddEntryCase& c = GetParam();
    TempDir data;
    TempDir elsewhere;
    TempDir temp;
    sim::SimulatorOptions options;
    options.days = 1;
    options.recordsPerDay = 2000;
    options.faults = false;
    sim::GenerateDataFolder(data.Path(), options);
    options.seed = 5;
    options.startDay = 6;
    options.recordsPerDay = 700;
    sim::GenerateDataFolder(elsewhere.Path(), options);
    const std::string entry = data.File("LG060109.txt");
    c.make(entry, elsewhere.File("LG060109.txt"));
    SealedFolder seal(data.Path());

    Watchdog watchdog;
    watchdog.Arm(c.name, 60s);
    Window w(temp.Path());
    w.Loaded([&] { w.controller.OpenFolder({data.Path(), true}); });
    if (c.readFails) {
        ASSERT_EQ(w.plain.boxes.size(), 1u);
        EXPECT_EQ(w.plain.boxes[0].text, "Input/output error: " + entry);
        EXPECT_EQ(w.plain.boxes[0].icon, MessageIcon::Stop);
        EXPECT_EQ(w.plain.listTotal, 0);
    } else {
        EXPECT_TRUE(w.plain.boxes.empty()) << w.plain.boxes[0].text;
        EXPECT_EQ(w.plain.listTotal, c.alsoElsewhere ? 2700 : 2000);
    }
    w.controller.OnClose();
    watchdog.Disarm();
    EXPECT_EQ(seal.Changes(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Entries, OddEntriesInTheFolder,
    ::testing::Values(
        OddEntryCase{"Directory", [](const std::string& p, const std::string&) { fs::create_directory(p); }, false,
                     false},
        // Opening a pipe for reading would wait for a writer for ever.
        OddEntryCase{"Fifo", [](const std::string& p, const std::string&) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
                     false, false},
        OddEntryCase{"LinkToAFolder",
                     [](const std::string& p, const std::string& e) {
                         fs::create_directory_symlink(fs::path(e).parent_path(), p);
                     },
                     false, false},
        OddEntryCase{"DanglingLink",
                     [](const std::string& p, const std::string&) { fs::create_symlink("/nowhere", p); }, false, false},
        OddEntryCase{"LinkToADayFileElsewhere",
                     [](const std::string& p, const std::string& e) { fs::create_symlink(e, p); }, false, true},
        OddEntryCase{"ReadFails", [](const std::string& p, const std::string&) { fs::create_symlink(kUnreadable, p); },
                     true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataFolderGoesAway, TheNextFilterSaysWhyItCannotBeListed) {
    TempDir parent;
    TempDir temp;
    const std::string folder = parent.File("data");
    sim::SimulatorOptions options;
    options.days = 2;
    options.recordsPerDay = 500;
    options.faults = false;
    sim::GenerateDataFolder(folder, options);
    Watchdog watchdog;
    watchdog.Arm("a folder that went away", 60s);
    Window w(temp.Path());
    w.Loaded([&] { w.controller.OpenFolder({folder, true}); });
    EXPECT_EQ(w.plain.listTotal, 1000);
    fs::rename(folder, parent.File("moved"));
    w.Loaded([&] { w.controller.OnMessageFilter(); });
    ASSERT_EQ(w.plain.boxes.size(), 1u);
    // Not "No Data File Found.": the folder is not empty, it is not there.
    EXPECT_EQ(w.plain.boxes[0].text, "No such file or directory: " + folder);
    EXPECT_EQ(w.plain.boxes[0].icon, MessageIcon::Stop);
    EXPECT_EQ(w.plain.status[0], "Total Record Found:- 0");
    EXPECT_EQ(w.plain.status[2], folder);
    EXPECT_TRUE(FolderNames(temp.Path()).size() <= 1u);

    // A file chosen as the folder has no FCU information file in it.
    w.plain.boxes.clear();
    w.controller.OpenFolder({parent.File("moved/MISCDATA.TXT"), true});
    ASSERT_EQ(w.plain.boxes.size(), 1u);
    EXPECT_EQ(w.plain.boxes[0].text, "FCU Information file is not avaiable.  Please select another folder.");
    EXPECT_EQ(w.plain.boxes[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(w.controller.Mode(), ViewMode::None);
    watchdog.Disarm();
}

}  // namespace
}  // namespace vyx::test
