#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>

#include "app/AboutDialog.h"
#include "app/Artwork.h"
#include "app/BannerWidget.h"
#include "app/ColumnWidths.h"
#include "app/DetailDialogs.h"
#include "app/FindBar.h"
#include "app/FolderDialog.h"
#include "app/GoToDialogs.h"
#include "app/DesktopOpener.h"
#include "app/HelpOpener.h"
#include "app/HelpWindow.h"
#include "app/QtMessageBoxes.h"
#include "app/NoticeBar.h"
#include "app/QtSettingsStorage.h"
#include "app/QueuedLoadTarget.h"
#include "app/QueuedSearchTarget.h"
#include "app/ReportDialogs.h"
#include "controller/RecordCopyText.h"
#include "controller/SearchOutcomeText.h"
#include "decode/FormatRecord.h"
#include "filter/CommandList.h"
#include "logdata/TimeValue.h"
#include "platform/FileError.h"
#include "report/FCULogReport.h"
#include "report/ReportGenerator.h"
#include "res/StringTable.h"
#include "views/ListLargeDataCtrl.h"
#include "views/NumericComboBox.h"

namespace vyx::gui {
namespace {

QString Load(int id) { return QString::fromStdString(std::string(res::LoadString(id))); }

QDate ToQDate(const CivilDateTime& t) { return QDate(t.year, t.month, t.day); }
QTime ToQTime(const CivilDateTime& t) { return QTime(t.hour, t.minute, t.second); }

CivilDateTime FromQt(const QDate& date, const QTime& time) {
    CivilDateTime t;
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    t.hour = time.hour();
    t.minute = time.minute();
    t.second = time.second();
    return t;
}

const QList<int> kRecordColumnWidths = {50, 150, 350, 150, 120, 50, 75};
const QList<int> kFcuColumnWidths = {75, 250, 150};


}  // namespace

MainWindow::MainWindow(const std::string& tempFolder, QWidget* parent)
    : QMainWindow(parent),
      m_boxes(std::make_unique<QtMessageBoxes>(this)),
      m_settings(std::make_unique<QtSettingsStorage>()) {
    m_activeBoxes = m_boxes.get();
    setObjectName("mainWindow");
    setWindowIcon(ApplicationIcon());
    m_loadTarget = std::make_unique<QueuedLoadTarget>(this, [this](const LoadNotification& n) {
        if (m_controller) m_controller->OnLoadNotification(n);
    });
    m_searchTarget =
        std::make_unique<QueuedSearchTarget>(this, [this](const SearchNotification& n) { OnSearchNotification(n); });
    m_search = std::make_unique<CRecordSearch>(*m_searchTarget);

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

    auto* body = new QVBoxLayout;
    body->setContentsMargins(5, 0, 5, 5);
    body->addWidget(m_messageBar);
    body->addWidget(m_fcuBar);
    body->addWidget(m_findBar);
    m_notice = new NoticeBar(central);
    body->addWidget(m_notice);
    body->addWidget(m_recordList, 1);
    body->addWidget(m_fcuTable, 1);
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
    m_reportDialog = new ReportCriteriaDlg(this, m_controller->Database(), *m_activeBoxes,
                                           [this] { return m_controller ? m_controller->FolderPath() : std::string(); });
    // A new load or a closing window resets the store: a search over it ends first.
    m_controller->SetBeforeStoreReset([this] { StopSearchBeforeReset(); });
    m_controller->SetRecovery(m_recoverAction->isChecked());
    m_controller->OnInit();
}

MainWindow::~MainWindow() {
    // Stop the report worker, then the loading worker, while everything they report to still exists.
    delete m_reportDialog;
    m_reportDialog = nullptr;
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
    QAction* exitSeparator = file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("&Exit"));
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    m_recentFolders = new RecentFolders(file, exitSeparator, this);
    connect(m_recentFolders, &RecentFolders::openRequested, this, [this](const FolderChoice& choice) {
        // The entry answers the folder dialog, so opening it follows the same checks as "&Select Folder".
        m_recentChoice = choice;
        OpenChosenFolder([this] { m_controller->OnSelectFolder(); });
        m_recentChoice.reset();
    });

    m_editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_editMenu->setObjectName("editMenu");

    QMenu* report = menuBar()->addMenu(QStringLiteral("Report"));
    m_messagesReport = report->addAction(QStringLiteral("Messages"));
    m_messagesReport->setObjectName("messagesReportAction");
    m_fcuReport = report->addAction(QStringLiteral("FCU"));
    m_fcuReport->setObjectName("fcuReportAction");
    m_messagesReport->setEnabled(false);
    m_fcuReport->setEnabled(false);
    connect(m_messagesReport, &QAction::triggered, this, [this] { ShowMessageReportDialog(); });
    connect(m_fcuReport, &QAction::triggered, this, [this] { RunFcuReport(); });

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
    m_messageBar = new QGroupBox(QStringLiteral("Filter Criteria"), this);
    m_messageBar->setObjectName("messageFilterBar");

    m_selectDateTime = new QCheckBox(QStringLiteral("&Select Date/Time"), m_messageBar);
    m_selectDateTime->setObjectName("selectDateTime");
    const QDateTime now = QDateTime::currentDateTime();
    auto makeDate = [&](const char* name) {
        auto* edit = new QDateEdit(now.date(), m_messageBar);
        edit->setObjectName(name);
        edit->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        edit->setCalendarPopup(true);
        return edit;
    };
    auto makeTime = [&](const char* name) {
        auto* edit = new QTimeEdit(now.time(), m_messageBar);
        edit->setObjectName(name);
        edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        return edit;
    };
    m_fromDate = makeDate("fromDate");
    m_fromTime = makeTime("fromTime");
    m_toDate = makeDate("toDate");
    m_toTime = makeTime("toTime");
    connect(m_selectDateTime, &QCheckBox::toggled, this, [this] { ApplyDateTimeCheck(); });

    m_dateRange = new QLabel(m_messageBar);
    m_dateRange->setObjectName("dateRange");
    m_dateRange->setMinimumWidth(190);

    m_channelCombo = new QComboBox(m_messageBar);
    m_channelCombo->setObjectName("channelCombo");
    m_fcuChannelCombo = new QComboBox(this);
    m_fcuChannelCombo->setObjectName("fcuChannelCombo");
    for (QComboBox* combo : {m_channelCombo, m_fcuChannelCombo}) {
        combo->addItems({Load(res::IDS_ALL), Load(res::IDS_MS_A_LEFT), Load(res::IDS_MS_B_RIGHT)});
    }
    m_commandCombo = new QComboBox(m_messageBar);
    m_commandCombo->setObjectName("commandCombo");
    for (const auto& text : CommandListTexts()) m_commandCombo->addItem(QString::fromStdString(std::string(text)));
    m_commandCombo->setMaxVisibleItems(20);
    m_fcuCombo = new CNumericComboBox(m_messageBar);
    m_fcuCombo->setObjectName("fcuCombo");
    m_fcuCombo->addItem(Load(res::IDS_ALL));
    m_fcuCombo->setMinimumWidth(90);
    m_modbusAddress = new QLineEdit(QStringLiteral("240"), m_messageBar);
    m_modbusAddress->setObjectName("modbusAddress");
    m_modbusAddress->setAlignment(Qt::AlignRight);
    m_modbusAddress->setMaximumWidth(60);
    // Alt+F opens the File menu, as in every desktop program: the button gives up its mnemonic for F5.
    m_messageFilterButton = new QPushButton(QStringLiteral("Filter !"), m_messageBar);
    m_messageFilterButton->setShortcut(QKeySequence(Qt::Key_F5));
    m_messageFilterButton->setToolTip(QStringLiteral("Filter ! (F5)"));
    m_messageFilterButton->setObjectName("messageFilterButton");
    connect(m_messageFilterButton, &QPushButton::clicked, this, [this] { m_controller->OnMessageFilter(); });

    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, m_messageBar);
        l->setBuddy(buddy);
        return l;
    };
    auto* row1 = new QHBoxLayout;
    row1->addWidget(m_selectDateTime);
    row1->addWidget(label(QStringLiteral("From :"), m_fromDate));
    row1->addWidget(m_fromDate);
    row1->addWidget(m_fromTime);
    row1->addWidget(label(QStringLiteral("To:"), m_toDate));
    row1->addWidget(m_toDate);
    row1->addWidget(m_toTime);
    row1->addSpacing(16);
    row1->addWidget(new QLabel(QStringLiteral("Date Range:"), m_messageBar));
    row1->addWidget(m_dateRange);
    row1->addStretch(1);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(label(QStringLiteral("&Channel"), m_channelCombo));
    row2->addWidget(m_channelCombo);
    row2->addWidget(label(QStringLiteral("C&ommand"), m_commandCombo));
    row2->addWidget(m_commandCombo);
    row2->addWidget(label(QStringLiteral("FC&U"), m_fcuCombo));
    row2->addWidget(m_fcuCombo);
    row2->addSpacing(16);
    row2->addWidget(new QLabel(QStringLiteral("Modbus Addr:"), m_messageBar));
    row2->addWidget(m_modbusAddress);
    row2->addSpacing(16);
    row2->addWidget(m_messageFilterButton);
    row2->addStretch(1);
    auto* bar = new QVBoxLayout(m_messageBar);
    bar->addLayout(row1);
    bar->addLayout(row2);

    m_fcuBar = new QGroupBox(QStringLiteral("Filter Criteria"), this);
    m_fcuBar->setObjectName("fcuFilterBar");
    m_fcuChannelCombo->setParent(m_fcuBar);
    m_fcuFilterButton = new QPushButton(QStringLiteral("Filter !"), m_fcuBar);
    m_fcuFilterButton->setShortcut(QKeySequence(Qt::Key_F5));
    m_fcuFilterButton->setToolTip(QStringLiteral("Filter ! (F5)"));
    m_fcuFilterButton->setObjectName("fcuFilterButton");
    connect(m_fcuFilterButton, &QPushButton::clicked, this, [this] { m_controller->OnFcuFilter(); });
    auto* fcuRow = new QHBoxLayout(m_fcuBar);
    auto* fcuLabel = new QLabel(QStringLiteral("&Channel"), m_fcuBar);
    fcuLabel->setBuddy(m_fcuChannelCombo);
    fcuRow->addWidget(fcuLabel);
    fcuRow->addWidget(m_fcuChannelCombo);
    fcuRow->addSpacing(16);
    fcuRow->addWidget(m_fcuFilterButton);
    fcuRow->addStretch(1);
}

void MainWindow::BuildLists() {
    m_recordList = new CListLargeDataCtrl(this);
    m_recordList->setObjectName("recordList");
    QStringList labels;
    for (int id = res::IDS_SRNO; id <= res::IDS_CHANNEL; ++id) labels << Load(id);
    m_recordList->SetColumns(labels, ScaledWidths(kRecordColumnWidths, this));
    m_recordList->SetTextProvider(this);
    m_recordList->SetListener(this);

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
    for (int i = 0; i < 3; ++i) {
        m_statusPanes[i] = new QLabel(QStringLiteral(" "), this);
        m_statusPanes[i]->setObjectName(QStringLiteral("statusPane%1").arg(i));
        m_statusPanes[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("loadProgress");
    m_progress->setRange(0, CMainWindowController::kProgressRange);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(14);
    m_progress->hide();
    auto* pane1 = new QWidget(this);
    auto* pane1Layout = new QHBoxLayout(pane1);
    pane1Layout->setContentsMargins(5, 0, 5, 0);
    pane1Layout->addWidget(m_progress);
    // Pane 1 shows the progress bar; its label must live inside it, or it would sit over the menu bar.
    m_statusPanes[1]->setParent(pane1);
    m_statusPanes[1]->hide();
    statusBar()->addWidget(m_statusPanes[0], 1);
    statusBar()->addWidget(pane1, 1);
    statusBar()->addWidget(m_statusPanes[2], 2);
}

void MainWindow::ApplyDateTimeCheck() {
    const bool on = m_selectDateTime->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_fromDate, m_fromTime, m_toDate, m_toTime}) {
        w->setEnabled(on);
    }
}

// ---- public

void MainWindow::OpenFolder(const QString& folder, bool messageMode) {
    OpenChosenFolder([&] {
        m_chosenFolder = FolderChoice{folder.toStdString(), messageMode};
        m_controller->OpenFolder(*m_chosenFolder);
    });
}

void MainWindow::OpenChosenFolder(const std::function<void()>& open) {
    m_chosenFolder.reset();
    open();
    // Only a folder that opened in a mode is worth offering again; one without its FCU information file is not.
    if (m_chosenFolder && m_controller->Mode() != ViewMode::None) {
        m_recentFolders->Add({m_controller->FolderPath(), m_chosenFolder->messageMode});
    }
    m_chosenFolder.reset();
}

void MainWindow::RaiseAndRestore() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

QString MainWindow::StatusText(int pane) const {
    return (pane >= 0 && pane < 3) ? m_statusPanes[pane]->text() : QString();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    SaveRememberedLayout({saveGeometry(), m_recordList->ColumnWidths()});
    // A report reads the store: end it before the store is emptied.
    m_reportDialog->Generator().Stop();
    m_reportDialog->hide();
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
        if (m_findBar->IsSearching()) {
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
    m_messageBar->setVisible(mode == ViewMode::Messages);
    m_recordList->setVisible(mode == ViewMode::Messages);
    m_fcuBar->setVisible(mode == ViewMode::FCU);
    m_fcuTable->setVisible(mode == ViewMode::FCU);
    if (mode != ViewMode::Messages) m_findBar->hide();
    for (QAction* action : m_editMenu->actions()) action->setEnabled(mode == ViewMode::Messages);
    // The widths the user left at the last exit stand in for the standard ones.
    if (mode == ViewMode::Messages) {
        m_recordList->SetColumnWidths(m_layout.recordColumns.isEmpty() ? ScaledWidths(kRecordColumnWidths, this)
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
}

std::optional<FolderChoice> MainWindow::BrowseForFolder(const std::string& initialFolder) {
    m_chosenFolder = m_recentChoice ? m_recentChoice : BrowseForDataFolder(QString::fromStdString(initialFolder), this);
    m_recentChoice.reset();
    return m_chosenFolder;
}

FilterBarInputs MainWindow::ReadFilterBar() {
    FilterBarInputs inputs;
    inputs.selection.channelIndex = m_channelCombo->currentIndex();
    inputs.selection.commandIndex = m_commandCombo->currentIndex();
    inputs.selection.fcuText = m_fcuCombo->currentText().toStdString();
    inputs.selection.selectDateTime = m_selectDateTime->isChecked();
    inputs.selection.from = FromQt(m_fromDate->date(), m_fromTime->time());
    inputs.selection.to = FromQt(m_toDate->date(), m_toTime->time());
    inputs.modbusAddressText = m_modbusAddress->text().toStdString();
    return inputs;
}

void MainWindow::SelectFirstEntries() {
    for (QComboBox* combo : std::initializer_list<QComboBox*>{m_channelCombo, m_commandCombo, m_fcuCombo,
                                                              m_fcuChannelCombo}) {
        combo->setCurrentIndex(0);
    }
}

void MainWindow::SetFcuEntries(const std::vector<std::string>& entries) {
    m_fcuCombo->clear();
    for (const auto& e : entries) m_fcuCombo->addItem(QString::fromStdString(e));
    m_fcuCombo->setCurrentIndex(0);
}

void MainWindow::SetSelectDateTime(bool checked) {
    m_selectDateTime->setChecked(checked);
    ApplyDateTimeCheck();
}

void MainWindow::SetDateTimes(const CivilDateTime& from, const CivilDateTime& to) {
    m_fromDate->setDate(ToQDate(from));
    m_fromTime->setTime(ToQTime(from));
    m_toDate->setDate(ToQDate(to));
    m_toTime->setTime(ToQTime(to));
}

void MainWindow::SetDateRangeText(const std::string& text) { m_dateRange->setText(QString::fromStdString(text)); }

int MainWindow::FcuChannelIndex() { return m_fcuChannelCombo->currentIndex(); }

void MainWindow::SetStatusText(int pane, const std::string& text) {
    if (pane >= 0 && pane < 3) m_statusPanes[pane]->setText(QString::fromStdString(text));
}

void MainWindow::SetProgress(bool visible, int position) {
    m_progress->setValue(position);
    m_progress->setVisible(visible);
}

void MainWindow::SetBusy(bool busy) { m_recordList->SetBusy(busy); }

void MainWindow::FocusFilterField(FilterField field) {
    QWidget* target = m_modbusAddress;
    switch (field) {
        case FilterField::ModbusAddress: target = m_modbusAddress; break;
        case FilterField::Fcu: target = m_fcuCombo; break;
        case FilterField::FromDate: target = m_fromDate; break;
        case FilterField::ToDate: target = m_toDate; break;
    }
    target->setFocus(Qt::OtherFocusReason);
}

void MainWindow::ShowNotice(const std::string& text) { m_notice->Show(QString::fromStdString(text)); }

void MainWindow::ListReset() { m_recordList->ResetList(); }

void MainWindow::ListSetCount(std::int64_t total) { m_recordList->SetTotal(total); }

void MainWindow::ListRedraw() { m_recordList->Redraw(); }

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
    m_lastShownDialog = m_reportDialog;
    m_reportDialog->show();
    m_reportDialog->raise();
    m_reportDialog->activateWindow();
}

namespace {

// The FCU table's rows exactly as it shows them.
class FcuTableRows : public IFCUReportRowSource {
public:
    explicit FcuTableRows(const QTreeWidget& table) : m_table(table) {}
    int RowCount() const override { return m_table.topLevelItemCount(); }
    std::string ItemText(int row, int column) const override {
        const QTreeWidgetItem* item = m_table.topLevelItem(row);
        return item ? item->text(column).toStdString() : std::string();
    }

private:
    const QTreeWidget& m_table;
};

}  // namespace

void MainWindow::RunFcuReport() {
    const FcuTableRows rows(*m_fcuTable);
    if (const auto refusal = CheckFCUReportRows(rows)) {
        m_activeBoxes->Show(refusal->text, refusal->icon);
        return;
    }
    FCUReportCriteriaDlg dialog(this, *m_activeBoxes, m_controller->FolderPath());
    if (dialog.exec() != QDialog::Accepted) return;
    const CFCUReportCriteria criteria(dialog.Form().FileName(),
                                      CFCUReportCriteria::TypeFromFormIndex(dialog.Form().FormIndex()));
    FCUReportOptions options;
    options.workbookTempFolder = m_controller->Database().TempFolder();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const FCUReportOutcome outcome = WriteFCULogReport(rows, criteria, options);
    QApplication::restoreOverrideCursor();
    if (!outcome.documentToOpen.empty()) {
        OpenReportInBrowser(outcome.documentToOpen, *m_activeBoxes);
    }
    m_activeBoxes->Show(outcome.message.text, outcome.message.icon);
}

// ---- IListPagingListener

void MainWindow::OnPageRowsChanged(int) {}

void MainWindow::OnSortRequest(SortRequest& request) {
    request.accept = m_controller->OnSortRequest(request.newState) ? 1 : 0;
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

// ---- go to, find, copy

void MainWindow::BuildFindBar() {
    m_findBar = new FindBar(this);
    connect(m_findBar, &FindBar::findRequested, this, [this](SearchDirection direction) { Find(direction); });
    connect(m_findBar, &FindBar::cancelRequested, this, [this] { CancelSearch(); });
    connect(m_findBar, &FindBar::closed, this, [this] { m_recordList->setFocus(); });
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
    m_editMenu->addSeparator();
    add(QStringLiteral("&Go to Record..."), "goToRecordAction", QKeySequence(Qt::CTRL | Qt::Key_G),
        [this] { GoToRecord(); });
    add(QStringLiteral("Go to &Time..."), "goToTimeAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G),
        [this] { GoToTime(); });

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

void MainWindow::GoToRecord() {
    const std::int64_t total = m_controller->Total();
    if (m_controller->Mode() != ViewMode::Messages || total <= 0) return;
    const std::int64_t selected = SelectedSerial();
    GoToRecordDialog dialog(this, total, selected >= 0 ? selected + 1 : 1);
    if (dialog.exec() != QDialog::Accepted) return;
    // A find still running would move the selection away again.
    if (m_findBar->IsSearching()) CancelSearch();
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
    const auto seconds = std::clamp<std::int64_t>(SecondsFromCivil(dialog.DateTime()), 0, UINT32_MAX);
    SearchRequest request =
        GoToTimeRequest(m_controller->Database(), m_controller->Total(), static_cast<std::uint32_t>(seconds));
    m_searchPurpose = SearchPurpose::GoToTime;
    m_goToAtOrBefore = request.matcher.GetKind() == CRecordMatcher::Kind::TimeAtOrBefore;
    m_searchWhat = dialog.DateTimeText().toStdString();
    m_search->Start(m_controller->Database(), std::move(request));
    m_findBar->show();
    m_findBar->SetSearching(QStringLiteral("Going to %1...").arg(dialog.DateTimeText()));
    m_recordList->setFocus();
}

void MainWindow::OpenFindBar() {
    if (m_controller->Mode() != ViewMode::Messages) return;
    m_findBar->OpenAndFocus();
}

void MainWindow::Find(SearchDirection direction) {
    if (m_controller->Mode() != ViewMode::Messages) return;
    const QString text = m_findBar->Text();
    if (text.isEmpty()) {
        m_findBar->OpenAndFocus();
        return;
    }
    m_findBar->show();
    SearchRequest request;
    QString what;
    if (m_findBar->GetMode() == FindBar::Mode::Text) {
        request.matcher = CRecordMatcher::Text(text.toStdString(), m_findBar->MatchCase());
        what = QLatin1Char('"') + text + QLatin1Char('"');
    } else {
        const auto bytes = ParseHexBytes(text.toStdString());
        if (!bytes) {
            m_findBar->SetFinished(QStringLiteral("Type the bytes as pairs of hex digits, e.g. 01 A0."));
            return;
        }
        what =
            QStringLiteral("Bytes ") + QString::fromStdString(FormatHexBytes(bytes->data(), bytes->size())).trimmed();
        request.matcher = CRecordMatcher::Bytes(*bytes);
    }
    request.count = m_controller->Total();
    if (request.count <= 0) {
        m_findBar->SetFinished(QStringLiteral("There are no records to search."));
        return;
    }
    request.from = SelectedSerial();
    request.direction = direction;
    request.wrap = true;
    m_searchPurpose = SearchPurpose::Find;
    m_searchDirection = direction;
    m_searchWhat = what.toStdString();
    m_search->Start(m_controller->Database(), std::move(request));
    m_findBar->SetSearching(QStringLiteral("Searching for %1...").arg(what));
}

void MainWindow::OnSearchNotification(const SearchNotification& n) {
    // A search that was stopped or replaced may still have notifications queued.
    if (n.generation != m_search->Generation() || !m_findBar->IsSearching()) return;
    if (n.kind == SearchNotification::Kind::Progress) {
        m_findBar->SetProgress(n.examined, n.total);
        return;
    }
    const std::string status = m_searchPurpose == SearchPurpose::Find
                                   ? FindOutcomeText(n, m_searchDirection, m_searchWhat)
                                   : GoToTimeOutcomeText(n, m_searchWhat, m_goToAtOrBefore);
    m_findBar->SetFinished(QString::fromStdString(status));
    if (n.found >= 0) SelectRecord(n.found);
}

void MainWindow::CancelSearch() {
    m_search->Stop();
    if (m_findBar->IsSearching()) m_findBar->SetFinished(QStringLiteral("Search cancelled."));
}

void MainWindow::StopSearchBeforeReset() {
    if (!m_search) return;
    m_search->Stop();
    if (m_findBar && m_findBar->IsSearching()) {
        m_findBar->SetFinished(QStringLiteral("Search cancelled: the records were reloaded."));
    }
}

}  // namespace vyx::gui
