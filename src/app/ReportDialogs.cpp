#include "app/ReportDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QVBoxLayout>

#include "app/DesktopOpener.h"
#include "app/QueuedDelivery.h"
#include "report/ReportGenerator.h"
#include "res/StringTable.h"

namespace vyx::gui {

// Delivers the report worker's calls to the dialog's thread; a call for a dialog that has gone is dropped.
// The worker never waits for the dialog.
class QueuedReportReceiver : public IReportGenerationMsgRcvr {
public:
    explicit QueuedReportReceiver(ReportCriteriaDlg* dialog) : m_dialog(dialog), m_delivery(dialog) {}
    std::int32_t OnStarted(std::int32_t, std::int32_t) override { return Post([](ReportCriteriaDlg& d) { d.OnStarted(); }); }
    std::int32_t OnProgress(std::int32_t, std::int32_t) override {
        return Post([](ReportCriteriaDlg& d) { d.OnProgress(); });
    }
    std::int32_t OnCompleted(std::int32_t, std::int32_t) override {
        return Post([](ReportCriteriaDlg& d) { d.OnCompleted(); });
    }
    std::int32_t OnFailed(std::int32_t, std::int32_t) override { return Post([](ReportCriteriaDlg& d) { d.OnFailed(); }); }
    void OnMessage(const std::string& text, MessageIcon icon) override {
        Post([text, icon](ReportCriteriaDlg& d) { d.OnMessage(text, icon); });
    }
    void OnOpenDocument(const std::string& path) override {
        Post([path](ReportCriteriaDlg& d) { d.OnOpenDocument(path); });
    }

private:
    template <typename Call>
    std::int32_t Post(Call call) {
        // The delivery runs the call only while the dialog exists.
        return m_delivery.Post([dialog = m_dialog, call] { call(*dialog); }) ? 1 : 0;
    }
    QPointer<ReportCriteriaDlg> m_dialog;
    QueuedDelivery m_delivery;
};

ReportFileChooser DefaultReportFileChooser() {
    return [](QWidget* parent, const ReportFileChoice& choice) {
        // "Name (*.ext)|*.ext|" becomes Qt's "Name (*.ext)".
        QString filter = QString::fromStdString(choice.filter);
        filter = filter.left(filter.indexOf(QLatin1Char('|')));
        QFileDialog dialog(parent, QString::fromStdString(choice.title), QString::fromStdString(choice.folder), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QString());  // the extension rule is the dialog's own
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
        return dialog.selectedFiles().front();
    };
}

// ---- form radios and file

ReportFormAndFile::ReportFormAndFile(QDialog* dialog, IMessageBoxes&)
    : QObject(dialog), m_dialog(dialog), m_chooser(DefaultReportFileChooser()) {
    auto* forms = new QGroupBox(QStringLiteral("Select Report Type"), dialog);
    m_formGroup = forms;
    auto* html = new QRadioButton(QStringLiteral("&HTML"), forms);
    auto* csv = new QRadioButton(QStringLiteral("CS&V"), forms);
    auto* xls = new QRadioButton(QStringLiteral("&XLS"), forms);
    html->setObjectName("htmlRadio");
    csv->setObjectName("csvRadio");
    xls->setObjectName("xlsRadio");
    m_forms = new QButtonGroup(this);
    m_forms->addButton(html, 0);
    m_forms->addButton(csv, 1);
    m_forms->addButton(xls, 2);
    csv->setChecked(true);
    connect(m_forms, &QButtonGroup::idClicked, this, [this] { OnFormClicked(); });

    auto* files = new QGroupBox(QStringLiteral("S&ave File As..."), dialog);
    m_fileGroup = files;
    m_path = new QLabel(files);
    m_path->setObjectName("reportPath");
    m_path->setMinimumWidth(280);
    m_path->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* browse = new QPushButton(QStringLiteral("..."), files);
    browse->setObjectName("browseButton");
    browse->setFixedWidth(32);
    connect(browse, &QPushButton::clicked, this, [this] { ChooseFile(); });
    m_planned = new QLabel(files);
    m_planned->setObjectName("plannedFiles");
    m_written = new QLabel(files);
    m_written->setObjectName("writtenFiles");
    m_written->hide();
    auto* fileGrid = new QGridLayout(files);
    fileGrid->addWidget(m_path, 0, 0);
    fileGrid->addWidget(browse, 0, 1);
    fileGrid->addWidget(m_planned, 1, 0, 1, 2);
    fileGrid->addWidget(m_written, 2, 0, 1, 2);
    fileGrid->setColumnStretch(0, 1);
}

namespace {
constexpr const char* kReportFolderKey = "ReportFolder";
}  // namespace

QString ReportFormAndFile::LastReportFolder() {
    const QString folder =
        QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer")).value(kReportFolderKey).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void ReportFormAndFile::SetPlannedFiles(const QString& text) { m_planned->setText(text); }

void ReportFormAndFile::SetWrittenFiles(const QString& text) {
    m_written->setText(text);
    m_written->setVisible(!text.isEmpty());
}

QString ReportFormAndFile::PlannedFiles() const { return m_planned->text(); }

QString ReportFormAndFile::WrittenFiles() const { return m_written->text(); }

int ReportFormAndFile::FormIndex() const { return m_forms->checkedId(); }

void ReportFormAndFile::SetFormIndex(int index) {
    if (QAbstractButton* button = m_forms->button(index)) button->click();
}

void ReportFormAndFile::OnFormClicked() {
    // A file chosen for one form does not fit another: choose again.
    if (FormIndex() != m_lastForm) {
        m_fileName.clear();
        ShowFileName();
    }
    m_lastForm = FormIndex();
}

void ReportFormAndFile::ChooseFile() {
    ReportFileChoice choice = CReportCriteriaChecks::FileChoice(FormIndex());
    // Not the working folder, which is wherever the viewer happened to be started.
    choice.folder = LastReportFolder().toStdString();
    const QString chosen = m_chooser(m_dialog, choice);
    if (chosen.isEmpty()) return;
    m_fileName = CReportCriteriaChecks::PathWithExtension(chosen.toStdString(), choice.defaultExtension);
    QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer"))
        .setValue(kReportFolderKey, QFileInfo(QString::fromStdString(m_fileName)).absolutePath());
    ShowFileName();
}

void ReportFormAndFile::ShowFileName() {
    const QString path = QString::fromStdString(m_fileName);
    m_path->setToolTip(path);
    m_path->setText(m_path->fontMetrics().elidedText(path, Qt::ElideRight, std::max(m_path->width(), 280) - 8));
    emit fileNameChanged();
}

// ---- "Report - Message"

ReportCriteriaDlg::ReportCriteriaDlg(QWidget* parent, const CRecordDatabase& database, IMessageBoxes& boxes,
                                     DataFolderSource dataFolder)
    : QDialog(parent), m_boxes(boxes), m_dataFolder(std::move(dataFolder)) {
    setObjectName("reportCriteriaDialog");
    setWindowTitle(QStringLiteral("Report - Message"));
    setModal(false);

    auto* range = new QGroupBox(QStringLiteral("&Enter Serial No. Range"), this);
    auto digitsOnly = [this](QLineEdit* edit) {
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        edit->setAlignment(Qt::AlignRight);
        edit->setText(QStringLiteral("0"));
        edit->installEventFilter(this);
    };
    m_from = new QLineEdit(range);
    m_from->setObjectName("fromRecord");
    m_to = new QLineEdit(range);
    m_to->setObjectName("toRecord");
    digitsOnly(m_from);
    digitsOnly(m_to);
    m_lastRangeField = m_from;
    m_all = new QCheckBox(QStringLiteral("&All"), range);
    m_all->setObjectName("allRecords");
    connect(m_all, &QCheckBox::toggled, this, [this] { ApplyAll(); });
    auto* fromLabel = new QLabel(QStringLiteral("&From :"), range);
    fromLabel->setBuddy(m_from);
    auto* toLabel = new QLabel(QStringLiteral("&To:"), range);
    toLabel->setBuddy(m_to);
    auto* rangeGrid = new QGridLayout(range);
    rangeGrid->addWidget(fromLabel, 0, 0, Qt::AlignRight);
    rangeGrid->addWidget(m_from, 0, 1);
    rangeGrid->addWidget(toLabel, 1, 0, Qt::AlignRight);
    rangeGrid->addWidget(m_to, 1, 1);
    rangeGrid->addWidget(m_all, 2, 1);

    m_form = new ReportFormAndFile(this, boxes);
    // On screen CSV stands at the top, then XLS, then HTML.
    auto* formColumn = new QVBoxLayout(m_form->FormGroup());
    formColumn->addWidget(m_form->FormGroup()->findChild<QRadioButton*>("csvRadio"));
    formColumn->addWidget(m_form->FormGroup()->findChild<QRadioButton*>("xlsRadio"));
    formColumn->addWidget(m_form->FormGroup()->findChild<QRadioButton*>("htmlRadio"));

    m_progress = new QProgressBar(this);
    m_progress->setObjectName("reportProgress");
    m_progress->setRange(0, 200);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progressText = new QLabel(this);
    m_progressText->setObjectName("reportProgressText");
    // Room for the count from the start, so the buttons beside it stay where they are when a run begins.
    m_progressText->setMinimumWidth(
        m_progressText->fontMetrics().horizontalAdvance(QStringLiteral("8888888 of 8888888 records written")));
    m_generate = new QPushButton(QStringLiteral("&Generate !"), this);
    m_generate->setObjectName("generateButton");
    m_generate->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName("cancelButton");
    connect(m_generate, &QPushButton::clicked, this, [this] { OnGenerate(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { OnCancel(); });

    auto* top = new QHBoxLayout;
    top->addWidget(range, 1);
    top->addWidget(m_form->FormGroup());
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_progress, 1);
    bottom->addWidget(m_progressText);
    bottom->addWidget(m_generate);
    bottom->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_form->FileGroup());
    layout->addLayout(bottom);

    connect(m_from, &QLineEdit::textChanged, this, [this] { ShowPlannedFiles(); });
    connect(m_to, &QLineEdit::textChanged, this, [this] { ShowPlannedFiles(); });
    connect(m_all, &QCheckBox::toggled, this, [this] { ShowPlannedFiles(); });
    connect(m_form, &ReportFormAndFile::fileNameChanged, this, [this] { ShowPlannedFiles(); });

    m_receiver = std::make_unique<QueuedReportReceiver>(this);
    m_generator = std::make_unique<CReportGenerator>(&database, m_receiver.get());
}

ReportCriteriaDlg::~ReportCriteriaDlg() {
    // Stop the worker while the receiver it reports to still exists.
    m_generator.reset();
}

bool ReportCriteriaDlg::IsRunning() const {
    m_generator->JoinIfEnded();
    return m_generator->IsRunning() || m_generator->IsBusy();
}

void ReportCriteriaDlg::SetRecordCount(std::int64_t count) {
    m_nRecordCount = static_cast<std::int32_t>(std::min<std::int64_t>(count, 0x7FFFFFFF));
    ShowPlannedFiles();
}

void ReportCriteriaDlg::ShowPlannedFiles() {
    const std::vector<std::string> files = CReportCriteriaChecks::PlannedFiles(
        m_form->FileName(), m_nRecordCount, m_all->isChecked(), m_from->text().toStdString(),
        m_to->text().toStdString(), m_form->FormIndex());
    m_form->SetPlannedFiles(files.empty() ? QString()
                                          : QStringLiteral("Will write ") +
                                                QString::fromStdString(CReportCriteriaChecks::FilesText(files)));
}

void ReportCriteriaDlg::ShowWrittenFiles() {
    // A second of slack: file times are kept coarser than the clock reads.
    const auto written =
        CReportCriteriaChecks::FilesWrittenSince(m_runCriteria, m_runStart - std::chrono::seconds(1));
    m_form->SetWrittenFiles(written.empty() ? QString()
                                            : QStringLiteral("Written: ") +
                                                  QString::fromStdString(CReportCriteriaChecks::FilesText(written)));
}

void ReportCriteriaDlg::FocusBackHere(QWidget* focused) {
    // The message box gives the keyboard back to where it was before the run ended, often the list behind.
    if (!isVisible()) return;
    activateWindow();
    (focused ? focused : m_generate)->setFocus(Qt::OtherFocusReason);
}

void ReportCriteriaDlg::SelectSerial(std::int64_t srNo) { m_lastRangeField->setText(QString::number(srNo)); }

void ReportCriteriaDlg::SetSelectionRange(std::int64_t fromSrNo, std::int64_t toSrNo) {
    if (IsRunning()) return;  // the running report's range stays in view
    m_all->setChecked(false);
    ApplyAll();
    m_from->setText(QString::number(fromSrNo));
    m_to->setText(QString::number(toSrNo));
}

int ReportCriteriaDlg::ProgressPosition() const { return m_position; }

QString ReportCriteriaDlg::ProgressText() const { return m_progressText->text(); }

// The position still steps as it always did, but a bar whose position cycles reads as a percentage that
// jumps back: while a run writes, the bar only says busy, and the text beside it says how far the run is.
void ReportCriteriaDlg::SetProgress(int position, bool busy) {
    m_position = position;
    if (busy) {
        m_progress->setRange(0, 0);
    } else {
        m_progress->setRange(0, 200);
        m_progress->setValue(position);
    }
}

void ReportCriteriaDlg::ShowWrittenCount() {
    const std::int64_t total =
        static_cast<std::int64_t>(m_runCriteria.m_nLastRecord) - m_runCriteria.m_nFirstRecord + 1;
    m_progressText->setText(QStringLiteral("%1 of %2 records written").arg(std::min(m_written, total)).arg(total));
}

bool ReportCriteriaDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == m_from) m_lastRangeField = m_from;
        if (watched == m_to) m_lastRangeField = m_to;
    }
    return QDialog::eventFilter(watched, event);
}

void ReportCriteriaDlg::ApplyAll() {
    m_from->setEnabled(!m_all->isChecked());
    m_to->setEnabled(!m_all->isChecked());
}

void ReportCriteriaDlg::RefreshCursor() {
    if (m_generator->IsRunning()) setCursor(Qt::BusyCursor);
    else unsetCursor();
}

void ReportCriteriaDlg::OnGenerate() {
    if (IsRunning()) {
        if (m_boxes.Ask(std::string(res::LoadString(res::IDS_REPORT_RESTART_QUESTION)), MessageIcon::None) !=
            MessageAnswer::Yes) {
            return;
        }
        m_stopRequested = true;
        m_generator->Stop();
    }
    std::int32_t from = 0, to = 0;
    for (auto [edit, value] : {std::pair{m_from, &from}, std::pair{m_to, &to}}) {
        if (const auto refusal = CReportCriteriaChecks::ParseRangeField(edit->text().toStdString(), *value)) {
            m_boxes.Show(refusal->text, refusal->icon);
            edit->setFocus();
            return;
        }
    }
    const MessageLogGenerateCheck check = CReportCriteriaChecks::CheckMessageLogGenerate(
        m_form->FileName(), m_nRecordCount, m_all->isChecked(), from, to, m_form->FormIndex(),
        m_dataFolder ? m_dataFolder() : std::string());
    switch (check.decision) {
    case GenerateDecision::Refuse:
        m_boxes.Show(check.message.text, check.message.icon);
        return;
    case GenerateDecision::AskMultipleFiles:
    case GenerateDecision::AskLongPage:
        if (m_boxes.Ask(check.message.text, check.message.icon) != MessageAnswer::Yes) return;
        break;
    case GenerateDecision::Start:
        break;
    }
    m_form->SetWrittenFiles(QString());
    m_runCriteria = check.criteria;
    m_runStart = std::filesystem::file_time_type::clock::now();
    m_generator->Start(check.criteria);
}

void ReportCriteriaDlg::OnCancel() {
    if (m_generator->IsRunning()) {
        m_generator->Pause();
        if (m_boxes.Ask(std::string(res::LoadString(res::IDS_REPORT_CANCEL_QUESTION)), MessageIcon::None) !=
            MessageAnswer::Yes) {
            m_generator->Resume();
            return;
        }
        m_bCancelled = true;
        m_stopRequested = true;
        m_generator->Stop();
    }
    hide();
}

void ReportCriteriaDlg::reject() { hide(); }

void ReportCriteriaDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnCancel();
}

void ReportCriteriaDlg::OnStarted() {
    m_written = 0;
    m_stopRequested = false;
    SetProgress(0, true);
    ShowWrittenCount();
    RefreshCursor();
}

void ReportCriteriaDlg::OnProgress() {
    SetProgress(CReportCriteriaChecks::NextProgressPosition(m_position), true);
    m_written += ReportProgressStep(static_cast<std::int64_t>(m_runCriteria.m_nLastRecord) -
                                    m_runCriteria.m_nFirstRecord + 1);
    ShowWrittenCount();
}

void ReportCriteriaDlg::OnCompleted() {
    m_generator->JoinIfEnded();
    SetProgress(200, false);
    if (!m_stopRequested) m_written = static_cast<std::int64_t>(m_runCriteria.m_nLastRecord) - m_runCriteria.m_nFirstRecord + 1;
    m_stopRequested = false;
    ShowWrittenCount();
    RefreshCursor();
    ShowWrittenFiles();
    if (m_bCancelled) {
        m_bCancelled = false;
    } else {
        QWidget* focused = focusWidget();
        m_boxes.Show(std::string(res::LoadString(res::IDS_REPORT_GENERATED)), MessageIcon::None);
        FocusBackHere(focused);
    }
    SetProgress(0, false);
}

void ReportCriteriaDlg::OnFailed() {
    m_generator->JoinIfEnded();
    m_stopRequested = false;
    SetProgress(0, false);
    RefreshCursor();
    ShowWrittenFiles();
}

void ReportCriteriaDlg::OnMessage(const std::string& text, MessageIcon icon) { m_boxes.Show(text, icon); }

void ReportCriteriaDlg::OnOpenDocument(const std::string& path) { OpenReportInBrowser(path, m_boxes); }

// ---- "Report - FCU"

FCUReportCriteriaDlg::FCUReportCriteriaDlg(QWidget* parent, IMessageBoxes& boxes, std::string dataFolder)
    : QDialog(parent), m_boxes(boxes), m_dataFolder(std::move(dataFolder)) {
    setObjectName("fcuReportCriteriaDialog");
    setWindowTitle(QStringLiteral("Report - FCU"));
    m_form = new ReportFormAndFile(this, boxes);
    auto* formRow = new QHBoxLayout(m_form->FormGroup());
    formRow->addWidget(m_form->FormGroup()->findChild<QRadioButton*>("csvRadio"));
    formRow->addWidget(m_form->FormGroup()->findChild<QRadioButton*>("xlsRadio"));
    formRow->addWidget(m_form->FormGroup()->findChild<QRadioButton*>("htmlRadio"));
    formRow->addStretch(1);
    auto* generate = new QPushButton(QStringLiteral("&Generate !"), this);
    generate->setObjectName("generateButton");
    generate->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName("cancelButton");
    connect(generate, &QPushButton::clicked, this, [this] { OnGenerate(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(generate);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_form->FormGroup());
    layout->addWidget(m_form->FileGroup());
    layout->addLayout(buttons);
}

void FCUReportCriteriaDlg::OnGenerate() {
    if (const auto refusal = CReportCriteriaChecks::CheckFCUGenerate(m_form->FileName(), m_dataFolder)) {
        m_boxes.Show(refusal->text, refusal->icon);
        return;
    }
    accept();
}

}  // namespace vyx::gui
