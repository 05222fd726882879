// The main window's flows without a display: a recording view, real folders, the real store and worker.

#include <gtest/gtest.h>

#include <algorithm>

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>

#include "controller/MainWindowController.h"
#include "decode/FormatRecord.h"
#include "decode/RecordTextLine.h"
#include "filter/CommandList.h"
#include "platform/File.h"
#include "simulator/LoggerSimulator.h"
#include "support/GeneratedFolder.h"
#include "support/RecordingBoxes.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

class MemorySettings : public IMetaDataStorage {
public:
    void Load(CViewAppMetaData& data) override { data.m_strPath = path; }
    void Save(const CViewAppMetaData& data) override { path = data.m_strPath; }
    std::string path = "/home";
};

// The window as plain state.
class RecordingView : public IMainWindowView {
public:
    void SetTitle(const std::string& t) override { title = t; }
    void ApplyViewMode(ViewMode m) override { mode = m; }
    void SetReportMenus(bool messages, bool fcu) override {
        messagesMenu = messages;
        fcuMenu = fcu;
    }
    std::optional<FolderChoice> BrowseForFolder(const std::string& initial) override {
        browsedFrom = initial;
        return nextChoice;
    }
    FilterBarInputs ReadFilterBar() override { return inputs; }
    void SelectFirstEntries() override {
        inputs.selection.channelIndex = 0;
        inputs.selection.commandIndex = 0;
        inputs.selection.fcuText = "--ALL--";
        fcuChannel = 0;
    }
    void SetFcuEntries(const std::vector<std::string>& e) override { fcuEntries = e; }
    void SetSelectDateTime(bool checked) override { inputs.selection.selectDateTime = checked; }
    void SetDateTimes(const CivilDateTime& from, const CivilDateTime& to) override {
        inputs.selection.from = from;
        inputs.selection.to = to;
    }
    void SetDateRangeText(const std::string& t) override { dateRange = t; }
    int FcuChannelIndex() override { return fcuChannel; }
    void SetStatusText(int pane, const std::string& t) override { status[pane] = t; }
    void SetProgress(bool visible, int position) override {
        progressVisible = visible;
        progress = position;
    }
    void SetBusy(bool b) override { busy = b; }
    void ShowNotice(const std::string& text) override {
        notices.push_back(text);
        notice = text;
    }
    void ClearNotice() override { notice.clear(); }
    void FocusFilterField(FilterField field) override { focused = field; }
    std::optional<FilterField> focused;
    std::vector<std::string> notices;
    std::string notice;  // the one shown now
    void ListReset() override {
        listTotal = 0;
        ++listResets;
    }
    void ListSetCount(std::int64_t total) override { listTotal = total; }
    void ListRedraw() override {}
    void SetFcuTable(const std::vector<std::array<std::string, 3>>& rows) override { fcuRows = rows; }
    void FillBlockTransferDialog(const DetailDialogContent& c) override {
        pbtContent = c;
        ++pbtFills;
    }
    void ShowBlockTransferDialog() override { pbtVisible = true; }
    void HideBlockTransferDialog() override { pbtVisible = false; }
    void FillModbusDialog(const DetailDialogContent& c) override {
        modbusContent = c;
        ++modbusFills;
    }
    void ShowModbusDialog() override { modbusVisible = true; }
    void HideModbusDialog() override { modbusVisible = false; }
    bool IsReportRunning() override { return reportRunning; }
    void HideReportDialog() override {}
    void ReportRecordsChanged(std::int64_t n) override { reportRecords = n; }
    void ReportSelectSerial(std::int64_t n) override { reportSerial = n; }
    void ListSelectSerial(std::int64_t serial) override { listSelected = serial; }

    std::string title;
    std::int64_t listSelected = -1;
    ViewMode mode = ViewMode::None;
    bool messagesMenu = false, fcuMenu = false;
    std::optional<FolderChoice> nextChoice;
    std::string browsedFrom;
    FilterBarInputs inputs;
    int fcuChannel = 0;
    std::vector<std::string> fcuEntries;
    std::string dateRange;
    std::map<int, std::string> status;
    bool progressVisible = false;
    int progress = 0;
    bool busy = false;
    std::int64_t listTotal = 0;
    int listResets = 0;
    std::vector<std::array<std::string, 3>> fcuRows;
    DetailDialogContent pbtContent, modbusContent;
    int pbtFills = 0, modbusFills = 0;
    bool pbtVisible = false, modbusVisible = false;
    bool reportRunning = false;
    std::int64_t reportRecords = -1, reportSerial = -1;
};

// Hands the worker's notifications to the test thread, as the window's event loop would.
class Queue : public ILoadNotificationTarget {
public:
    void Post(LoadNotification n) override {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(n));
        m_ready.notify_all();
    }
    // Delivers notifications until the current load has ended (finished or failed).
    void PumpUntilEnd(CMainWindowController& controller) {
        for (;;) {
            LoadNotification n;
            {
                std::unique_lock lock(m_mutex);
                if (!m_ready.wait_for(lock, std::chrono::seconds(60), [&] { return !m_queue.empty(); })) {
                    ADD_FAILURE() << "load did not end";
                    return;
                }
                n = std::move(m_queue.front());
                m_queue.pop_front();
            }
            controller.OnLoadNotification(n);
            if (n.jobId == controller.Database().JobId() &&
                (n.message == UM_LOAD_FAILED ||
                 (n.message == UM_LOAD_FINISHED && !controller.Database().IsStopFlagSet()))) {
                // let the invalid-records notice, which follows the end, arrive as well
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                DrainNow(controller);
                return;
            }
        }
    }
    // The next notification, without waiting.
    std::optional<LoadNotification> Pop() {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty()) return std::nullopt;
        LoadNotification n = std::move(m_queue.front());
        m_queue.pop_front();
        return n;
    }
    void DrainNow(CMainWindowController& controller) {
        std::deque<LoadNotification> pending;
        {
            std::lock_guard lock(m_mutex);
            pending.swap(m_queue);
        }
        for (const auto& n : pending) controller.OnLoadNotification(n);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<LoadNotification> m_queue;
};

class ControllerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data = new test::GeneratedFolder(test::FolderOptions(2, 2500, 5, true));
        summary = &data->summary;
    }
    static void TearDownTestSuite() { delete data; }

    void SetUp() override {
        controller = std::make_unique<CMainWindowController>(view, boxes, settings, temp.Path(), &queue);
        controller->OnInit();
    }
    void TearDown() override { SetWriteFaultHook(nullptr); }

    // A load was started when the store has a new generation; it may already have ended (or failed) by now.
    void OpenMessages(const std::string& folder) {
        const std::uint32_t before = controller->Database().JobId();
        controller->OpenFolder({folder, true});
        if (controller->Database().JobId() != before) queue.PumpUntilEnd(*controller);
    }
    void Filter() {
        const std::uint32_t before = controller->Database().JobId();
        controller->OnMessageFilter();
        if (controller->Database().JobId() != before) queue.PumpUntilEnd(*controller);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& b : boxes.shown) texts.push_back(b.text);
        return texts;
    }
    std::size_t IndexFiles() const {
        std::size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(temp.Path())) {
            n += e.path().filename().string().ends_with("_filter") ? 1 : 0;
        }
        return n;
    }

    static test::GeneratedFolder* data;
    static const sim::SimulatorSummary* summary;
    test::TempDir temp;
    RecordingView view;
    test::RecordingBoxes boxes;
    MemorySettings settings;
    Queue queue;
    std::unique_ptr<CMainWindowController> controller;
};

test::GeneratedFolder* ControllerTest::data = nullptr;
const sim::SimulatorSummary* ControllerTest::summary = nullptr;

TEST_F(ControllerTest, FolderWithoutFcuInformationFileIsRefused) {
    test::TempDir empty;
    controller->OpenFolder({empty.Path(), true});
    EXPECT_EQ(view.mode, ViewMode::None);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "FCU Information file is not avaiable.  Please select another folder.");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(settings.path, empty.Path());  // the choice is remembered all the same
}

TEST_F(ControllerTest, FolderWithoutDayFiles) {
    test::TempDir folder;
    std::filesystem::copy_file(data->File("MISCDATA.TXT"), folder.File("MISCDATA.TXT"));
    controller->OpenFolder({folder.Path() + "/", true});
    EXPECT_EQ(view.mode, ViewMode::Messages);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "No Data File Found.");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Stop);
    EXPECT_EQ(view.status[0], "Total Record Found:- 0");
    EXPECT_EQ(view.status[2], folder.Path());  // no trailing separator
}

TEST_F(ControllerTest, OpeningLoadsEverythingThenSetsThePickersToTheWholeFolder) {
    view.inputs.selection.selectDateTime = true;  // opening unchecks it before the first load
    OpenMessages(data->Path());
    EXPECT_EQ(view.mode, ViewMode::Messages);
    EXPECT_TRUE(view.messagesMenu);
    EXPECT_FALSE(view.fcuMenu);
    EXPECT_FALSE(view.inputs.selection.selectDateTime);
    EXPECT_EQ(controller->Total(), summary->records);
    EXPECT_EQ(view.listTotal, summary->records);
    EXPECT_EQ(view.status[0], "Total Record Found:- " + std::to_string(summary->records));
    EXPECT_EQ(view.status[2], data->Path());
    EXPECT_FALSE(view.busy);
    EXPECT_FALSE(view.progressVisible);
    EXPECT_EQ(view.dateRange, " 05-01-2009  To  07-01-2009");
    const CivilDateTime from = view.inputs.selection.from, to = view.inputs.selection.to;
    EXPECT_EQ(std::tie(from.year, from.month, from.day, from.hour, from.minute, from.second),
              std::make_tuple(2009, 1, 5, 0, 0, 0));
    EXPECT_EQ(std::tie(to.year, to.month, to.day, to.hour, to.minute, to.second),
              std::make_tuple(2009, 1, 7, 23, 59, 59));
    EXPECT_EQ(view.fcuEntries.front(), "--ALL--");
    EXPECT_EQ(view.fcuEntries.size(), 1u + 60 + 40);  // present FCUs of both channels
    // The invalid records the simulator wrote are reported once, with the log's path.
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_NE(boxes.shown.back().text.find(" Invalid Records are found\n\r"), std::string::npos);
    EXPECT_EQ(boxes.shown.back().icon, MessageIcon::None);

    // Rows carry the texts of the records in file order.
    controller->FillPage(0, 20);
    ASSERT_EQ(controller->PageRows(), 20);
    CRecord first;
    ASSERT_TRUE(controller->Database().GetRecord(0, first));
    const std::string line = RecordTextLine(first, 1);
    std::string joined;
    for (int c = 0; c < 7; ++c) joined += controller->CellText(0, c) + (c < 6 ? "," : "\r\n");
    EXPECT_EQ(joined, line);
    EXPECT_EQ(controller->CellText(19, 0), "20");
    controller->FillPage(controller->Total() - 5, 20);  // the last page is short
    EXPECT_EQ(controller->PageRows(), 5);
}

TEST_F(ControllerTest, FilterRefusalsKeepTheListAndPointAtTheField) {
    OpenMessages(data->Path());
    struct Case {
        std::string fcu;
        bool dated;
        CivilDateTime from, to;
        std::string modbus;
        std::string text;  // the first line, as it always read
        MessageIcon icon;
        FilterField field;
        std::string allowed;  // the second line: the field and what it takes
    };
    const std::string fcuRange = "FCU: --ALL-- or a whole number from 1 to 300";
    const std::string modbusRange = "Modbus Addr: a whole number from 0 to 252";
    const CivilDateTime d5{2009, 1, 5, 0, 0, 0}, d7end{2009, 1, 7, 23, 59, 59}, d8{2009, 1, 8, 0, 0, 0};
    const Case cases[] = {
        {"12a", false, {}, {}, "240", "Please select valid FCU no.", MessageIcon::Stop, FilterField::Fcu, fcuRange},
        {"", false, {}, {}, "240", "Please select valid FCU no.", MessageIcon::Stop, FilterField::Fcu, fcuRange},
        {"301", false, {}, {}, "240", "FCU should be between 1 and 300.", MessageIcon::Stop, FilterField::Fcu,
         fcuRange},
        {"--ALL--", true, d7end, d5, "240", "Start date can not be greater than end date.", MessageIcon::Stop,
         FilterField::FromDate, "From: a time not after To"},
        {"--ALL--", true, d5, d8, "240", "Please select valid date range.", MessageIcon::Stop, FilterField::ToDate,
         "From and To: from 05/01/2009 00:00:00 to 07/01/2009 23:59:59"},
        {"--ALL--", false, {}, {}, "253", "Please enter an integer between 0 and 252.", MessageIcon::Exclamation,
         FilterField::ModbusAddress, modbusRange},
        {"--ALL--", false, {}, {}, "x", "Please enter an integer.", MessageIcon::Exclamation,
         FilterField::ModbusAddress, modbusRange},
    };
    // A refusal leaves the list of the last load as it is: its records, its count, its store.
    const std::int64_t shown = view.listTotal;
    const int resets = view.listResets;
    const std::uint32_t job = controller->Database().JobId();
    ASSERT_GT(shown, 0);
    for (const Case& c : cases) {
        boxes.shown.clear();
        view.inputs.selection.fcuText = c.fcu;
        view.inputs.selection.selectDateTime = c.dated;
        view.inputs.selection.from = c.from;
        view.inputs.selection.to = c.to;
        view.inputs.modbusAddressText = c.modbus;
        controller->OnMessageFilter();
        ASSERT_EQ(boxes.shown.size(), 1u) << c.text;
        EXPECT_EQ(boxes.shown[0].text, c.text + "\n" + c.allowed);
        EXPECT_EQ(boxes.shown[0].icon, c.icon) << c.text;
        EXPECT_EQ(view.focused, c.field) << c.text;
        view.focused.reset();
        EXPECT_EQ(controller->Database().JobId(), job) << "no load may start: " << c.text;
        EXPECT_EQ(view.listTotal, shown) << c.text;
        EXPECT_EQ(view.listResets, resets) << c.text;
        EXPECT_EQ(controller->Total(), shown) << c.text;
        CRecord record;
        EXPECT_TRUE(controller->Database().GetRecord(shown - 1, record)) << "the store was reset: " << c.text;
    }
    // With the date box unchecked the picker values are not looked at.
    boxes.shown.clear();
    view.inputs = {};
    view.inputs.selection.from = d7end;
    view.inputs.selection.to = d5;
    Filter();
    EXPECT_TRUE(boxes.shown.empty() || boxes.shown[0].text.find("Invalid Records") != std::string::npos);
    EXPECT_EQ(controller->Total(), summary->records);
}

TEST_F(ControllerTest, NoValidRecordOnlyForTheCurrentLoad) {
    OpenMessages(data->Path());
    const std::uint32_t firstJob = controller->Database().JobId();
    boxes.shown.clear();
    view.inputs.selection.commandIndex = CommandIndexOf("Open");
    view.inputs.selection.fcuText = "299";  // no FCU 299 exists
    Filter();
    EXPECT_EQ(controller->Total(), 0);
    std::vector<std::string> texts = Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "No valid record found."), 1);

    // A late end notice of an older load changes nothing and says nothing.
    boxes.shown.clear();
    LoadNotification stale;
    stale.message = UM_LOAD_FINISHED;
    stale.jobId = firstJob - 1;
    stale.count = 0;
    controller->OnLoadNotification(stale);
    stale.message = UM_LOAD_PROGRESS;
    stale.count = 5000;
    controller->OnLoadNotification(stale);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(view.listTotal, 0);
}

TEST_F(ControllerTest, SortRequestsReloadInTimeOrder) {
    OpenMessages(data->Path());
    ASSERT_TRUE(controller->OnSortRequest(LoadOrder::Ascending));
    queue.PumpUntilEnd(*controller);
    EXPECT_EQ(controller->Total(), summary->records);
    CRecord previous, current;
    for (std::int64_t s = 0; s < controller->Total(); s += 97) {
        ASSERT_TRUE(controller->Database().GetRecord(s, current));
        if (s > 0) {
            EXPECT_LE(previous.m_nTime, current.m_nTime) << s;
        }
        previous = current;
    }
    // The record selected when the order changes is selected again at its new row.
    const std::int64_t selected = controller->Total() / 3;
    CRecord chosen;
    ASSERT_TRUE(controller->Database().GetRecord(selected, chosen));
    ASSERT_TRUE(controller->OnSortRequest(LoadOrder::Descending, selected));
    queue.PumpUntilEnd(*controller);
    ASSERT_TRUE(controller->Database().GetRecord(0, previous));
    ASSERT_TRUE(controller->Database().GetRecord(controller->Total() - 1, current));
    EXPECT_GT(previous.m_nTime, current.m_nTime);
    ASSERT_GE(view.listSelected, 0);
    EXPECT_NE(view.listSelected, selected);
    ASSERT_TRUE(controller->Database().GetRecord(view.listSelected, current));
    EXPECT_EQ(current.MessageBytes().size(), chosen.MessageBytes().size());
    EXPECT_TRUE(std::equal(current.MessageBytes().begin(), current.MessageBytes().end(), chosen.MessageBytes().begin()));
    EXPECT_EQ(current.m_nTime, chosen.m_nTime);

    view.reportRunning = true;
    boxes.shown.clear();
    EXPECT_FALSE(controller->OnSortRequest(LoadOrder::Stored));
    EXPECT_EQ(controller->SortState(), LoadOrder::Descending);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Report generation is in process. Can not continue with sorting.");
    controller->OnMessageFilter();
    EXPECT_EQ(boxes.shown.back().text, "Report generation is in process. Can not continue with filtering.");
    controller->OnSelectFolder();
    EXPECT_EQ(boxes.shown.back().text,
              "Report generation is in proces.  Can not continue with folder selection.");
}

TEST_F(ControllerTest, FcuModeWithChannelFilter) {
    controller->OpenFolder({data->Path(), false});
    EXPECT_EQ(view.mode, ViewMode::FCU);
    EXPECT_FALSE(view.messagesMenu);
    EXPECT_TRUE(view.fcuMenu);
    EXPECT_EQ(view.fcuRows.size(), 100u);
    EXPECT_EQ(view.status[0], "Total Record Found:- 100");
    EXPECT_EQ(view.fcuRows[0][0], "1");
    EXPECT_EQ(view.fcuRows[0][2], "MS_A(left)");
    EXPECT_EQ(view.fcuRows[1][0], "1");
    EXPECT_EQ(view.fcuRows[1][2], "MS_B(right)");
    view.fcuChannel = 2;
    controller->OnFcuFilter();
    EXPECT_EQ(view.fcuRows.size(), 40u);
    for (const auto& row : view.fcuRows) EXPECT_EQ(row[2], "MS_B(right)");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ControllerTest, LoadFailureEmptiesTheListAndResetsTheStore) {
    SetWriteFaultHook([](const std::string& path, std::size_t) {
        return path.ends_with("LG060109.txt_filter") ? ENOSPC : 0;
    });
    OpenMessages(data->Path());
    EXPECT_EQ(view.listTotal, 0);
    EXPECT_EQ(controller->Total(), 0);
    EXPECT_TRUE(controller->Database().Files().empty());
    EXPECT_EQ(view.status[0], "Total Record Found:- 0");
    EXPECT_FALSE(view.busy);
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown.back().icon, MessageIcon::Stop);
    EXPECT_NE(boxes.shown.back().text.find("Very low disk space in " + temp.Path() + " drive."), std::string::npos)
        << boxes.shown.back().text;
    EXPECT_EQ(IndexFiles(), 0u);
}

TEST_F(ControllerTest, ClosingStopsTheLoadAndDeletesTheIndexFiles) {
    OpenMessages(data->Path());
    EXPECT_GT(IndexFiles(), 0u);
    controller->OnClose();
    EXPECT_EQ(IndexFiles(), 0u);
    EXPECT_TRUE(controller->Database().IsStopFlagSet());
}

TEST_F(ControllerTest, ProgressCyclesThroughOneToOneHundredNinetyNine) {
    OpenMessages(data->Path());
    const std::uint32_t job = controller->Database().JobId();
    // Deliver pulses of the current load by hand after restarting it, so the count is known.
    controller->OnSortRequest(LoadOrder::Stored);
    const std::uint32_t current = controller->Database().JobId();
    ASSERT_NE(job, 0u);
    LoadNotification started;
    started.message = UM_LOAD_STARTED;
    started.jobId = current;
    controller->OnLoadNotification(started);
    EXPECT_EQ(controller->ProgressPosition(), 0);
    LoadNotification pulse;
    pulse.message = UM_SCAN_PROGRESS;
    pulse.jobId = current;
    for (int i = 1; i <= 199; ++i) controller->OnLoadNotification(pulse);
    EXPECT_EQ(controller->ProgressPosition(), 199);
    controller->OnLoadNotification(pulse);
    EXPECT_EQ(controller->ProgressPosition(), 1);
    queue.PumpUntilEnd(*controller);
}

TEST_F(ControllerTest, DetailDialogsFollowTheSelection) {
    OpenMessages(data->Path());
    // Find a block transfer, a write-multiple and a plain record.
    std::int64_t pbt = -1, multi = -1, single = -1, halvik = -1;
    CRecord r;
    for (std::int64_t s = 0; s < controller->Total() && (pbt < 0 || multi < 0 || single < 0 || halvik < 0); ++s) {
        ASSERT_TRUE(controller->Database().GetRecord(s, r));
        if (r.m_nMessageMode == kModeParameterBlockTransfer && pbt < 0) pbt = s;
        if (r.m_nMessageMode == kModeModbus && r.m_bMultipleFCU && multi < 0) multi = s;
        if (r.m_nMessageMode == kModeModbus && !r.m_bMultipleFCU && single < 0) single = s;
        if (r.m_nMessageMode == kModeHalvikCommonProtocol && halvik < 0) halvik = s;
    }
    ASSERT_TRUE(pbt >= 0 && multi >= 0 && single >= 0 && halvik >= 0);

    // Enter on a Halvik record neither switches details on nor shows anything.
    controller->OnRowKey(halvik, kListKeyEnter);
    EXPECT_FALSE(controller->DetailsActive());
    controller->OnRowClicked(pbt);
    EXPECT_FALSE(view.pbtVisible);

    controller->OnRowKey(pbt, kListKeyEnter);
    EXPECT_TRUE(controller->DetailsActive());
    EXPECT_TRUE(view.pbtVisible);
    EXPECT_EQ(view.pbtContent.recordNumber, pbt + 1);
    EXPECT_EQ(view.pbtFills, 1);
    controller->OnRowClicked(pbt);  // the same record is not decoded again
    EXPECT_EQ(view.pbtFills, 1);

    controller->OnRowKey(multi, kListKeyDown);
    EXPECT_TRUE(view.modbusVisible);
    EXPECT_FALSE(view.pbtVisible);
    EXPECT_EQ(view.modbusContent.recordNumber, multi + 1);
    EXPECT_FALSE(view.modbusContent.rows.empty());

    // Escape in the Modbus dialog hides it but keeps the details on.
    controller->OnModbusDialogClosed(true);
    EXPECT_FALSE(view.modbusVisible);
    EXPECT_TRUE(controller->DetailsActive());
    controller->OnRowClicked(single);
    EXPECT_FALSE(view.modbusVisible);
    controller->OnRowClicked(multi);
    EXPECT_TRUE(view.modbusVisible);

    // "Close" ends the details: moving on updates nothing.
    controller->OnBlockTransferDialogClosed(false);
    EXPECT_FALSE(controller->DetailsActive());
    controller->OnRowClicked(pbt);
    EXPECT_FALSE(view.pbtVisible);

    // A double click sends the Sr.No. to the report dialog; on a single Modbus record it switches details on
    // and hides both dialogs.
    controller->OnRowDoubleClicked(single);
    EXPECT_EQ(view.reportSerial, single + 1);
    EXPECT_TRUE(controller->DetailsActive());
    EXPECT_FALSE(view.pbtVisible);
    EXPECT_FALSE(view.modbusVisible);

    // The message filter switches the details off.
    Filter();
    EXPECT_FALSE(controller->DetailsActive());
}

// What a load posts after the window stopped it (here: a record of the page could no longer be read) is
// never taken for the current load: its late "finished" must not paint a count over the emptied list.
TEST_F(ControllerTest, AStoppedLoadsLateEndNeverPaintsTheList) {
    test::TempDir copy;
    for (const auto& e : std::filesystem::directory_iterator(data->Path())) {
        std::filesystem::copy_file(e.path(), copy.File(e.path().filename().string()));
    }
    controller->OpenFolder({copy.Path(), true});
    controller->Database().WaitForLoad();
    // Deliver everything up to the end, and hold the end back.
    std::optional<LoadNotification> end;
    while (auto n = queue.Pop()) {
        if (n->message == UM_LOAD_FINISHED) {
            end = n;
            break;
        }
        controller->OnLoadNotification(*n);
    }
    ASSERT_TRUE(end);
    ASSERT_GT(controller->Total(), 0);
    for (const auto& e : std::filesystem::directory_iterator(copy.Path())) {
        if (e.path().filename().string().starts_with("LG")) std::filesystem::resize_file(e.path(), 0);
    }
    controller->FillPage(0, 50);
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_NE(boxes.shown.back().text.find("cannot be read again"), std::string::npos) << boxes.shown.back().text;
    controller->OnLoadNotification(*end);
    queue.DrainNow(*controller);
    EXPECT_EQ(view.listTotal, 0);
    EXPECT_EQ(controller->Total(), 0);
    EXPECT_EQ(view.status[0], "Total Record Found:- 0");
}

// After the load, a record whose bytes went (its day file cut short under a followed or finished list) is
// marked in its own row and named once in the notice bar; the list keeps its count and every other row.
TEST_F(ControllerTest, ARecordCutFromItsDayFileAfterTheLoadIsMarkedAndTheRestStay) {
    test::TempDir copy;
    for (const auto& e : std::filesystem::directory_iterator(data->Path())) {
        std::filesystem::copy_file(e.path(), copy.File(e.path().filename().string()));
    }
    OpenMessages(copy.Path());
    const std::int64_t total = controller->Total();
    ASSERT_GT(total, 100);
    // The last 60 records of the folder, all of its last day file's, are cut.
    const std::optional<RecordLocation> cut = controller->Database().LocationOf(total - 60);
    const std::optional<RecordLocation> last = controller->Database().LocationOf(total - 1);
    ASSERT_TRUE(cut && last);
    ASSERT_EQ(cut->dayFile, last->dayFile);
    ASSERT_LT(cut->offset, last->offset);
    CRecord kept;
    ASSERT_TRUE(controller->Database().GetRecord(total - 61, kept));
    std::filesystem::resize_file(cut->dayFile, cut->offset + 1);
    // The follow sees the file shorter first and stops: its word stays above the marked records' notice.
    LoadNotification stopped;
    stopped.message = UM_FOLLOW_STOPPED;
    stopped.jobId = controller->Database().JobId();
    stopped.text = "Following stopped: the file became shorter";
    controller->OnLoadNotification(stopped);
    const std::size_t boxesBefore = boxes.shown.size();
    const std::size_t noticesBefore = view.notices.size();
    const int mc = static_cast<int>(RecordColumn::MessageContent);
    const std::string marked = "Cannot be read again: the day file is shorter than when it was loaded";
    for (int pass = 0; pass < 2; ++pass) {  // pages painted again and pages of other cut records: said once
        controller->FillPage(total - 50, 50);
        EXPECT_EQ(controller->CellText(49, 0), std::to_string(total));
        EXPECT_EQ(controller->CellText(49, mc), marked);
        EXPECT_EQ(controller->CellText(49, static_cast<int>(RecordColumn::DateTime)), "");
        controller->FillPage(total - 100, 50);
        EXPECT_EQ(controller->CellText(39, mc), CFormatRecord(&kept).FormatMessageContent().substr(0, 1023));
        EXPECT_EQ(controller->CellText(40, 0), std::to_string(total - 59));
        EXPECT_EQ(controller->CellText(40, mc), marked);
    }
    EXPECT_EQ(controller->Total(), total);
    EXPECT_EQ(view.listTotal, total);
    EXPECT_EQ(boxes.shown.size(), boxesBefore);
    ASSERT_EQ(view.notices.size(), noticesBefore + 1);
    EXPECT_TRUE(view.notices.back().starts_with(stopped.text + "\nRecord Sr.No. " + std::to_string(total - 49) +
                                                " cannot be read again from "))
        << view.notices.back();
}

// Entries named like day files that are no files are named in a notice; a folder that cannot be listed
// says why instead of claiming it has no day files.
TEST_F(ControllerTest, OddEntriesAreNamedAndAnUnlistableFolderSaysWhy) {
    test::TempDir folder;
    for (const auto& e : std::filesystem::directory_iterator(data->Path())) {
        std::filesystem::copy_file(e.path(), folder.File(e.path().filename().string()));
    }
    std::filesystem::create_directory(folder.File("LG010209.txt"));
    std::filesystem::create_symlink(folder.File("missing"), folder.File("LG020209.txt"));
    OpenMessages(folder.Path());
    ASSERT_FALSE(view.notices.empty());  // the damage notice of the simulator's faults follows
    EXPECT_EQ(view.notices[0],
              "2 entries are named like day files but are not files, and were left out:\nLG010209.txt\nLG020209.txt");
    EXPECT_GT(controller->Total(), 4000);  // the day files themselves were read

    // The folder's name now names a file: it cannot be listed (root would list an unreadable folder).
    const std::string moved = folder.Path() + ".moved";
    std::filesystem::rename(folder.Path(), moved);
    std::ofstream(folder.Path()) << "x";
    boxes.shown.clear();
    controller->OnMessageFilter();
    std::filesystem::remove(folder.Path());
    std::filesystem::rename(moved, folder.Path());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Not a directory: " + folder.Path());

    // A reload says it again; another folder, whose files are whole, is not shown the first one's notice.
    Filter();
    EXPECT_NE(view.notice.find("damaged"), std::string::npos) << view.notice;
    auto options = test::FolderOptions(1, 300, 9);
    options.faults = false;
    const test::GeneratedFolder whole(options);
    OpenMessages(whole.Path());
    EXPECT_GT(controller->Total(), 0);
    EXPECT_EQ(view.notice, "");
}

// A record found elsewhere (the loop's timeline) by its place: selected when the load holds it, otherwise
// loaded with the filters cleared in time order and selected when the load ends, from FCU mode too.
TEST_F(ControllerTest, ARecordFoundByItsPlaceIsSelectedOrLoadedInTimeOrder) {
    OpenMessages(data->Path());
    CRecord record;
    std::int64_t onA = -1;
    for (std::int64_t s = controller->Total() / 2; s < controller->Total() && onA < 0; ++s) {
        ASSERT_TRUE(controller->Database().GetRecord(s, record));
        if (record.m_nChannel == kChannelA) onA = s;
    }
    ASSERT_GE(onA, 0);
    const RecordLocation place = *controller->Database().LocationOf(onA);
    auto selectedPlace = [&] { return controller->Database().LocationOf(view.listSelected); };
    ASSERT_TRUE(controller->SelectRecordAt(place));
    EXPECT_EQ(view.listSelected, onA);

    view.inputs.selection.channelIndex = 2;  // MS_B(right) only: the record is filtered out
    Filter();
    view.listSelected = -1;
    EXPECT_FALSE(controller->SelectRecordAt(place));
    EXPECT_EQ(view.listSelected, -1);
    ASSERT_TRUE(controller->LoadAllInTimeOrder(place));
    queue.PumpUntilEnd(*controller);
    EXPECT_EQ(view.inputs.selection.channelIndex, 0);
    EXPECT_EQ(controller->SortState(), LoadOrder::Ascending);
    EXPECT_EQ(controller->Total(), summary->records);
    ASSERT_GE(view.listSelected, 0);
    EXPECT_EQ(selectedPlace(), place);

    controller->OpenFolder({data->Path(), false});
    ASSERT_EQ(controller->Mode(), ViewMode::FCU);
    EXPECT_FALSE(controller->SelectRecordAt(place));
    view.listSelected = -1;
    ASSERT_TRUE(controller->LoadAllInTimeOrder(place));
    queue.PumpUntilEnd(*controller);
    EXPECT_EQ(controller->Mode(), ViewMode::Messages);
    ASSERT_GE(view.listSelected, 0);
    EXPECT_EQ(selectedPlace(), place);

    // A place in another folder (a loop window left on it) loads nothing here.
    EXPECT_TRUE(controller->InOpenFolder(place));
    const std::uint32_t job = controller->Database().JobId();
    for (const std::string& other : {std::string("/elsewhere/") + std::filesystem::path(place.dayFile).filename().string(),
                                     std::filesystem::path(place.dayFile).filename().string()}) {
        const RecordLocation elsewhere{other, place.offset};
        EXPECT_FALSE(controller->InOpenFolder(elsewhere)) << other;
        EXPECT_FALSE(controller->LoadAllInTimeOrder(elsewhere)) << other;
    }
    EXPECT_EQ(controller->Database().JobId(), job);
    EXPECT_EQ(selectedPlace(), place);
}

}  // namespace
}  // namespace vyx
