#pragma once
// The main window's logic, free of any toolkit: opening a folder in messages or FCU mode, the message filter
// and its checks, the load and its notifications, the page of row texts the record list shows, the status bar,
// and the detail dialogs that follow the selection. The window only delivers events and shows what it is told.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "controller/AppSettings.h"
#include "controller/DetailSelection.h"
#include "controller/FollowController.h"
#include "controller/RecordPage.h"
#include "controller/RowColourRules.h"
#include "controller/ListPagingListener.h"
#include "controller/MainWindowView.h"
#include "controller/MessageBoxes.h"
#include "decode/FCU.h"
#include "filter/FilterCriteria.h"
#include "filter/TextToFilterCriteriaConverter.h"
#include "logdata/DataFolder.h"
#include "logdata/RecordDatabase.h"

namespace vyx {

class CMainWindowController {
public:
    static constexpr int kColumns = kRecordColumnCount;
    static constexpr int kProgressRange = 200;

    // tempFolder: the private folder for index, run and log files. target receives the loading worker's
    // notifications on the worker's thread and must hand each one back to OnLoadNotification on the UI thread.
    CMainWindowController(IMainWindowView& view, IMessageBoxes& boxes, IMetaDataStorage& settings,
                          std::string tempFolder, ILoadNotificationTarget* target);
    ~CMainWindowController();
    CMainWindowController(const CMainWindowController&) = delete;
    CMainWindowController& operator=(const CMainWindowController&) = delete;

    void OnInit();

    // "&Select Folder": the folder dialog, then the folder is opened.
    void OnSelectFolder();
    // Opens a folder chosen elsewhere (the dialog, or the command line at start-up).
    void OpenFolder(const FolderChoice& choice);
    // "&Filter !" of the message filter bar.
    void OnMessageFilter();
    // A click on the Date-Time header asks for a new sort state; false refuses it (the list keeps its state).
    // The record selected (its serial, -1 for none) is selected again in the new order once it is loaded.
    bool OnSortRequest(LoadOrder newState, std::int64_t selected = -1);
    // "&Filter !" of the FCU filter bar.
    void OnFcuFilter();
    // A record found elsewhere (the loop's timeline), by its place: selected in the list as go to selects,
    // when the current load holds it. False when it does not (filtered out, another mode, still loading).
    bool SelectRecordAt(const RecordLocation& location);
    // Clears the filter bar and loads the whole folder in ascending time into the message list, then selects
    // the record at that place once it is loaded. False when no load could start.
    bool LoadAllInTimeOrder(const RecordLocation& location);
    // Whether the place lies in a day file of the folder open now: a window left open on another folder
    // points at records that no load of this one holds.
    bool InOpenFolder(const RecordLocation& location) const;
    // The window is closing: stop the load and delete the index files.
    void OnClose();
    // Recovery of damaged day files for the loads from now on (the next "Filter !").
    void SetRecovery(bool recover) { m_recover = recover; }
    bool Recovery() const { return m_recover; }
    // View > Follow: the loads from now on go on reading what the logger appends. Switched on with a folder
    // shown, the folder is loaded again (the watch must start before the load); switched off, the follow
    // stops and the list keeps what it has.
    void SetFollow(bool on);
    bool Following() const { return m_follow.Enabled(); }
    const CFollowController& Follow() const { return m_follow; }

    // False for a notification of a load that was stopped or replaced since it was posted: such a one is
    // dropped, or a stale count would make the list ask for records the new load has not published.
    bool IsCurrentJob(std::uint32_t jobId) const { return m_currentJob != 0 && jobId == m_currentJob; }
    void OnLoadNotification(const LoadNotification& notification);

    // Called before the store is stopped and reset (a new load, a failed one, closing, destruction): anything
    // else reading the store, such as a search, lets go of it there.
    void SetBeforeStoreReset(std::function<void()> hook) { m_beforeStoreReset = std::move(hook); }

    // Record list: the page of row texts. FillPage reads rows first .. first + rows - 1 (fewer at the end).
    void FillPage(std::int64_t first, int rows);
    std::int64_t PageFirst() const { return m_page.First(); }
    int PageRows() const { return m_page.Rows(); }
    // The text of a cached row (0-based within the page) and column; empty outside the cache.
    const std::string& CellText(int row, int column) const;
    // The tint of a cached row by the colour rules (see CRowColourRules::ColourOf); 0 for none.
    std::uint32_t RowTint(int row) const { return m_page.RowTint(row); }
    // The colour rules for the rows read from now on (the list redraws its page to show them).
    void SetColourRules(std::vector<ColourRule> rules);
    const std::vector<ColourRule>& ColourRules() const { return m_colours.Rules(); }
    // The decoding shown in the detail pane instead of the dialogs; serial: the row now current (-1: none).
    void SetDetailPane(bool on, std::int64_t serial = -1);

    // Detail selection. serial is the record's position in the store (Sr.No. - 1); -1 when nothing is selected.
    void OnRowDoubleClicked(std::int64_t serial);
    void OnRowKey(std::int64_t serial, int key);
    void OnRowClicked(std::int64_t serial);
    // "Close", the close box, or Escape (byEscape) in a detail dialog.
    void OnBlockTransferDialogClosed(bool byEscape);
    void OnModbusDialogClosed(bool byEscape);

    ViewMode Mode() const { return m_viewMode; }
    bool Busy() const { return m_busy; }
    // True once the end (or failure) of the load started last has been handled; also before any load.
    bool LoadEnded() const { return m_endedJob == m_database->JobId(); }
    bool DetailsActive() const { return m_details.Active(); }
    LoadOrder SortState() const { return m_sortState; }
    std::int64_t Total() const { return m_total; }
    int ProgressPosition() const { return m_progress; }
    const std::string& FolderPath() const { return m_folderPath; }
    std::uint32_t FirstDay() const { return m_firstDay; }
    std::uint32_t LastDay() const { return m_lastDay; }
    CRecordDatabase& Database() { return *m_database; }
    const FCUConfigurationList& FcuInfo() const { return m_fcuInfo; }
    // The filter bar as the load started last read it (its order and address: Database().Settings()).
    const FilterBarInputs& LoadedInputs() const { return m_loadedInputs; }

private:
    // The folder opened anew empties the list even when the filter bar is refused: the list shows another
    // folder. A filter or sort of the folder shown keeps the list on a refusal.
    bool RunMessageFilter(bool newFolder = false);
    bool ReadModbusAddress(const FilterBarInputs& inputs, std::uint8_t& address);
    bool ValidateFilterInputs(const FilterBarInputs& inputs, std::uint8_t& address, const DataFolderScan& scan);
    void StopAndReset();
    void StatusUpdate(int flags, const std::string& text1 = {}, const std::string& text2 = {});
    void HandleLoadFinished(std::int64_t count, std::uint32_t jobId);
    void HandleLoadFailed(const LoadNotification& notification);
    bool ReadRecord(std::int64_t serial, CRecord& record);
    bool ReadRecordQuietly(std::int64_t serial, CRecord& record);
    std::string TotalText(std::int64_t count) const;
    void SelectKeptRecord();
    void HandleFollow(const LoadNotification& notification);
    // The folder's days in the filter bar's "Date Range", and in its date fields unless a window is chosen.
    void ShowDayRange(bool windowChosen);

    IMainWindowView& m_view;
    IMessageBoxes& m_boxes;
    IMetaDataStorage& m_settings;
    ILoadNotificationTarget* m_target;
    std::function<void()> m_beforeStoreReset;

    ViewMode m_viewMode = ViewMode::None;
    bool m_busy = false;
    bool m_recover = false;
    // The load whose notifications count; 0 once it was stopped from here, so that what a stopped load
    // still posts (its late "finished") is never taken for a current one.
    std::uint32_t m_currentJob = 0;
    std::uint32_t m_endedJob = 0;
    std::uint32_t m_firstDay = 0;
    std::uint32_t m_lastDay = 0;
    std::string m_folderPath;
    std::set<std::string> m_unreadableSaid;  // day files named for records not read again, once per load
    std::string m_followStopped;  // why this load's follow stopped: kept above a later notice of unreadable records
    LoadOrder m_sortState = LoadOrder::Stored;
    // The record selected when the order changed, by its place: found again when the new order is loaded.
    std::optional<RecordLocation> m_keptSelection;
    int m_progress = 0;
    std::int64_t m_total = 0;
    FilterBarInputs m_loadedInputs;

    FCUConfigurationList m_fcuInfo;
    std::unique_ptr<CTextToFilterCriteriaConverter> m_filterConverter;
    // Declared before the store: the store's worker reads the filters until it has been stopped.
    FilterList m_filterList;
    std::unique_ptr<CRecordDatabase> m_database;
    CRowColourRules m_colours;  // before the page, whose tint reads it
    CRecordPage m_page;
    CDetailSelection m_details;
    CFollowController m_follow;
};

}  // namespace vyx
