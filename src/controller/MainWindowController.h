#pragma once
// The main window's logic, free of any toolkit: opening a folder in messages or FCU mode, the message filter
// and its checks, the load and its notifications, the page of row texts the record list shows, the status bar,
// and the detail dialogs that follow the selection. The window only delivers events and shows what it is told.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controller/AppSettings.h"
#include "controller/ListPagingListener.h"
#include "controller/MainWindowView.h"
#include "controller/MessageBoxes.h"
#include "decode/FCU.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "decode/RecordToParameterXferConverter.h"
#include "filter/FilterCriteria.h"
#include "filter/TextToFilterCriteriaConverter.h"
#include "logdata/DataFolder.h"
#include "logdata/RecordDatabase.h"

namespace vyx {

class CMainWindowController {
public:
    static constexpr int kColumns = 7;
    static constexpr int kProgressRange = 200;
    static constexpr std::size_t kMaxMessageContentShown = 1023;

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
    bool OnSortRequest(int newState);
    // "&Filter !" of the FCU filter bar.
    void OnFcuFilter();
    // The window is closing: stop the load and delete the index files.
    void OnClose();
    // Recovery of damaged day files for the loads from now on (the next "Filter !").
    void SetRecovery(bool recover) { m_recover = recover; }
    bool Recovery() const { return m_recover; }

    void OnLoadNotification(const LoadNotification& notification);

    // Called before the store is stopped and reset (a new load, a failed one, closing, destruction): anything
    // else reading the store, such as a search, lets go of it there.
    void SetBeforeStoreReset(std::function<void()> hook) { m_beforeStoreReset = std::move(hook); }

    // Record list: the page of row texts. FillPage reads rows first .. first + rows - 1 (fewer at the end).
    void FillPage(std::int64_t first, int rows);
    std::int64_t PageFirst() const { return m_pageFirst; }
    int PageRows() const { return static_cast<int>(m_rowText.size()); }
    // The text of a cached row (0-based within the page) and column; empty outside the cache.
    const std::string& CellText(int row, int column) const;
    // The texts of any record, read now (for copying and finding); false when it cannot be read.
    bool RecordTexts(std::int64_t serial, std::array<std::string, kColumns>& texts);

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
    bool DetailsActive() const { return m_detailsActive; }
    int SortState() const { return m_sortState; }
    std::int64_t Total() const { return m_total; }
    int ProgressPosition() const { return m_progress; }
    const std::string& FolderPath() const { return m_folderPath; }
    std::uint32_t FirstDay() const { return m_firstDay; }
    std::uint32_t LastDay() const { return m_lastDay; }
    CRecordDatabase& Database() { return *m_database; }
    const FCUConfigurationList& FcuInfo() const { return m_fcuInfo; }

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
    void HideDetailDialogs();
    void UpdateDetailDialogs(std::int64_t serial);
    bool ReadRecord(std::int64_t serial, CRecord& record);
    bool ReadRecordQuietly(std::int64_t serial, CRecord& record);
    bool HasDetailDecoding(std::int64_t serial);
    void ClearPage();
    std::string TotalText(std::int64_t count) const;

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
    int m_sortState = 0;
    int m_progress = 0;
    std::int64_t m_total = 0;
    bool m_detailsActive = false;
    int m_blockTransferShown = 0;  // record number the dialog shows; 0 = none
    int m_modbusShown = 0;

    FCUConfigurationList m_fcuInfo;
    std::unique_ptr<CTextToFilterCriteriaConverter> m_filterConverter;
    std::unique_ptr<CRecordToParameterXferConverter> m_pbtConverter;
    std::unique_ptr<CRecordToModbusMultipleConverter> m_modbusConverter;
    // Declared before the store: the store's worker reads the filters until it has been stopped.
    FilterList m_filterList;
    std::unique_ptr<CRecordDatabase> m_database;

    std::int64_t m_pageFirst = 0;
    std::vector<std::array<std::string, kColumns>> m_rowText;
};

}  // namespace vyx
