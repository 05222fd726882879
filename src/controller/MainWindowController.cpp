#include "controller/MainWindowController.h"

#include <cstdio>

#include "decode/DetailRows.h"
#include "decode/FCUDisplay.h"
#include "decode/FCUParse.h"
#include "decode/FormatRecord.h"
#include "decode/VyxViewerClassFactory.h"
#include "filter/FCUFilterCriteria.h"
#include "logdata/DataFolder.h"
#include "logdata/DayFileFormat.h"
#include "logdata/LoadPipeline.h"
#include "logdata/TimeValue.h"
#include "platform/FileError.h"
#include "res/StringTable.h"

namespace vyx {
namespace {

// Status update flags, applied in this order.
constexpr int kSetPane0 = 0x01;
constexpr int kSetPane2 = 0x80;
constexpr int kProgressZero = 0x10;
constexpr int kProgressShow = 0x02;
constexpr int kProgressStep = 0x04;
constexpr int kProgressFull = 0x20;
constexpr int kProgressHide = 0x08;

std::string Text(int id) { return std::string(res::LoadString(id)); }

std::string DayText(std::uint32_t day, char separator = '-') {
    const CivilDateTime t = BreakDown(day);
    char text[16];
    std::snprintf(text, sizeof text, "%02d%c%02d%c%04d", t.day, separator, t.month, separator, t.year);
    return text;
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

CMainWindowController::CMainWindowController(IMainWindowView& view, IMessageBoxes& boxes,
                                             IMetaDataStorage& settings, std::string tempFolder,
                                             ILoadNotificationTarget* target)
    : m_view(view),
      m_boxes(boxes),
      m_settings(settings),
      m_target(target),
      m_database(std::make_unique<CRecordDatabase>(std::move(tempFolder), target)),
      m_details(view, [this](std::int64_t serial, CRecord& record) { return ReadRecordQuietly(serial, record); }) {
    m_colours.SetRules(DefaultColourRules());
    m_page.SetTint([this](const CRecord& record) { return m_colours.ColourOf(record); });
}

void CMainWindowController::SetColourRules(std::vector<ColourRule> rules) {
    m_colours.SetRules(std::move(rules));
    m_page.Clear();  // the cached rows carry the old tints
    m_view.ListRedraw();
}

void CMainWindowController::SetDetailPane(bool on, std::int64_t serial) {
    m_details.SetPane(on);
    if (on && serial >= 0 && serial < m_total) m_details.OnSelected(serial);
}

CMainWindowController::~CMainWindowController() {
    if (m_beforeStoreReset) m_beforeStoreReset();
    // The worker uses the filters: stop it before they go.
    m_database->StopLoad();
    m_database->Reset();
}

void CMainWindowController::OnInit() {
    m_viewMode = ViewMode::None;
    m_view.SetTitle(kApplicationName);
    m_view.ApplyViewMode(ViewMode::None);
    m_view.SetReportMenus(false, false);
    m_view.SelectFirstEntries();
    m_view.SetSelectDateTime(false);
    m_view.SetProgress(false, 0);
}

std::string CMainWindowController::TotalText(std::int64_t count) const {
    return "Total Record Found:- " + std::to_string(count);
}

// ---- opening a folder

void CMainWindowController::OnSelectFolder() {
    if (m_view.IsReportRunning()) {
        m_boxes.Show("Report generation is in proces.  Can not continue with folder selection.", MessageIcon::Stop);
        return;
    }
    m_view.HideReportDialog();
    CViewAppMetaData stored;
    m_settings.Load(stored);
    const auto choice = m_view.BrowseForFolder(stored.m_strPath);
    if (!choice) return;
    OpenFolder(*choice);
}

void CMainWindowController::OpenFolder(const FolderChoice& choice) {
    m_details.End();
    m_view.ClearNotice();  // its day files and entries were the last folder's
    m_view.SelectFirstEntries();
    m_folderPath = WithoutTrailingSeparator(choice.folder);
    CViewAppMetaData stored;
    stored.m_strPath = m_folderPath;
    m_view.SetTitle(kApplicationName);

    const std::string fcuFile = FCUInformationFilePath(m_folderPath);
    if (!FileExists(fcuFile)) {
        m_viewMode = ViewMode::None;
        m_view.ApplyViewMode(ViewMode::None);
        StopAndReset();  // the records shown were another folder's
        m_total = 0;
        m_boxes.Show(Text(res::IDS_FCU_INFO_MISSING), MessageIcon::Exclamation);
        m_settings.Save(stored);
        return;
    }

    if (choice.messageMode) {
        m_viewMode = ViewMode::Messages;
        m_view.ApplyViewMode(ViewMode::Messages);
        m_view.SetReportMenus(true, false);
        try {
            const CFCUParse reader;
            std::vector<std::string> entries{Text(res::IDS_ALL)};
            for (const CFCU& fcu : reader.ReadFCUDisplayList(fcuFile, {})) {
                entries.push_back(CFCUDisplay(&fcu).FormatFCUNumber());
            }
            m_view.SetFcuEntries(entries);
            m_fcuInfo = reader.ReadFCUConfigurationList(fcuFile);
        } catch (const CVyxError& e) {
            m_view.SetFcuEntries({Text(res::IDS_ALL)});
            m_fcuInfo.clear();
            m_boxes.Show(e.what(), MessageIcon::Stop);
        }
        m_filterConverter = std::make_unique<CTextToFilterCriteriaConverter>(m_fcuInfo);
        m_view.SetSelectDateTime(false);
        RunMessageFilter(true);
    } else {
        m_viewMode = ViewMode::FCU;
        m_view.ApplyViewMode(ViewMode::FCU);
        m_view.SetReportMenus(false, true);
        m_view.SetStatusText(2, m_folderPath);
        OnFcuFilter();
    }
    m_settings.Save(stored);
}

// ---- message filter

void CMainWindowController::OnMessageFilter() {
    if (m_view.IsReportRunning()) {
        m_boxes.Show("Report generation is in process. Can not continue with filtering.", MessageIcon::Stop);
        return;
    }
    std::uint8_t address = 0;
    if (!ReadModbusAddress(m_view.ReadFilterBar(), address)) return;
    m_details.End();
    RunMessageFilter();
}

bool CMainWindowController::OnSortRequest(LoadOrder newState, std::int64_t selected) {
    if (m_view.IsReportRunning()) {
        m_boxes.Show("Report generation is in process. Can not continue with sorting.", MessageIcon::Stop);
        return false;
    }
    const LoadOrder oldState = m_sortState;
    m_sortState = newState;
    std::uint8_t address = 0;
    if (!ReadModbusAddress(m_view.ReadFilterBar(), address)) {
        m_sortState = oldState;
        return false;
    }
    std::optional<RecordLocation> kept;
    try {
        if (selected >= 0 && selected < m_total) kept = m_database->LocationOf(selected);
    } catch (const CVyxError&) {
        // A record that cannot be read again has no place to keep.
    }
    m_details.End();
    if (RunMessageFilter()) m_keptSelection = kept;
    return true;
}

bool CMainWindowController::ReadModbusAddress(const FilterBarInputs& inputs, std::uint8_t& address) {
    const std::string message = CheckModbusAddressText(inputs.modbusAddressText, address);
    if (message.empty()) return true;
    m_boxes.Show(message + "\nModbus Addr: a whole number from 0 to 252", MessageIcon::Exclamation);
    m_view.FocusFilterField(FilterField::ModbusAddress);
    return false;
}

void CMainWindowController::SelectKeptRecord() {
    if (!m_keptSelection) return;
    std::optional<SerialNumber> serial;
    try {
        serial = m_database->SerialAt(*m_keptSelection);
    } catch (const CVyxError&) {
    }
    m_keptSelection.reset();
    if (serial && *serial < m_total) m_view.ListSelectSerial(*serial);
}

void CMainWindowController::StopAndReset() {
    if (m_beforeStoreReset) m_beforeStoreReset();
    m_keptSelection.reset();
    m_page.Clear();
    m_currentJob = 0;
    m_unreadableSaid.clear();
    m_followStopped.clear();
    m_database->StopLoad();
    // Whatever the load followed, it follows no more.
    m_follow.Reset();
    m_view.SetFollowStatus({});
    // A report may have begun while the load ran and still read these day files through its own list of
    // them; then they are freed by the next load, which is refused until the report has ended.
    if (!m_view.IsReportRunning()) m_database->Reset();
}

bool CMainWindowController::RunMessageFilter(bool newFolder) {
    if (m_folderPath.empty()) return false;
    // The folder is listed first and the filter bar checked against it; only then is the load that shows
    // the list stopped and the store reset, so a refused input leaves the list as it was.
    const DataFolderListing listing = ListDayFiles(m_folderPath);
    const DataFolderScan& scan = listing.scan;
    const std::string leftOut = LeftOutNotice(scan);
    if (!leftOut.empty()) m_view.ShowNotice(leftOut);
    if (scan.count == 0) {
        StopAndReset();
        m_total = 0;
        m_firstDay = m_lastDay = 0;
        m_view.SetStatusText(0, TotalText(0));
        m_view.SetStatusText(2, m_folderPath);
        m_view.ListReset();
        m_view.ListRedraw();
        // A folder that cannot be listed is not a folder without day files: say what went wrong.
        m_boxes.Show(scan.listError.empty() ? Text(res::IDS_NO_DATA_FILE) : scan.listError, MessageIcon::Stop);
        return false;
    }
    if (newFolder) m_view.SetDateRangeText(" " + DayText(scan.firstDay) + "  To  " + DayText(scan.lastDay));

    const FilterBarInputs inputs = m_view.ReadFilterBar();
    std::uint8_t address = 0;
    if (!ValidateFilterInputs(inputs, address, scan)) {
        if (newFolder) {
            StopAndReset();
            m_total = 0;
            m_firstDay = scan.firstDay;
            m_lastDay = scan.lastDay;
            m_view.ListReset();
            m_view.ListRedraw();
            m_view.SetStatusText(0, TotalText(0));
        }
        return false;
    }
    // What was said of the last load's day files goes with it; this load says it again where it still holds.
    m_view.ClearNotice();
    if (!leftOut.empty()) m_view.ShowNotice(leftOut);
    StopAndReset();
    m_total = 0;
    RegisterDayFiles(listing, *m_database);
    // The date fields follow the folder's span when it is new or has changed; otherwise they stay as the
    // user left them.
    const bool spanChanged = newFolder || scan.firstDay != m_firstDay || scan.lastDay != m_lastDay;
    m_firstDay = scan.firstDay;
    m_lastDay = scan.lastDay;
    ShowDayRange(inputs.selection.selectDateTime || !spanChanged);
    m_view.ListReset();
    m_view.ListRedraw();

    const std::uint8_t loadAddress = ModbusAddressForLoad(address);
    m_details.StartLoad(m_fcuInfo, loadAddress);
    m_colours.StartLoad(m_fcuInfo, loadAddress);

    std::optional<DateTimeRange> range;
    if (inputs.selection.selectDateTime) range = DateTimeRange{inputs.selection.from, inputs.selection.to};
    if (!m_filterConverter) m_filterConverter = std::make_unique<CTextToFilterCriteriaConverter>(m_fcuInfo);
    m_database->SetRecovery(m_recover);
    m_database->SetFollow(m_follow.SettingsFor(m_folderPath));
    PrepareAndStartLoad(*m_database, m_filterList,
                        BuildFilterList(inputs.selection, m_fcuInfo, *m_filterConverter, loadAddress), range,
                        loadAddress, m_sortState);
    m_currentJob = m_database->JobId();
    m_loadedInputs = inputs;
    return true;
}

bool CMainWindowController::ValidateFilterInputs(const FilterBarInputs& inputs, std::uint8_t& address,
                                                 const DataFolderScan& scan) {
    if (!ReadModbusAddress(inputs, address)) return false;
    const FCUTextCheck fcu = CheckFCUText(inputs.selection.fcuText);
    if (!fcu.valid) {
        m_boxes.Show(fcu.message + "\nFCU: --ALL-- or a whole number from 1 to 300", MessageIcon::Stop);
        m_view.FocusFilterField(FilterField::Fcu);
        return false;
    }
    if (!inputs.selection.selectDateTime) return true;
    if (const int id = ValidateDateRange({inputs.selection.from, inputs.selection.to}, scan)) {
        // The first line is the refusal as it always read; the second names the fields and what they take.
        const std::string allowed = id == res::IDS_START_AFTER_END
                                        ? "From: a time not after To"
                                        : "From and To: from " + DayText(scan.firstDay, '/') + " 00:00:00 to " +
                                              DayText(scan.lastDay, '/') + " 23:59:59";
        m_boxes.Show(Text(id) + "\n" + allowed, MessageIcon::Stop);
        // A start after the end points at the start; a range outside the data at the end that is outside.
        const std::int64_t from = SecondsFromCivil(inputs.selection.from);
        const bool fromOutside = from < scan.firstDay ||
                                 from > static_cast<std::int64_t>(scan.lastDay) + format::kSecondsPerDay - 1;
        m_view.FocusFilterField(id == res::IDS_START_AFTER_END || fromOutside ? FilterField::FromDate
                                                                              : FilterField::ToDate);
        return false;
    }
    return true;
}

// ---- a record found elsewhere

bool CMainWindowController::SelectRecordAt(const RecordLocation& location) {
    if (m_viewMode != ViewMode::Messages || m_total <= 0) return false;
    std::optional<SerialNumber> serial;
    try {
        serial = m_database->SerialAt(location);
    } catch (const CVyxError&) {
    }
    if (!serial || *serial >= m_total) return false;
    m_keptSelection.reset();
    m_view.ListSelectSerial(*serial);
    return true;
}

bool CMainWindowController::InOpenFolder(const RecordLocation& location) const {
    // The store names a day file by the folder's path as it was opened, "/" and the file's name.
    if (m_folderPath.empty()) return false;
    const std::string prefix = m_folderPath + "/";
    return location.dayFile.size() > prefix.size() && location.dayFile.compare(0, prefix.size(), prefix) == 0 &&
           location.dayFile.find('/', prefix.size()) == std::string::npos;
}

bool CMainWindowController::LoadAllInTimeOrder(const RecordLocation& location) {
    if (!InOpenFolder(location)) return false;
    if (m_view.IsReportRunning()) {
        m_boxes.Show("Report generation is in process. Can not continue with filtering.", MessageIcon::Stop);
        return false;
    }
    m_sortState = LoadOrder::Ascending;
    if (m_viewMode != ViewMode::Messages) {
        OpenFolder(FolderChoice{m_folderPath, true});
    } else {
        m_details.End();
        m_view.SelectFirstEntries();
        m_view.SetSelectDateTime(false);
        if (!RunMessageFilter()) return false;
    }
    if (m_viewMode != ViewMode::Messages || m_currentJob == 0 || LoadEnded()) return false;
    m_keptSelection = location;
    return true;
}

// ---- FCU mode

void CMainWindowController::OnFcuFilter() {
    m_view.SetFcuTable({});
    StopAndReset();
    FCUFilterList filters;
    const int channel = m_view.FcuChannelIndex();
    if (channel == 1) filters.push_back(std::make_unique<CFCUFilterChannel>(kChannelA));
    if (channel == 2) filters.push_back(std::make_unique<CFCUFilterChannel>(kChannelB));
    FCUList fcus;
    try {
        fcus = CFCUParse().ReadFCUDisplayList(FCUInformationFilePath(m_folderPath), filters);
    } catch (const CVyxError& e) {
        m_boxes.Show(e.what(), MessageIcon::Stop);
    }
    std::vector<std::array<std::string, 3>> rows;
    rows.reserve(fcus.size());
    for (const CFCU& fcu : fcus) {
        const CFCUDisplay display(&fcu);
        rows.push_back({display.FormatFCUNumber(), display.FormatFCUType(), display.FormatChannel()});
    }
    m_view.SetFcuTable(rows);
    m_view.SetStatusText(0, TotalText(static_cast<std::int64_t>(rows.size())));
    if (rows.empty()) m_boxes.Show(Text(res::IDS_NO_FCU_FOUND), MessageIcon::Stop);
}

// ---- closing

void CMainWindowController::OnClose() { StopAndReset(); }

// ---- notifications of the loading worker

void CMainWindowController::StatusUpdate(int flags, const std::string& text1, const std::string& text2) {
    if (flags & kSetPane0) m_view.SetStatusText(0, text1);
    if (flags & kSetPane2) m_view.SetStatusText(2, text2);
    bool visible = true;
    bool touched = false;
    if (flags & kProgressZero) {
        m_progress = 0;
        touched = true;
    }
    if (flags & kProgressShow) touched = true;
    if (flags & kProgressStep) {
        // Without a total there is no fraction to show: the bar cycles through 1..199.
        m_progress = (m_progress + 1) % kProgressRange == 0 ? 1 : m_progress + 1;
        touched = true;
    }
    if (flags & kProgressFull) {
        m_progress = kProgressRange;
        touched = true;
    }
    if (flags & kProgressHide) {
        visible = false;
        touched = true;
    }
    if (touched) m_view.SetProgress(visible, m_progress);
}

void CMainWindowController::OnLoadNotification(const LoadNotification& n) {
    if (!IsCurrentJob(n.jobId)) return;
    switch (n.message) {
    case UM_LOAD_STARTED:
        m_view.ListReset();
        m_total = 0;
        m_page.Clear();
        StatusUpdate(kSetPane0 | kProgressZero | kProgressShow, "Loading Records...");
        m_busy = true;
        m_view.SetBusy(true);
        m_view.ReportRecordsChanged(0);
        break;
    case UM_LOAD_PROGRESS:
        if (m_database->IsStopFlagSet()) break;
        m_total = n.count;
        m_view.ListSetCount(n.count);
        StatusUpdate(kProgressStep);
        m_view.ReportRecordsChanged(n.count);
        break;
    case UM_SCAN_PROGRESS:
        if (m_database->IsStopFlagSet()) break;
        StatusUpdate(kProgressStep);
        break;
    case UM_LOAD_FILE:
        m_view.SetStatusText(2, n.text);
        break;
    case UM_LOAD_FINISHED:
        HandleLoadFinished(n.count, n.jobId);
        break;
    case UM_INVALID_RECORDS:
        if (m_viewMode == ViewMode::Messages) m_boxes.Show(InvalidRecordsMessage(n.count, n.text), MessageIcon::None);
        break;
    case UM_LOAD_FAILED:
        HandleLoadFailed(n);
        break;
    case UM_DAMAGED_FILES:
        if (m_viewMode == ViewMode::Messages) m_view.ShowNotice(n.text);
        break;
    case UM_FOLLOW_DAY_FILE:
        // The folder's span grew by a day file of a later day.
        if (m_viewMode == ViewMode::Messages && n.time > m_lastDay) {
            m_lastDay = n.time;
            ShowDayRange(m_view.ReadFilterBar().selection.selectDateTime);
        }
        break;
    case UM_FOLLOW_STARTED:
    case UM_FOLLOW_PROGRESS:
    case UM_FOLLOW_NOTICE:
    case UM_FOLLOW_STOPPED:
        HandleFollow(n);
        break;
    }
}

void CMainWindowController::ShowDayRange(bool windowChosen) {
    m_view.SetDateRangeText(" " + DayText(m_firstDay) + "  To  " + DayText(m_lastDay));
    if (windowChosen) return;  // the user's date window stays as it is
    // Not applied, the fields offer the folder's whole span, from the first day to the end of the last.
    CivilDateTime to = BreakDown(m_lastDay);
    to.hour = 23;
    to.minute = 59;
    to.second = 59;
    m_view.SetDateTimes(BreakDown(m_firstDay), to);
}

void CMainWindowController::HandleFollow(const LoadNotification& n) {
    if (m_viewMode != ViewMode::Messages) return;
    const CFollowController::Update update = m_follow.OnNotification(n, m_total);
    if (update.arrived) m_view.FolderGrew(m_follow.LastTime());
    if (update.total > m_total) {
        const std::int64_t before = m_total;
        const std::int64_t follow = CFollowController::SerialToFollow(m_view.ListSelectedSerial(), before, update.total);
        m_total = update.total;
        m_view.ListSetCount(m_total);
        m_view.ReportRecordsChanged(m_total);
        m_view.SetStatusText(0, TotalText(m_total));
        if (follow >= 0) m_view.ListSelectSerial(follow);
    }
    if (n.message == UM_FOLLOW_STOPPED) m_followStopped = n.text;
    if (!update.notice.empty()) m_view.ShowNotice(update.notice);
    if (update.statusChanged) m_view.SetFollowStatus(m_follow.StatusText());
}

void CMainWindowController::SetFollow(bool on) {
    if (on == m_follow.Enabled()) return;
    m_follow.SetEnabled(on);
    if (m_viewMode != ViewMode::Messages || m_folderPath.empty()) return;
    if (on || !LoadEnded()) {
        // The watch starts before the load reads the folder, so the folder is loaded again.
        OnMessageFilter();
        return;
    }
    m_database->StopLoad();
    m_follow.Reset();
    m_view.SetFollowStatus({});
}

void CMainWindowController::HandleLoadFinished(std::int64_t count, std::uint32_t jobId) {
    m_endedJob = m_database->JobId();
    if (!m_database->IsStopFlagSet()) {
        m_total = count;
        m_view.ListSetCount(count);
        m_view.ReportRecordsChanged(count);
        SelectKeptRecord();
    }
    m_keptSelection.reset();
    m_view.ListRedraw();
    m_busy = false;
    m_view.SetBusy(false);
    if (m_viewMode == ViewMode::Messages) {
        StatusUpdate(kSetPane0 | kSetPane2 | kProgressFull | kProgressHide, TotalText(count), m_folderPath);
        if (count == 0 && jobId == m_database->JobId()) {
            m_boxes.Show(Text(res::IDS_NO_VALID_RECORD), MessageIcon::Stop);
        }
    } else {
        StatusUpdate(kProgressFull | kProgressHide);
    }
}

void CMainWindowController::HandleLoadFailed(const LoadNotification& n) {
    m_endedJob = m_database->JobId();
    m_total = 0;
    m_view.ListSetCount(0);
    m_view.ReportRecordsChanged(0);
    m_view.ListRedraw();
    m_busy = false;
    m_view.SetBusy(false);
    StopAndReset();
    if (m_viewMode == ViewMode::Messages) {
        StatusUpdate(kSetPane0 | kSetPane2 | kProgressFull | kProgressHide, TotalText(0), m_folderPath);
    } else {
        StatusUpdate(kProgressFull | kProgressHide);
    }
    // The worker cannot show a box itself: it handed its message over.
    if (!n.text.empty()) m_boxes.Show(n.text, n.icon == MessageIcon::None ? MessageIcon::Stop : n.icon);
}

// ---- the page of row texts

const std::string& CMainWindowController::CellText(int row, int column) const { return m_page.CellText(row, column); }

bool CMainWindowController::ReadRecord(std::int64_t serial, CRecord& record) {
    return serial >= 0 && serial < m_total && m_database->GetRecord(serial, record);
}

void CMainWindowController::FillPage(std::int64_t first, int rows) {
    try {
        // Once the load has ended, what it listed stays listed: a record whose bytes went (a followed day
        // file cut short, a file replaced) is marked in its row and named once in the notice bar.
        m_page.Fill(*m_database, m_total, first, rows, LoadEnded());
        const std::string& unreadable = m_page.Unreadable();
        if (!unreadable.empty() && m_unreadableSaid.insert(m_page.UnreadableDayFile()).second) {
            // A file cut short often stops the follow first: why it stopped stays in the bar.
            m_view.ShowNotice((m_followStopped.empty() ? "" : m_followStopped + "\n") + unreadable +
                              "\nThe list marks each record that cannot be read; the others stay. Filter ! reads "
                              "the folder again.");
        }
    } catch (const CVyxError& e) {
        // A day file went away or broke under the running load: end the load, empty the list, say why.
        const std::string text = e.what();
        HandleLoadFinished(0, 0);
        StopAndReset();
        m_total = 0;
        m_view.ListSetCount(0);
        m_boxes.Show(text, MessageIcon::Stop);
    }
}

// ---- detail dialogs

bool CMainWindowController::ReadRecordQuietly(std::int64_t serial, CRecord& record) {
    try {
        return ReadRecord(serial, record);
    } catch (const CVyxError&) {
        return false;  // the detail selection shows nothing for a record that cannot be read
    }
}

void CMainWindowController::OnRowDoubleClicked(std::int64_t serial) {
    if (serial < 0 || serial >= m_total) return;
    m_view.ReportSelectSerial(serial + 1);
    m_details.OnDoubleClicked(serial);
}

void CMainWindowController::OnRowKey(std::int64_t serial, int key) {
    m_keptSelection.reset();  // the user chose another row while the new order loads
    if (serial < 0 || serial >= m_total) return;
    m_details.OnKey(serial, key);
}

void CMainWindowController::OnRowClicked(std::int64_t serial) {
    m_keptSelection.reset();
    if (m_total > 0) m_details.OnSelected(serial);
}

void CMainWindowController::OnBlockTransferDialogClosed(bool byEscape) { m_details.OnBlockTransferClosed(byEscape); }

void CMainWindowController::OnModbusDialogClosed(bool byEscape) { m_details.OnModbusClosed(byEscape); }

}  // namespace vyx
