#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <fmt/format.h>
#include <cstdint>

#include "app/AboutDialog.h"
#include "app/AnalysisWindow.h"
#include "app/Artwork.h"
#include "app/BannerWidget.h"
#include "app/BookmarksDock.h"
#include "app/DayFileBytesWorker.h"
#include "app/ColourRulesDialog.h"
#include "app/DetailPaneDock.h"
#include "app/SelectionCopyRunner.h"
#include "app/ColumnWidths.h"
#include "app/DetailDialogs.h"
#include "app/ExportDialog.h"
#include "app/FcuTableReport.h"
#include "app/FilterBars.h"
#include "app/FindAllPane.h"
#include "app/FindBar.h"
#include "app/FolderDialog.h"
#include "app/GoToDialogs.h"
#include "app/DesktopOpener.h"
#include "app/HelpOpener.h"
#include "app/HelpWindow.h"
#include "app/LoopWindow.h"
#include "decode/FormatRecord.h"
#include "logdata/DataFolder.h"
#include "app/QtMessageBoxes.h"
#include "app/NoticeBar.h"
#include "app/QtSettingsStorage.h"
#include "app/QueuedLoadTarget.h"
#include "app/QueuedSearchTarget.h"
#include "app/ReportDialogs.h"
#include "app/StatusPanes.h"
#include "app/StartPanel.h"
#include "controller/RecordCopyText.h"
#include "filter/FilterBar.h"
#include "controller/SelectionCopy.h"
#include "decode/RecordColumns.h"
#include "logdata/TimeValue.h"
#include "platform/FileError.h"
#include "report/ReportGenerator.h"
#include "res/StringTable.h"
#include "views/ListLargeDataCtrl.h"
#include "views/TimeHistogramView.h"
#include "analysis/TimeHistogram.h"

namespace vyx::gui {
namespace {

QString Load(int id) { return QString::fromStdString(std::string(res::LoadString(id))); }

QList<int> RecordListWidths() {
    QList<int> widths;
    for (const RecordColumnInfo& info : RecordColumns()) widths << info.listWidth;
    return widths;
}

const QList<int> kFcuColumnWidths = {75, 250, 150};

}  // namespace

MainWindow::MainWindow(const std::string& tempFolder, QWidget* parent)
    : QMainWindow(parent),
      m_boxes(std::make_unique<QtMessageBoxes>(this)),
      m_settings(std::make_unique<QtSettingsStorage>()) {
    m_activeBoxes = m_boxes.get();
    setObjectName("mainWindow");
    setWindowIcon(ApplicationIcon());
    m_loadTarget = std::make_unique<QueuedLoadTarget>(
        this, [this](std::uint32_t jobId) { return m_controller && m_controller->IsCurrentJob(jobId); },
        [this](const LoadNotification& n) { m_controller->OnLoadNotification(n); });
    m_searchTarget = std::make_unique<QueuedSearchTarget>(
        this, [this](const SearchNotification& n) { return m_find->IsCurrent(n); },
        [this](const SearchNotification& n) { ShowFindUpdate(m_find->OnNotification(n)); });
    m_find = std::make_unique<CFindController>(*m_searchTarget);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    m_banner = new BannerWidget(central);
    layout->addWidget(m_banner);
    setCentralWidget(central);

    BuildMenus();
    BuildFilterBars();
    BuildLists();
    BuildFindBar();
    BuildEditMenu();
    BuildStatusBar();
    BuildDocks();
    BuildViewMenu();

    auto* body = new QVBoxLayout;
    body->setContentsMargins(5, 0, 5, 5);
    body->addWidget(m_messageBar);
    body->addWidget(m_fcuBar);
    body->addWidget(m_findBar);
    m_notice = new NoticeBar(central);
    body->addWidget(m_notice);
    body->addWidget(m_overview);
    body->addWidget(m_recordList, 1);
    body->addWidget(m_fcuTable, 1);
    m_startPanel = new StartPanel(findChild<QAction*>("selectFolderAction"), m_recentFolders, central);
    body->addWidget(m_startPanel, 1);
    layout->addLayout(body, 1);

    m_blockTransferDialog =
        new BlockTransferDialog(this, [this](bool byEscape) { m_controller->OnBlockTransferDialogClosed(byEscape); });
    m_modbusDialog =
        new ModbusMultipleDialog(this, [this](bool byEscape) { m_controller->OnModbusDialogClosed(byEscape); });

    BuildController(tempFolder);

    m_layout = LoadRememberedLayout(CMainWindowController::kColumns);
    if (m_layout.geometry.isEmpty() || !restoreGeometry(m_layout.geometry)) resize(1200, 760);
    if (!m_layout.recordColumns.isEmpty()) m_recordList->SetColumnWidths(m_layout.recordColumns);
}

void MainWindow::BuildController(const std::string& tempFolder) {
    // The report dialog's generator reads the controller's store: it goes first and comes back after.
    delete m_reportDialog;
    m_reportDialog = nullptr;
    m_controller.reset();
    m_controller = std::make_unique<CMainWindowController>(static_cast<IMainWindowView&>(*this), *m_activeBoxes,
                                                           *m_settings, tempFolder, m_loadTarget.get());
    m_controller->Database().SetLiveListener(&m_liveRecords);
    m_reportDialog = new ReportCriteriaDlg(this, m_controller->Database(), *m_activeBoxes,
                                           [this] { return m_controller ? m_controller->FolderPath() : std::string(); });
    // A new load or a closing window resets the store: a search over it ends first.
    m_controller->SetBeforeStoreReset([this] {
        if (m_find) ShowFindUpdate(m_find->StopBeforeReset());
        if (m_copyRunner) m_copyRunner->Stop();  // it reads the store too
        if (m_findAllPane) m_findAllPane->StopBeforeReset();
    });
    m_controller->SetRecovery(m_recoverAction->isChecked());
    m_controller->SetFollow(m_followAction->isChecked());
    m_controller->OnInit();
    m_controller->SetColourRules(LoadColourRulesSetting());
    m_controller->SetDetailPane(m_detailPaneAction->isChecked());
}

MainWindow::~MainWindow() {
    // Stop the copy and report workers, then the loading worker, while everything they report to still exists.
    m_copyRunner->Stop();
    delete m_reportDialog;
    m_reportDialog = nullptr;
    delete m_exportDialog;  // its worker reads the store: stopped before the store goes
    // They listen to the follow's records: gone before the follow and its listener.
    delete m_loopWindow;
    m_loopWindow = nullptr;
    delete m_analysisWindow;
    m_analysisWindow = nullptr;
    m_controller.reset();
}

IMessageBoxes& MainWindow::MessageBoxes() { return *m_activeBoxes; }

void MainWindow::SetMessageBoxes(IMessageBoxes* boxes) {
    m_activeBoxes = boxes ? boxes : m_boxes.get();
    // The controller and the report dialog hold references: rebuild them over the new boxes (only done before
    // any folder is open).
    const std::string temp = m_controller->Database().TempFolder();  // a copy: the store goes away
    BuildController(temp);
}

// ---- building

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* select = file->addAction(QStringLiteral("&Select Folder"));
    select->setObjectName("selectFolderAction");
    select->setShortcut(QKeySequence::Open);
    connect(select, &QAction::triggered, this,
            [this] { OpenChosenFolder([this] { m_controller->OnSelectFolder(); }); });
    // Off by default: without it, damaged day files are read exactly by the frame rules, and said to be.
    m_recoverAction = file->addAction(QStringLiteral("&Recover Damaged Day Files"));
    m_recoverAction->setObjectName("recoverAction");
    m_recoverAction->setCheckable(true);
    m_recoverAction->setChecked(LoadRecoverySetting());
    connect(m_recoverAction, &QAction::toggled, this, [this](bool on) {
        SaveRecoverySetting(on);
        m_controller->SetRecovery(on);
    });
    file->addSeparator();
    m_exportAction = file->addAction(QStringLiteral("&Export..."));
    m_exportAction->setObjectName("exportAction");
    m_exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    m_exportAction->setEnabled(false);
    connect(m_exportAction, &QAction::triggered, this, [this] { ShowExportDialog(); });
    QAction* exitSeparator = file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("&Exit"));
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    m_recentFolders = new RecentFolders(file, exitSeparator, this);
    connect(m_recentFolders, &RecentFolders::openRequested, this, [this](const FolderChoice& choice) {
        // An entry whose folder is gone or has lost its FCU information file is of no use any more.
        if (OpenFolderChoice(choice) && m_controller->Mode() == ViewMode::None) {
            m_recentFolders->OfferRemoval(choice.folder, *m_activeBoxes);
        }
    });

    m_editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_editMenu->setObjectName("editMenu");

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName("viewMenu");
    m_viewMenu = view;
    m_loopAction = view->addAction(QStringLiteral("&Loop..."));
    m_loopAction->setObjectName("loopAction");
    m_loopAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    m_loopAction->setEnabled(false);
    connect(m_loopAction, &QAction::triggered, this, [this] { OpenLoopWindow(); });
    // Following the logger's folder as it writes; off by default, remembered.
    m_followAction = view->addAction(QStringLiteral("&Follow"));
    m_followAction->setObjectName("followAction");
    m_followAction->setCheckable(true);
    m_followAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m_followAction->setChecked(LoadFollowSetting());
    connect(m_followAction, &QAction::toggled, this, [this](bool on) {
        SaveFollowSetting(on);
        m_controller->SetFollow(on);
    });

    QMenu* report = menuBar()->addMenu(QStringLiteral("&Report"));
    m_messagesReport = report->addAction(QStringLiteral("&Messages"));
    m_messagesReport->setObjectName("messagesReportAction");
    m_fcuReport = report->addAction(QStringLiteral("&FCU"));
    m_fcuReport->setObjectName("fcuReportAction");
    m_messagesReport->setEnabled(false);
    m_fcuReport->setEnabled(false);
    connect(m_messagesReport, &QAction::triggered, this, [this] { ShowMessageReportDialog(); });
    connect(m_fcuReport, &QAction::triggered, this, [this] { RunFcuReport(); });
    report->addSeparator();
    QAction* analysis = report->addAction(QStringLiteral("Alarm &Analysis..."));
    analysis->setObjectName("alarmAnalysisAction");
    connect(analysis, &QAction::triggered, this, [this] { ShowAlarmAnalysis(); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* showHelp = help->addAction(QStringLiteral("Show Help !"));
    connect(showHelp, &QAction::triggered, this, [this] { OpenHelpDocument(*m_activeBoxes, this); });
    QAction* helpInside = help->addAction(QStringLiteral("Help in Vyx Viewer"));
    helpInside->setObjectName("helpInViewerAction");
    helpInside->setShortcut(QKeySequence::HelpContents);
    connect(helpInside, &QAction::triggered, this, [this] { ShowHelpWindow(this, *m_activeBoxes); });
    QAction* about = help->addAction(QStringLiteral("About"));
    connect(about, &QAction::triggered, this, [this] { AboutDialog(this).exec(); });
}

void MainWindow::BuildFilterBars() {
    m_messageBar = new MessageFilterBar(this);
    connect(m_messageBar->FilterButton(), &QPushButton::clicked, this, [this] { m_controller->OnMessageFilter(); });
    m_fcuBar = new FcuFilterBar(this);
    connect(m_fcuBar->FilterButton(), &QPushButton::clicked, this, [this] { m_controller->OnFcuFilter(); });
}

void MainWindow::BuildLists() {
    m_recordList = new CListLargeDataCtrl(this);
    m_recordList->setObjectName("recordList");
    QStringList labels;
    for (RecordColumn column : kAllRecordColumns) labels << QString::fromStdString(std::string(RecordColumnLabel(column)));
    m_recordList->SetColumns(labels, ScaledWidths(RecordListWidths(), this));
    m_recordList->SetTextProvider(this);
    m_recordList->SetListener(this);

    m_overview = new TimeHistogramView(this);
    m_overviewBytes = std::make_unique<DayFileBytesWorker>(this);
    m_overview->setObjectName("overviewBar");
    m_overview->setFixedHeight(44);
    m_overview->SetTimeLabels(true);
    m_overview->SetClickHint(QStringLiteral("Click: go to this time in the list"));
    connect(m_overview, &TimeHistogramView::timePicked, this, [this](std::uint32_t t) { GoToTimeAt(t); });

    m_fcuTable = new QTreeWidget(this);
    m_fcuTable->setObjectName("fcuTable");
    m_fcuTable->setRootIsDecorated(false);
    m_fcuTable->setUniformRowHeights(true);
    m_fcuTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_fcuTable->setAllColumnsShowFocus(true);
    m_fcuTable->setHeaderLabels({Load(res::IDS_FCU_NO), Load(res::IDS_FCU_TYPE), Load(res::IDS_FCU_CHANNEL)});
    m_fcuTable->headerItem()->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    m_fcuTable->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #d0d0d0; "
                                             "border-bottom: 1px solid #d0d0d0; }"));
}

void MainWindow::BuildStatusBar() {
    m_status = new StatusPanes(statusBar());
    connect(m_recordList, &CListLargeDataCtrl::selectionChanged, this, &MainWindow::UpdateSelectionStatus);
    m_liveMark = new QLabel(this);
    m_liveMark->setObjectName("liveMark");
    m_liveMark->setStyleSheet(QStringLiteral("QLabel { color: #0a7d24; font-weight: bold; padding: 0 6px; }"));
    m_liveMark->hide();
    statusBar()->addPermanentWidget(m_liveMark);
}

void MainWindow::BuildDocks() {
    m_copyRunner = new SelectionCopyRunner(this, [this]() -> IMessageBoxes& { return *m_activeBoxes; });
    m_bookmarksDock = new BookmarksDock(this, [this](const QString& text) {
        m_notice->Show(text);
        m_noticeOfFolder = false;
    });
    addDockWidget(Qt::RightDockWidgetArea, m_bookmarksDock);
    m_bookmarksDock->hide();
    connect(m_bookmarksDock, &BookmarksDock::recordRequested, this, [this](std::int64_t serial) {
        SelectRecord(serial);
        m_recordList->setFocus();
    });
    m_detailPane = new DetailPaneDock(this);
    // The View menu shows and hides it: no close box that would leave the option checked.
    m_detailPane->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    addDockWidget(Qt::BottomDockWidgetArea, m_detailPane);
    m_detailPane->hide();
}

void MainWindow::BuildViewMenu() {
    QMenu* view = m_viewMenu;
    view->addSeparator();
    m_detailPaneAction = view->addAction(QStringLiteral("Detail &Pane"));
    m_detailPaneAction->setObjectName("detailPaneAction");
    m_detailPaneAction->setCheckable(true);
    m_detailPaneAction->setChecked(
        QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer")).value(QStringLiteral("DetailPane"), false).toBool());
    connect(m_detailPaneAction, &QAction::toggled, this, [this](bool on) {
        QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer")).setValue(QStringLiteral("DetailPane"), on);
        m_detailPane->setVisible(on && m_controller->Mode() == ViewMode::Messages);
        m_controller->SetDetailPane(on, m_recordList->Paging().HasData() ? m_recordList->Paging().Current() : -1);
    });
    QAction* bookmarks = m_bookmarksDock->toggleViewAction();
    bookmarks->setText(QStringLiteral("&Bookmarks"));
    bookmarks->setObjectName("bookmarksAction");
    view->addAction(bookmarks);
    // The user's own choice stands over the dock's return with the list.
    connect(bookmarks, &QAction::triggered, this, [this] { m_bookmarksShownWithList = false; });
    QAction* colours = view->addAction(QStringLiteral("&Colour Rules..."));
    colours->setObjectName("colourRulesAction");
    connect(colours, &QAction::triggered, this, [this] { EditColourRules(); });
}

void MainWindow::UpdateSelectionStatus() {
    const CRowSelection& selection = m_recordList->Selection();
    // One row is the list's plain selection: the count says nothing then.
    m_status->SetSelectionText(selection.Count() > 1
                                   ? QString::fromStdString(SelectionStatusText(m_controller->Database(), selection))
                                   : QString());
}

void MainWindow::ToggleBookmark() {
    if (m_controller->Mode() != ViewMode::Messages || !m_recordList->Paging().HasData()) return;
    const std::int64_t current = m_recordList->Paging().Current();
    if (current < 0 || current >= m_controller->Total()) return;
    m_bookmarksDock->Toggle(m_controller->Database(), current);
    m_bookmarksDock->show();
}

void MainWindow::GoToBookmark(bool next) {
    if (m_controller->Mode() != ViewMode::Messages || m_controller->Total() <= 0) return;
    const std::int64_t from = m_recordList->Paging().HasData() ? m_recordList->Paging().Current() : -1;
    const auto serial = next ? m_bookmarksDock->Next(m_controller->Database(), from)
                             : m_bookmarksDock->Previous(m_controller->Database(), from);
    if (serial && *serial < m_controller->Total()) {
        SelectRecord(*serial);
    } else {
        statusBar()->showMessage(QStringLiteral("No bookmark in the records shown."), 4000);
    }
}

void MainWindow::EditColourRules() {
    ColourRulesDialog dialog(this, m_controller->ColourRules());
    if (dialog.exec() != QDialog::Accepted) return;
    SaveColourRulesSetting(dialog.Rules());
    m_controller->SetColourRules(dialog.Rules());
}

void MainWindow::SetFollowStatus(const std::string& text) {
    m_liveMark->setText(QString::fromStdString(text));
    m_liveMark->setVisible(!text.empty());
}

// ---- public

void MainWindow::OpenFolder(const QString& folder, bool messageMode) {
    OpenChosenFolder([&] {
        m_chosenFolder = FolderChoice{folder.toStdString(), messageMode};
        m_controller->OpenFolder(*m_chosenFolder);
    });
}

bool MainWindow::OpenFolderChoice(const FolderChoice& choice) {
    m_recentChoice = choice;
    OpenChosenFolder([this] { m_controller->OnSelectFolder(); });
    const bool tried = !m_recentChoice;  // the folder dialog's place was taken, so the folder was tried
    m_recentChoice.reset();
    return tried;
}

void MainWindow::OpenChosenFolder(const std::function<void()>& open) {
    m_chosenFolder.reset();
    open();
    // Only a folder that opened in a mode is worth offering again; one without its FCU information file is not.
    if (m_chosenFolder && m_controller->Mode() != ViewMode::None) {
        m_recentFolders->Add({m_controller->FolderPath(), m_chosenFolder->messageMode});
    }
    m_chosenFolder.reset();
    // An open Loop window follows the folder.
    if (m_loopWindow && m_loopWindow->isVisible() && m_controller->Mode() != ViewMode::None &&
        m_loopWindow->Folder() != m_controller->FolderPath()) {
        OpenLoopWindow();
    }
}

void MainWindow::RaiseAndRestore() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

QString MainWindow::StatusText(int pane) const { return m_status->Text(pane); }

void MainWindow::closeEvent(QCloseEvent* event) {
    SaveRememberedLayout({saveGeometry(), m_recordList->ColumnWidths()});
    // A report reads the store: end it before the store is emptied.
    m_reportDialog->Generator().Stop();
    m_reportDialog->hide();
    m_copyRunner->Stop();
    m_controller->OnClose();
    m_blockTransferDialog->hide();
    m_modbusDialog->hide();
    QMainWindow::closeEvent(event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Escape ends what is open, innermost first, and never the window itself (Exit and the close box do):
    // it reaches here from the list, e.g. right after a detail dialog opened without taking the focus.
    // Enter alone does nothing here.
    if (event->key() == Qt::Key_Escape) {
        if (m_find->Searching()) {
            CancelSearch();
        } else if (m_findBar->isVisible()) {
            m_findBar->CloseBar();
        } else if (QDialog* dialog = TopmostOpenDialog()) {
            dialog->reject();  // as the dialog's own Escape
        }
        return;
    }
    QMainWindow::keyPressEvent(event);
}

QDialog* MainWindow::TopmostOpenDialog() const {
    if (m_lastShownDialog && m_lastShownDialog->isVisible()) return m_lastShownDialog;
    for (QDialog* dialog : {static_cast<QDialog*>(m_reportDialog), static_cast<QDialog*>(m_blockTransferDialog),
                            static_cast<QDialog*>(m_modbusDialog)}) {
        if (dialog && dialog->isVisible()) return dialog;
    }
    return nullptr;
}

// ---- IMainWindowView

void MainWindow::SetTitle(const std::string& title) { setWindowTitle(QString::fromStdString(title)); }

void MainWindow::ApplyViewMode(ViewMode mode) {
    m_startPanel->setVisible(mode == ViewMode::None);
    m_messageBar->setVisible(mode == ViewMode::Messages);
    m_recordList->setVisible(mode == ViewMode::Messages);
    m_overview->setVisible(mode == ViewMode::Messages);
    m_loopAction->setEnabled(mode != ViewMode::None);
    if (mode == ViewMode::Messages && m_controller) ShowOverview(m_controller->FolderPath());
    m_fcuBar->setVisible(mode == ViewMode::FCU);
    m_fcuTable->setVisible(mode == ViewMode::FCU);
    if (mode != ViewMode::Messages) m_findBar->hide();
    m_detailPane->setVisible(mode == ViewMode::Messages && m_detailPaneAction->isChecked());
    // The bookmarks are of the message list: away while it is, and back with it when they were shown.
    if (mode != ViewMode::Messages && m_bookmarksDock->isVisible()) {
        m_bookmarksShownWithList = true;
        m_bookmarksDock->hide();
    }
    if (mode == ViewMode::Messages && m_controller) {
        m_bookmarksDock->OpenFolder(m_controller->FolderPath());
        if (std::exchange(m_bookmarksShownWithList, false)) m_bookmarksDock->show();
    }
    for (QAction* action : m_editMenu->actions()) action->setEnabled(mode == ViewMode::Messages);
    // The widths the user left at the last exit stand in for the standard ones.
    if (mode == ViewMode::Messages) {
        m_recordList->SetColumnWidths(m_layout.recordColumns.isEmpty() ? ScaledWidths(RecordListWidths(), this)
                                                                       : m_layout.recordColumns);
    }
    if (mode == ViewMode::FCU) {
        const QList<int> widths = ScaledWidths(kFcuColumnWidths, this);
        for (int c = 0; c < widths.size(); ++c) m_fcuTable->setColumnWidth(c, widths[c]);
    }
}

void MainWindow::SetReportMenus(bool messagesEnabled, bool fcuEnabled) {
    m_messagesReport->setEnabled(messagesEnabled);
    m_fcuReport->setEnabled(fcuEnabled);
    m_exportAction->setEnabled(messagesEnabled);
}

std::optional<FolderChoice> MainWindow::BrowseForFolder(const std::string& initialFolder) {
    m_chosenFolder = m_recentChoice ? m_recentChoice : BrowseForDataFolder(QString::fromStdString(initialFolder), this);
    m_recentChoice.reset();
    return m_chosenFolder;
}

FilterBarInputs MainWindow::ReadFilterBar() { return m_messageBar->Read(); }

void MainWindow::SelectFirstEntries() {
    m_messageBar->SelectFirstEntries();
    m_fcuBar->SelectFirstEntry();
}

void MainWindow::SetFcuEntries(const std::vector<std::string>& entries) { m_messageBar->SetFcuEntries(entries); }
void MainWindow::SetSelectDateTime(bool checked) { m_messageBar->SetSelectDateTime(checked); }
void MainWindow::SetDateTimes(const CivilDateTime& from, const CivilDateTime& to) { m_messageBar->SetDateTimes(from, to); }
void MainWindow::SetDateRangeText(const std::string& text) { m_messageBar->SetDateRangeText(text); }
int MainWindow::FcuChannelIndex() { return m_fcuBar->ChannelIndex(); }

void MainWindow::SetStatusText(int pane, const std::string& text) { m_status->SetText(pane, QString::fromStdString(text)); }
void MainWindow::SetProgress(bool visible, int) { m_status->SetLoading(visible); }

void MainWindow::SetBusy(bool busy) {
    m_recordList->SetBusy(busy);
    // A load ended: the bookmarks' rows in it are known now.
    if (!busy && m_controller) m_bookmarksDock->Refresh(m_controller->Database());
}

void MainWindow::FocusFilterField(FilterField field) { m_messageBar->Focus(field); }

void MainWindow::ShowNotice(const std::string& text) {
    m_notice->Show(QString::fromStdString(text));
    m_noticeOfFolder = true;
}
// A notice of the bookmarks file holds whatever folder is open.
void MainWindow::ClearNotice() {
    if (m_noticeOfFolder) m_notice->Clear();
}

void MainWindow::ListReset() { m_recordList->ResetList(); }

void MainWindow::ListSetCount(std::int64_t total) {
    m_recordList->SetTotal(total);
    m_status->SetRecordsLoaded(total);
}

void MainWindow::ListRedraw() { m_recordList->Redraw(); }

void MainWindow::ListSelectSerial(std::int64_t serial) { SelectRecord(serial); }

void MainWindow::SetFcuTable(const std::vector<std::array<std::string, 3>>& rows) {
    m_fcuTable->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<int>(rows.size()));
    for (const auto& row : rows) {
        auto* item = new QTreeWidgetItem(
            {QString::fromStdString(row[0]), QString::fromStdString(row[1]), QString::fromStdString(row[2])});
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        items.push_back(item);
    }
    m_fcuTable->addTopLevelItems(items);
}

void MainWindow::FillBlockTransferDialog(const DetailDialogContent& content) { m_blockTransferDialog->Fill(content); }
void MainWindow::ShowBlockTransferDialog() {
    m_blockTransferDialog->ShowInactive();
    m_lastShownDialog = m_blockTransferDialog;
}
void MainWindow::HideBlockTransferDialog() { m_blockTransferDialog->hide(); }
void MainWindow::FillModbusDialog(const DetailDialogContent& content) { m_modbusDialog->Fill(content); }
void MainWindow::ShowModbusDialog() {
    m_modbusDialog->ShowInactive();
    m_lastShownDialog = m_modbusDialog;
}
void MainWindow::HideModbusDialog() { m_modbusDialog->hide(); }
void MainWindow::FillDetailPane(const DetailPaneContent& content) { m_detailPane->Fill(content); }

bool MainWindow::IsReportRunning() { return m_reportDialog && m_reportDialog->IsRunning(); }
void MainWindow::HideReportDialog() {
    if (m_reportDialog) m_reportDialog->hide();
}
void MainWindow::ReportRecordsChanged(std::int64_t available) {
    if (m_reportDialog) m_reportDialog->SetRecordCount(available);
}
void MainWindow::ReportSelectSerial(std::int64_t srNo) {
    if (m_reportDialog) m_reportDialog->SelectSerial(srNo);
}

// ---- reports

void MainWindow::ShowMessageReportDialog() {
    const CRowSelection& selection = m_recordList->Selection();
    if (selection.Count() > 1) m_reportDialog->SetSelectionRange(selection.First() + 1, selection.Last() + 1);
    m_lastShownDialog = m_reportDialog;
    m_reportDialog->show();
    m_reportDialog->raise();
    m_reportDialog->activateWindow();
}

void MainWindow::ShowExportDialog() {
    if (m_exportDialog) {
        m_exportDialog->raise();
        m_exportDialog->activateWindow();
        return;
    }
    if (!m_controller->LoadEnded()) {
        m_activeBoxes->Show("The folder is still being read. Export when the list is complete.",
                            MessageIcon::Information);
        return;
    }
    ExportScope scope;
    scope.total = m_controller->Total();
    for (const SelectedRange& range : m_recordList->Selection().Ranges()) {
        if (range.first >= scope.total) break;
        scope.selection.push_back(SerialSpan{range.first, std::min(range.last, scope.total - 1) - range.first + 1});
    }
    static const char* const kOrders[] = {"stored", "asc", "desc"};
    ExportRequest request;
    request.dataFolder = m_controller->FolderPath();
    const LoadSettings& loaded = m_controller->Database().Settings();
    request.filters = std::string("order=") + kOrders[static_cast<int>(loaded.order)] + " " +
                      FilterBarWords(m_controller->LoadedInputs().selection, loaded.modbusBaseAddress);
    if (loaded.recover) request.filters += " recover";
    request.program = std::string("vyx-viewer ") + VYX_VERSION;
    m_exportDialog = new ExportDialog(this, m_controller->Database(), *m_activeBoxes, scope, std::move(request));
    m_exportDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_exportDialog->setWindowModality(Qt::ApplicationModal);
    m_exportDialog->show();
}

void MainWindow::RunFcuReport() {
    RunFcuTableReport(this, *m_fcuTable, *m_activeBoxes, m_controller->FolderPath(),
                      m_controller->Database().TempFolder());
}

// ---- IListPagingListener

void MainWindow::OnPageRowsChanged(int) {}

void MainWindow::OnSortRequest(SortRequest& request) {
    request.accept = m_controller->OnSortRequest(request.newState, SelectedSerial()) ? 1 : 0;
}

void MainWindow::OnHeaderNotSorting(int) {
    statusBar()->showMessage(QStringLiteral("Only the Date-Time column sorts: click its header to sort by time."),
                             5000);
}

void MainWindow::OnKeyDown(int keyCode) { m_controller->OnRowKey(SelectedSerial(), keyCode); }

void MainWindow::OnClick(std::int32_t serial) { m_controller->OnRowClicked(serial); }

void MainWindow::OnDoubleClick(std::int32_t serial) { m_controller->OnRowDoubleClicked(serial); }

std::int64_t MainWindow::SelectedSerial() const { return m_recordList->Paging().SelectedSerial(); }

// ---- IListPageTextProvider

int MainWindow::FillPage(std::int32_t first, int count) {
    m_controller->FillPage(first, count);
    return m_controller->PageRows();
}

std::string_view MainWindow::CellText(int row, int column) const { return m_controller->CellText(row, column); }

std::uint32_t MainWindow::RowTint(int row) const { return m_controller->RowTint(row); }

// ---- go to, find, copy

void MainWindow::BuildFindBar() {
    m_findBar = new FindBar(this);
    connect(m_findBar, &FindBar::findRequested, this, [this](SearchDirection direction) { Find(direction); });
    connect(m_findBar, &FindBar::cancelRequested, this, [this] { CancelSearch(); });
    connect(m_findBar, &FindBar::closed, this, [this] { m_recordList->setFocus(); });
    connect(m_findBar, &FindBar::findAllRequested, this, [this] { FindAll(); });
    m_findAllPane = new FindAllPane(
        [this](std::int64_t serial, CRecord& record) { return m_controller->Database().GetRecord(serial, record); },
        this);
    addDockWidget(Qt::BottomDockWidgetArea, m_findAllPane);
    m_findAllPane->hide();
    connect(m_findAllPane, &FindAllPane::recordChosen, this, [this](std::int64_t serial) {
        if (m_controller->Mode() == ViewMode::Messages && serial < m_controller->Total()) SelectRecord(serial);
    });
}

void MainWindow::BuildEditMenu() {
    auto add = [this](const QString& text, const char* name, const QKeySequence& key, auto slot) {
        QAction* action = m_editMenu->addAction(text);
        action->setObjectName(name);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    m_copyRowAction =
        add(QStringLiteral("&Copy Row"), "copyRowAction", QKeySequence::Copy, [this] { CopySelectedRow(); });
    m_copyContentAction = add(QStringLiteral("Copy &MessageContent"), "copyMessageContentAction", QKeySequence(),
                              [this] { CopySelectedMessageContent(); });
    m_editMenu->addSeparator();
    add(QStringLiteral("&Find..."), "findAction", QKeySequence::Find, [this] { OpenFindBar(); });
    add(QStringLiteral("Find &Next"), "findNextAction", QKeySequence(Qt::Key_F3),
        [this] { Find(SearchDirection::Forward); });
    add(QStringLiteral("Find &Previous"), "findPreviousAction", QKeySequence(Qt::SHIFT | Qt::Key_F3),
        [this] { Find(SearchDirection::Backward); });
    add(QStringLiteral("Find &All"), "findAllAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), [this] { FindAll(); });
    m_editMenu->addSeparator();
    add(QStringLiteral("&Go to Record..."), "goToRecordAction", QKeySequence(Qt::CTRL | Qt::Key_G),
        [this] { GoToRecord(); });
    add(QStringLiteral("Go to &Time..."), "goToTimeAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G),
        [this] { GoToTime(); });
    m_editMenu->addSeparator();
    add(QStringLiteral("Select &All"), "selectAllAction", QKeySequence::SelectAll, [this] { m_recordList->SelectAll(); });
    add(QStringLiteral("Toggle &Bookmark"), "toggleBookmarkAction", QKeySequence(Qt::CTRL | Qt::Key_F2),
        [this] { ToggleBookmark(); });
    add(QStringLiteral("Next Bookmar&k"), "nextBookmarkAction", QKeySequence(Qt::Key_F2), [this] { GoToBookmark(true); });
    add(QStringLiteral("Previous Bookmark"), "previousBookmarkAction", QKeySequence(Qt::SHIFT | Qt::Key_F2),
        [this] { GoToBookmark(false); });

    m_rowMenu = new QMenu(this);
    m_rowMenu->setObjectName("recordContextMenu");
    m_rowMenu->addAction(m_copyRowAction);
    m_rowMenu->addAction(m_copyContentAction);
    connect(m_recordList, &CListLargeDataCtrl::contextMenuRequested, this, &MainWindow::ShowRecordContextMenu);
}

void MainWindow::ShowRecordContextMenu(std::int32_t serial, const QPoint& globalPos) {
    if (m_controller->Mode() != ViewMode::Messages || serial < 0) return;
    m_rowMenu->popup(globalPos);
}

void MainWindow::CopySelectedRow() {
    if (m_controller->Mode() != ViewMode::Messages) return;
    if (const SerialNumber rows = m_recordList->Selection().Count(); rows > 1) {
        // Millions of lines would take gigabytes in the clipboard and in the program that pastes them.
        if (rows > CSelectionCopy::kMaxRows) {
            m_activeBoxes->Show(fmt::format("{} rows are selected; Copy Row copies at most {}.\nReport > Messages "
                                            "writes the rows of any range to a file.",
                                            rows, CSelectionCopy::kMaxRows),
                                MessageIcon::Exclamation);
            return;
        }
        m_copyRunner->Copy(m_controller->Database(), m_recordList->Selection());
        return;
    }
    if (const auto text = RowCopyText(m_controller->Database(), SelectedSerial())) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(*text));
    }
}

void MainWindow::CopySelectedMessageContent() {
    if (m_controller->Mode() != ViewMode::Messages) return;
    if (const auto text = MessageContentCopyText(m_controller->Database(), SelectedSerial())) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(*text));
    }
}

void MainWindow::SelectRecord(std::int64_t serial) {
    if (!m_recordList->SelectSerial(serial)) return;
    // As a click on the row: the detail dialogs follow, when they are in use.
    m_controller->OnRowClicked(serial);
}

void MainWindow::ShowAlarmAnalysis() {
    const std::string folder = m_controller->FolderPath();
    if (folder.empty()) {
        m_activeBoxes->Show("Select a folder first: the analysis takes the loop's events of a data folder.",
                            MessageIcon::Information);
        return;
    }
    if (m_analysisWindow) {
        m_analysisWindow->close();
        delete m_analysisWindow;
    }
    // The Modbus base address of the filter bar, as the list decodes with it; the default when it is not valid.
    std::uint8_t address = kDefaultModbusBaseAddress;
    if (!CheckModbusAddressText(ReadFilterBar().modbusAddressText, address).empty()) address = kDefaultModbusBaseAddress;
    AnalysisSource source{folder, address, m_controller->Recovery(), m_controller->Database().TempFolder(),
                          &m_liveRecords};
    // A row's record, by its place, in the current load; the list may be filtered or in another order.
    m_analysisWindow = new AnalysisWindow(std::move(source), [this](const std::string& dayFile, std::uint32_t offset,
                                                                    std::int64_t folderSerial) {
        std::optional<SerialNumber> serial;
        try {
            serial = m_controller->Database().SerialAt({dayFile, offset});
        } catch (const CVyxError&) {
        }
        if (serial && *serial < m_controller->Total()) {
            SelectRecord(*serial);
            activateWindow();
            m_recordList->setFocus();
            return;
        }
        m_activeBoxes->Show("The current load does not hold this record (Sr.No. " + std::to_string(folderSerial + 1) +
                                " of the whole folder in time order). Clear the filters and press \"Filter !\" to "
                                "load every record, then double-click the row again.",
                            MessageIcon::Information);
    }, this);
    m_analysisWindow->show();
    m_analysisWindow->Start();
}

void MainWindow::GoToRecord() {
    const std::int64_t total = m_controller->Total();
    if (m_controller->Mode() != ViewMode::Messages || total <= 0) return;
    const std::int64_t selected = SelectedSerial();
    GoToRecordDialog dialog(this, [this] { return m_controller->Total(); }, selected >= 0 ? selected + 1 : 1);
    if (dialog.exec() != QDialog::Accepted) return;
    // A find still running would move the selection away again.
    if (m_find->Searching()) CancelSearch();
    SelectRecord(dialog.SrNo() - 1);
    m_recordList->setFocus();
}

void MainWindow::GoToTime() {
    const std::int64_t total = m_controller->Total();
    if (m_controller->Mode() != ViewMode::Messages || total <= 0) return;
    // Offer the time of the selected record (or the first one).
    CRecord record;
    const std::int64_t selected = SelectedSerial();
    CivilDateTime initial = BreakDown(0);
    try {
        if (m_controller->Database().GetRecord(selected >= 0 ? selected : 0, record))
            initial = BreakDown(record.m_nTime);
    } catch (const CVyxError&) {
    }
    GoToTimeDialog dialog(this, initial);
    if (dialog.exec() != QDialog::Accepted) return;
    // The load may have ended, failed or been replaced while the dialog was open.
    if (m_controller->Mode() != ViewMode::Messages || m_controller->Total() <= 0) return;
    m_findBar->show();
    ShowFindUpdate(m_find->GoToTime(m_controller->Database(), m_controller->Total(),
                                    SecondsFromCivil(dialog.DateTime()), dialog.DateTimeText().toStdString()));
    m_recordList->setFocus();
}

void MainWindow::GoToTimeAt(std::int64_t seconds) {
    if (m_controller->Mode() != ViewMode::Messages || m_controller->Total() <= 0) return;
    if (m_find->Searching()) CancelSearch();
    m_findBar->show();
    const std::string text = FormatTimeValue(static_cast<std::uint32_t>(seconds));
    ShowFindUpdate(m_find->GoToTime(m_controller->Database(), m_controller->Total(), seconds, text));
    m_recordList->setFocus();
}

// ---- the loop window and the overview bar

void MainWindow::ShowOverview(const std::string& folder) {
    if (folder == m_overviewFolder) return;
    m_overviewFolder = folder;
    // Until the loop's events say more, the day files' sizes give the shape of the folder; sized on a worker.
    m_overview->SetHistogram({}, {QColor(120, 140, 170)}, {QStringLiteral("bytes")});
    m_overviewBytes->Start(folder, [this](const TimeHistogram& bytes) {
        m_overview->SetHistogram(bytes, {QColor(120, 140, 170)}, {QStringLiteral("bytes")});
    });
}

void MainWindow::OpenLoopWindow() {
    if (m_controller->Mode() == ViewMode::None) return;
    LoopWindowHost host;
    host.folder = m_controller->FolderPath();
    host.modbusBaseAddress = m_controller->Database().Settings().modbusBaseAddress;
    host.recover = m_controller->Recovery();
    host.tempFolder = m_controller->Database().TempFolder();
    host.liveRecords = &m_liveRecords;
    host.showRecord = [this](const RecordLocation& location) { ShowRecordAt(location); };
    host.histogramReady = [this](const std::string& folder, const TimeHistogram& histogram) {
        if (folder != m_controller->FolderPath()) return;
        m_overviewFolder = folder;
        m_overviewBytes->Drop();  // the records' figures say more than the bytes still being sized
        m_overview->SetHistogram(histogram, RecordKindColours(), RecordKindNames());
    };
    if (!m_loopWindow) {
        m_loopWindow = new LoopWindow(this, std::move(host));
    } else if (m_loopWindow->Folder() != host.folder || (!m_loopWindow->Ready() && !m_loopWindow->Computing())) {
        m_loopWindow->Start(std::move(host));
    }
    m_loopWindow->show();
    m_loopWindow->raise();
    m_loopWindow->activateWindow();
}

void MainWindow::ShowRecordAt(const RecordLocation& location) {
    if (m_controller->SelectRecordAt(location)) {
        RaiseAndRestore();
        m_recordList->setFocus();
        return;
    }
    if (!m_controller->InOpenFolder(location)) {
        m_activeBoxes->Show("The record is in " + location.dayFile + ", which is not in the folder open now (" +
                                m_controller->FolderPath() + ").\nOpen that folder to see it in the list.",
                            MessageIcon::Information);
        return;
    }
    if (m_controller->Mode() == ViewMode::Messages && !m_controller->LoadEnded()) {
        statusBar()->showMessage(QStringLiteral("The list is still loading: try again once it has loaded."), 5000);
        return;
    }
    const std::string question =
        m_controller->Mode() == ViewMode::Messages
            ? "The record is not in the list: the filters leave it out.\nClear the filters and load the whole folder in "
              "time order, then select it?"
            : "The record list is not shown (FCU mode).\nLoad the whole folder in time order into the record list, "
              "then select it?";
    if (m_activeBoxes->Ask(question, MessageIcon::Information) != MessageAnswer::Yes) return;
    if (m_controller->LoadAllInTimeOrder(location)) m_recordList->SetSortState(LoadOrder::Ascending);
    RaiseAndRestore();
}

void MainWindow::OpenFindBar() {
    if (m_controller->Mode() != ViewMode::Messages) return;
    m_findBar->OpenAndFocus();
}

void MainWindow::Find(SearchDirection direction) {
    if (m_controller->Mode() != ViewMode::Messages) return;
    if (m_findBar->Text().isEmpty()) {
        m_findBar->OpenAndFocus();
        return;
    }
    m_findBar->show();
    ShowFindUpdate(m_find->Find(m_controller->Database(), m_controller->Total(), SelectedSerial(), FindBarQuery(),
                                direction, FindBarDecoders()));
}

FindQuery MainWindow::FindBarQuery() const {
    return FindQuery{m_findBar->Text().toStdString(), m_findBar->GetMode() == FindBar::Mode::HexBytes,
                     m_findBar->MatchCase()};
}

std::shared_ptr<const DetailDecoders> MainWindow::FindBarDecoders() const {
    if (!m_findBar->Decoded()) return nullptr;
    return MakeDetailDecoders(m_controller->FcuInfo(), m_controller->Database().Settings().modbusBaseAddress);
}

void MainWindow::FindAll() {
    if (m_controller->Mode() != ViewMode::Messages) return;
    if (m_findBar->Text().isEmpty()) {
        m_findBar->OpenAndFocus();
        return;
    }
    m_findBar->show();
    FindQueryMatcher planned = MatcherForQuery(FindBarQuery(), FindBarDecoders());
    if (!planned.refusal.empty()) {
        m_findBar->SetFinished(QString::fromStdString(planned.refusal));
        return;
    }
    // The outcome of the last find is not this one's; the pane tells what this finds.
    if (!m_findBar->IsSearching()) m_findBar->SetFinished(QString());
    m_findAllPane->Start(m_controller->Database(), std::move(planned.matcher), m_controller->Total(), planned.what);
}

void MainWindow::ShowFindUpdate(const FindBarUpdate& update) {
    const QString text = QString::fromStdString(update.text);
    switch (update.state) {
        case FindBarUpdate::State::Unchanged: return;
        case FindBarUpdate::State::Searching: m_findBar->SetSearching(text); return;
        case FindBarUpdate::State::Progress: m_findBar->SetProgress(update.examined, update.total); return;
        case FindBarUpdate::State::Finished:
            m_findBar->SetFinished(text);
            if (update.select >= 0) SelectRecord(update.select);
            return;
    }
}

void MainWindow::CancelSearch() { ShowFindUpdate(m_find->Cancel()); }

}  // namespace vyx::gui
