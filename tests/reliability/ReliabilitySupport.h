#pragma once
// Shared pieces of the reliability suite: scaled counts, resource counts, a watchdog against hangs, data
// folders sealed against writes, an independent reading of day files to check loads against, a recorder of
// the worker's notifications and a plain window for the main window's logic.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "controller/MainWindowController.h"
#include "logdata/LoadSettings.h"
#include "logdata/Record.h"
#include "logdata/RecordDatabase.h"
#include "platform/LoadNotification.h"
#include "report/ReportGenerationMsgRcvr.h"

namespace vyx::test {

// A count taken from the environment (for long manual runs), else the default.
int CountFromEnvironment(const char* name, int fallback);

// Open descriptors and threads of this process.
struct ProcessResources {
    int descriptors = 0;
    int threads = 0;
    bool operator==(const ProcessResources&) const = default;
};
ProcessResources CountProcessResources();
// The counts once they are back to the baseline, or what they were after waiting a while: a joined thread
// can stay listed for a moment after pthread_join has returned.
ProcessResources SettledProcessResources(const ProcessResources& baseline);

// Ends the process with a message when it is not disarmed in time: a hang must fail the run, not stall it.
class Watchdog {
public:
    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // Starts timing a step; the step ends at the next Arm or Disarm.
    void Arm(const std::string& step, std::chrono::milliseconds limit);
    void Disarm();

private:
    void Watch();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_step;
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
    bool m_quit = false;
    std::thread m_thread;
};

// A data folder made read-only (files and the folder itself) and recorded exactly: names, types, modes,
// sizes, change times and content hashes. Running as root, mode bits stop nothing, so an inotify watch also
// records every write, creation, deletion, rename or metadata change inside the folder.
class SealedFolder {
public:
    explicit SealedFolder(std::string folder);
    ~SealedFolder();
    SealedFolder(const SealedFolder&) = delete;
    SealedFolder& operator=(const SealedFolder&) = delete;

    // What differs from the recording, and what the watch saw; empty when the folder is untouched.
    std::vector<std::string> Changes();

private:
    struct Entry {
        std::string name;
        unsigned mode = 0;
        std::uint64_t size = 0;
        std::int64_t mtime = 0;
        std::int64_t ctime = 0;
        std::uint64_t hash = 0;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> Record() const;

    std::string m_folder;
    std::vector<Entry> m_entries;
    int m_watchFd = -1;
};

// 64-bit FNV-1a of a file's bytes.
std::uint64_t HashFile(const std::string& path);

// A day file read by the framing rules alone, independently of the loader: the frames a load accepts (with
// their offsets and decoded records) and the number of invalid records it logs.
struct OracleRecord {
    std::uint32_t offset = 0;
    CRecord record;
};
struct DayFileOracle {
    std::vector<OracleRecord> accepted;
    std::int64_t invalid = 0;
};
DayFileOracle ReadDayFileOracle(const std::vector<std::uint8_t>& bytes);
DayFileOracle ReadDayFileOracle(const std::string& path);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// What a complete load of day files (in day order) must give: serial s holds expected[s] in stored order;
// in time order the time stamps must follow expected[s].time, and the record must be one of the file's.
struct ExpectedLoad {
    struct File {
        std::string path;
        std::uint32_t dayStart = 0;
        DayFileOracle oracle;
    };
    std::vector<File> files;  // ascending day start
    std::int64_t Total() const;
    std::int64_t Invalid() const;
    // The records a load in this order gives for its first `count` serials, when the load read the files
    // in full except the last one it started, of which it read a prefix.
    std::vector<const CRecord*> Sequence(LoadOrder order, std::int64_t count) const;
};
ExpectedLoad ExpectLoadOf(const std::string& folder);

// Field by field, payload included.
bool SameRecord(const CRecord& a, const CRecord& b);

// Serial s of a load in this order holds expected[s] (see ExpectedLoad::Sequence). In time order records
// with equal time stamps may come in any order, so then it must be one of that time's records.
::testing::AssertionResult HoldsRecord(LoadOrder order, const std::vector<const CRecord*>& expected, std::int64_t s,
                                       const CRecord& fetched);

// Records every notification of the worker and lets a test wait for one.
class LoadRecorder : public ILoadNotificationTarget {
public:
    void Post(LoadNotification n) override;
    std::vector<LoadNotification> All() const;
    std::vector<LoadNotification> OfJob(std::uint32_t jobId) const;
    void Clear();
    // Forgets the notifications of every other load.
    void KeepOnly(std::uint32_t jobId);
    // Waits until a notification matching the test has been posted; false after the time limit.
    bool WaitFor(const std::function<bool(const LoadNotification&)>& match, std::chrono::milliseconds limit);
    // Called on the worker's thread for every notification, after it was recorded.
    std::function<void(const LoadNotification&)> onPost;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<LoadNotification> m_all;
};

// The report worker's notifications as text: "started", "progress", "completed", "failed",
// "message:<text>", "open:<path>".
class ReportRecorder : public IReportGenerationMsgRcvr {
public:
    std::int32_t OnStarted(std::int32_t, std::int32_t) override { return Add("started"); }
    std::int32_t OnProgress(std::int32_t, std::int32_t) override { return Add("progress"); }
    std::int32_t OnCompleted(std::int32_t, std::int32_t) override { return Add("completed"); }
    std::int32_t OnFailed(std::int32_t, std::int32_t) override { return Add("failed"); }
    void OnMessage(const std::string& text, MessageIcon icon) override;
    void OnOpenDocument(const std::string& path) override { Add("open:" + path); }

    std::vector<std::string> Events() const;
    std::vector<std::string> Milestones() const;  // without the progress steps
    void Clear();
    bool WaitFor(const std::string& event, std::chrono::milliseconds limit);
    // Called on the worker's thread after each event was recorded.
    std::function<void(const std::string&)> onEvent;

private:
    std::int32_t Add(const std::string& event);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_events;
};

// The main window as plain state; the report dialog's running state comes from a callback.
class PlainWindow : public IMainWindowView, public IMessageBoxes, public IMetaDataStorage {
public:
    struct Box {
        std::string text;
        MessageIcon icon;
    };

    // IMainWindowView
    void SetTitle(const std::string&) override {}
    void ApplyViewMode(ViewMode m) override { mode = m; }
    void SetReportMenus(bool, bool) override {}
    std::optional<FolderChoice> BrowseForFolder(const std::string&) override { return nextChoice; }
    FilterBarInputs ReadFilterBar() override { return inputs; }
    void SelectFirstEntries() override;
    void SetFcuEntries(const std::vector<std::string>& e) override { fcuEntries = e; }
    void SetSelectDateTime(bool checked) override { inputs.selection.selectDateTime = checked; }
    void SetDateTimes(const CivilDateTime& from, const CivilDateTime& to) override;
    void SetDateRangeText(const std::string&) override {}
    int FcuChannelIndex() override { return fcuChannel; }
    void SetStatusText(int pane, const std::string& t) override { status[pane] = t; }
    void SetProgress(bool, int) override {}
    void SetBusy(bool b) override { busy = b; }
    void ShowNotice(const std::string& text) override { notices.push_back(text); }
    void ClearNotice() override {}
    void FocusFilterField(FilterField field) override { focused = field; }
    std::optional<FilterField> focused;
    std::vector<std::string> notices;
    void ListReset() override { listTotal = 0; }
    void ListSetCount(std::int64_t total) override { listTotal = total; }
    void ListRedraw() override {}
    void SetFcuTable(const std::vector<std::array<std::string, 3>>& rows) override { fcuRows = rows; }
    void FillBlockTransferDialog(const DetailDialogContent& c) override { detail = c; }
    void ShowBlockTransferDialog() override {}
    void HideBlockTransferDialog() override {}
    void FillModbusDialog(const DetailDialogContent& c) override { detail = c; }
    void ShowModbusDialog() override {}
    void HideModbusDialog() override {}
    bool IsReportRunning() override { return reportRunning && reportRunning(); }
    void HideReportDialog() override {}
    void ReportRecordsChanged(std::int64_t n) override { reportRecords = n; }
    void ReportSelectSerial(std::int64_t) override {}
    void ListSelectSerial(std::int64_t) override {}

    // IMessageBoxes
    void Show(const std::string& text, MessageIcon icon) override { boxes.push_back({text, icon}); }
    MessageAnswer Ask(const std::string& text, MessageIcon icon) override;

    // IMetaDataStorage
    void Load(CViewAppMetaData& data) override { data.m_strPath = storedFolder; }
    void Save(const CViewAppMetaData& data) override { storedFolder = data.m_strPath; }

    ViewMode mode = ViewMode::None;
    std::optional<FolderChoice> nextChoice;
    FilterBarInputs inputs;
    int fcuChannel = 0;
    std::vector<std::string> fcuEntries;
    std::map<int, std::string> status;
    bool busy = false;
    std::int64_t listTotal = 0;
    std::vector<std::array<std::string, 3>> fcuRows;
    DetailDialogContent detail;
    std::function<bool()> reportRunning;
    std::int64_t reportRecords = -1;
    std::vector<Box> boxes;
    std::string storedFolder = "/";
};

// Hands the worker's notifications to the test thread, as the window's event loop would.
class NotificationQueue : public ILoadNotificationTarget {
public:
    void Post(LoadNotification n) override;
    // Takes the next notification; nothing after the time limit.
    std::optional<LoadNotification> Take(std::chrono::milliseconds limit);
    // Delivers notifications until the controller's current load has ended (finished or failed) and the
    // worker has gone; false when it did not end in time.
    bool PumpUntilEnd(CMainWindowController& controller, std::chrono::milliseconds limit);

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<LoadNotification> m_queue;
};

// File names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder);

}  // namespace vyx::test
