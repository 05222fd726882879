#pragma once
// The viewer's main window: the toolkit side of CMainWindowController. It builds the controls, delivers
// events to the controller and shows what the controller tells it.

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

#include "logdata/LiveRecordFanOut.h"
#include "app/ExportDialog.h"
#include "app/RecentFolders.h"
#include "controller/ListPagingListener.h"
#include "controller/ListPagingTextProvider.h"
#include "controller/FindController.h"
#include "controller/MainWindowController.h"
#include "controller/RecordSearch.h"
#include "logdata/RecordLookup.h"

class QAction;
class QDialog;
class QLabel;
class QMenu;
class QTreeWidget;

namespace vyx {
class CListLargeDataCtrl;
class TimeHistogramView;
}  // namespace vyx

namespace vyx::gui {

class BannerWidget;
class FcuFilterBar;
class FindAllPane;
class FindBar;
class MessageFilterBar;
class NoticeBar;
class QueuedSearchTarget;
class QtMessageBoxes;
class QtSettingsStorage;
class StatusPanes;
class QueuedLoadTarget;
class StartPanel;
class BlockTransferDialog;
class BookmarksDock;
class DayFileBytesWorker;
class DetailPaneDock;
class SelectionCopyRunner;
class ModbusMultipleDialog;
class ReportCriteriaDlg;
class LoopWindow;

class MainWindow : public QMainWindow,
                   private IMainWindowView,
                   private IListPagingListener,
                   private IListPageTextProvider {
    Q_OBJECT
public:
    // tempFolder: the private folder for index, run and log files.
    explicit MainWindow(const std::string& tempFolder, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens a folder as if chosen in the folder dialog (the command line at start-up).
    void OpenFolder(const QString& folder, bool messageMode);
    // Opens a folder through the checks of "&Select Folder" (a running report refuses it), the choice
    // answering the folder dialog: a recent entry, or a folder a second start handed over. Returns whether
    // the folder was tried.
    bool OpenFolderChoice(const FolderChoice& choice);
    CMainWindowController& Controller() { return *m_controller; }
    // Brings the window to the front, restoring it when minimised (a second start asked for it).
    void RaiseAndRestore();

    // For tests and screenshots.
    CListLargeDataCtrl* RecordList() const { return m_recordList; }
    QTreeWidget* FcuTable() const { return m_fcuTable; }
    QString StatusText(int pane) const;
    IMessageBoxes& MessageBoxes();
    void SetMessageBoxes(IMessageBoxes* boxes);  // null restores the real boxes
    ReportCriteriaDlg* ReportDialog() const { return m_reportDialog; }
    // "Messages" and "FCU" of the "Report" menu.
    void ShowMessageReportDialog();
    void RunFcuReport();
    // File > Export...: the list, or its selected rows, in the documented export forms.
    void ShowExportDialog();
    ExportDialog* GetExportDialog() const { return m_exportDialog; }
    // Report > "Alarm Analysis...": the Analysis window for the open folder.
    void ShowAlarmAnalysis();
    class AnalysisWindow* AlarmAnalysisWindow() const { return m_analysisWindow; }
    FindBar* GetFindBar() const { return m_findBar; }
    NoticeBar* Notice() const { return m_notice; }
    RecentFolders* GetRecentFolders() const { return m_recentFolders; }
    StartPanel* GetStartPanel() const { return m_startPanel; }
    CRecordSearch& Search() { return m_find->Search(); }

    // The "&Edit" menu: go to, find and copy over the record list.
    void GoToRecord();
    void GoToTime();
    void OpenFindBar();
    void Find(SearchDirection direction);
    // Every match of the find bar's query, listed in the find-all pane.
    void FindAll();
    FindQuery FindBarQuery() const;
    std::shared_ptr<const DetailDecoders> FindBarDecoders() const;
    FindAllPane* GetFindAllPane() const { return m_findAllPane; }
    void CopySelectedRow();
    void CopySelectedMessageContent();
    // Bookmarks (Ctrl+F2, F2, Shift+F2) and the View menu's colour rules.
    void ToggleBookmark();
    void GoToBookmark(bool next);
    void EditColourRules();
    BookmarksDock* Bookmarks() const { return m_bookmarksDock; }
    DetailPaneDock* DetailPane() const { return m_detailPane; }
    QAction* DetailPaneAction() const { return m_detailPaneAction; }
    SelectionCopyRunner* CopyRunner() const { return m_copyRunner; }

    // "&View": the Loop window over the open folder (its events computed on first opening), and the
    // overview bar of the folder's records over time above the list; a click on it goes to that time.
    void OpenLoopWindow();
    LoopWindow* GetLoopWindow() const { return m_loopWindow; }
    TimeHistogramView* Overview() const { return m_overview; }
    // Selects a record of the folder by its place: in the list when the load holds it, otherwise after
    // asking to clear the filters and load the folder in time order.
    void ShowRecordAt(const RecordLocation& location);
    // Go to Time without its dialog.
    void GoToTimeAt(std::int64_t seconds);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // IMainWindowView
    void SetTitle(const std::string& title) override;
    void ApplyViewMode(ViewMode mode) override;
    void SetReportMenus(bool messagesEnabled, bool fcuEnabled) override;
    std::optional<FolderChoice> BrowseForFolder(const std::string& initialFolder) override;
    FilterBarInputs ReadFilterBar() override;
    void SelectFirstEntries() override;
    void SetFcuEntries(const std::vector<std::string>& entries) override;
    void SetSelectDateTime(bool checked) override;
    void SetDateTimes(const CivilDateTime& from, const CivilDateTime& to) override;
    void SetDateRangeText(const std::string& text) override;
    int FcuChannelIndex() override;
    void SetStatusText(int pane, const std::string& text) override;
    void SetProgress(bool visible, int position) override;
    void SetBusy(bool busy) override;
    void ShowNotice(const std::string& text) override;
    void ClearNotice() override;
    void FocusFilterField(FilterField field) override;
    // The detail or report dialog Escape in the main window closes: the one shown last, while it is open.
    QDialog* TopmostOpenDialog() const;
    void ListReset() override;
    void ListSetCount(std::int64_t total) override;
    void ListRedraw() override;
    void ListSelectSerial(std::int64_t serial) override;
    std::int64_t ListSelectedSerial() override { return SelectedSerial(); }
    void SetFollowStatus(const std::string& text) override;
    void SetFcuTable(const std::vector<std::array<std::string, 3>>& rows) override;
    void FillBlockTransferDialog(const DetailDialogContent& content) override;
    void ShowBlockTransferDialog() override;
    void HideBlockTransferDialog() override;
    void FillModbusDialog(const DetailDialogContent& content) override;
    void ShowModbusDialog() override;
    void HideModbusDialog() override;
    void FillDetailPane(const DetailPaneContent& content) override;
    bool IsReportRunning() override;
    void HideReportDialog() override;
    void ReportRecordsChanged(std::int64_t available) override;
    void ReportSelectSerial(std::int64_t srNo) override;

    // IListPagingListener
    void OnPageRowsChanged(int rowsPerPage) override;
    void OnSortRequest(SortRequest& request) override;
    void OnHeaderNotSorting(int column) override;
    void OnKeyDown(int keyCode) override;
    void OnClick(std::int32_t serial) override;
    void OnDoubleClick(std::int32_t serial) override;

    // IListPageTextProvider
    int FillPage(std::int32_t first, int count) override;
    std::string_view CellText(int row, int column) const override;
    std::uint32_t RowTint(int row) const override;

    void BuildController(const std::string& tempFolder);
    void BuildMenus();
    void BuildEditMenu();
    void BuildFindBar();
    void BuildFilterBars();
    void BuildLists();
    void BuildStatusBar();
    void BuildDocks();
    void BuildViewMenu();
    void UpdateSelectionStatus();
    std::int64_t SelectedSerial() const;

    // Folders opened through the dialog, a recent entry or the command line join the recent folders.
    void OpenChosenFolder(const std::function<void()>& open);
    void ShowFindUpdate(const FindBarUpdate& update);
    void CancelSearch();
    void SelectRecord(std::int64_t serial);
    void ShowRecordContextMenu(std::int32_t serial, const QPoint& globalPos);

    std::unique_ptr<QtMessageBoxes> m_boxes;
    IMessageBoxes* m_activeBoxes = nullptr;
    std::unique_ptr<QtSettingsStorage> m_settings;
    std::unique_ptr<QueuedLoadTarget> m_loadTarget;
    std::unique_ptr<QueuedSearchTarget> m_searchTarget;
    // Outlives the controller: the controller's destructor stops the search through its reset hook.
    std::unique_ptr<CFindController> m_find;
    // The folder the folder dialog returned last; a recent entry answers the dialog in its place.
    std::optional<FolderChoice> m_chosenFolder;
    std::optional<FolderChoice> m_recentChoice;
    RememberedLayout m_layout;

    BannerWidget* m_banner = nullptr;
    MessageFilterBar* m_messageBar = nullptr;
    FcuFilterBar* m_fcuBar = nullptr;
    CListLargeDataCtrl* m_recordList = nullptr;
    QTreeWidget* m_fcuTable = nullptr;
    StatusPanes* m_status = nullptr;
    QAction* m_recoverAction = nullptr;
    QAction* m_followAction = nullptr;
    QLabel* m_liveMark = nullptr;
    NoticeBar* m_notice = nullptr;
    bool m_noticeOfFolder = false;  // the notice shown is the controller's, of the folder or its load
    QPointer<QDialog> m_lastShownDialog;  // the detail or report dialog shown last
    QAction* m_messagesReport = nullptr;
    QAction* m_fcuReport = nullptr;
    QAction* m_exportAction = nullptr;
    QPointer<ExportDialog> m_exportDialog;  // while open: modal, so nothing reloads what it reads
    QMenu* m_editMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QAction* m_copyRowAction = nullptr;
    QAction* m_copyContentAction = nullptr;
    QMenu* m_rowMenu = nullptr;
    FindBar* m_findBar = nullptr;
    FindAllPane* m_findAllPane = nullptr;
    RecentFolders* m_recentFolders = nullptr;
    StartPanel* m_startPanel = nullptr;
    BlockTransferDialog* m_blockTransferDialog = nullptr;
    ModbusMultipleDialog* m_modbusDialog = nullptr;
    ReportCriteriaDlg* m_reportDialog = nullptr;
    class AnalysisWindow* m_analysisWindow = nullptr;
    QAction* m_loopAction = nullptr;
    LoopWindow* m_loopWindow = nullptr;
    TimeHistogramView* m_overview = nullptr;
    std::string m_overviewFolder;  // the folder the overview bar shows
    std::unique_ptr<DayFileBytesWorker> m_overviewBytes;
    void ShowOverview(const std::string& folder);
    BookmarksDock* m_bookmarksDock = nullptr;
    bool m_bookmarksShownWithList = false;  // hidden by a mode without the message list
    DetailPaneDock* m_detailPane = nullptr;
    QAction* m_detailPaneAction = nullptr;
    SelectionCopyRunner* m_copyRunner = nullptr;

    // Last member: its destructor stops the loading worker before anything it reports to goes away.
    // The follow's records for the loop and analysis windows; the store of every controller reports to it.
    CLiveRecordFanOut m_liveRecords;
    std::unique_ptr<CMainWindowController> m_controller;
};

}  // namespace vyx::gui
