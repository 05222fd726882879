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

// Delivers the report worker's calls to the dialog's thread, each with the job of the run that made it; a
// call for a dialog that has gone is dropped. The worker never waits for the dialog.
class QueuedReportReceiver : public IReportGenerationMsgRcvr {
public:
    explicit QueuedReportReceiver(ReportCriteriaDlg* dialog) : m_dialog(dialog), m_delivery(dialog) {}
    // Set before the generator's first run.
    void SetGenerator(const CReportGenerator* generator) { m_generator = generator; }
    std::int32_t OnStarted(std::int32_t, std::int32_t) override {
        return Post([](ReportCriteriaDlg& d, std::uint32_t job) { d.OnStarted(job); });
    }
    std::int32_t OnProgress(std::int32_t, std::int32_t) override {
        return Post([](ReportCriteriaDlg& d, std::uint32_t job) { d.OnProgress(job); });
    }
    std::int32_t OnCompleted(std::int32_t, std::int32_t) override {
        return Post([](ReportCriteriaDlg& d, std::uint32_t job) { d.OnCompleted(job); });
    }
    std::int32_t OnFailed(std::int32_t, std::int32_t) override {
        return Post([](ReportCriteriaDlg& d, std::uint32_t job) { d.OnFailed(job); });
    }
    void OnMessage(const std::string& text, MessageIcon icon) override {
        Post([text, icon](ReportCriteriaDlg& d, std::uint32_t job) { d.OnMessage(job, text, icon); });
    }
    void OnOpenDocument(const std::string& path) override {
        Post([path](ReportCriteriaDlg& d, std::uint32_t) { d.OnOpenDocument(path); });
    }

private:
    template <typename Call>
    std::int32_t Post(Call call) {
        // Read on the worker: the generator takes a new job id only after this worker has ended.
        const std::uint32_t job = m_generator ? m_generator->JobId() : 0;
        // The delivery runs the call only while the dialog exists; the dialog may hold it back for a while.
        return m_delivery.Post([dialog = m_dialog, call, job] {
            dialog->Deliver([dialog, call, job] {
                if (dialog) call(*dialog, job);
            });
        })
                   ? 1
                   : 0;
    }
    QPointer<ReportCriteriaDlg> m_dialog;
    QueuedDelivery m_delivery;
    const CReportGenerator* m_generator = nullptr;
};

// The dialog's message boxes: while one is up, the worker's notifications wait for it to close.
class ReportCriteriaDlg::DialogBoxes : public IMessageBoxes {
public:
    DialogBoxes(ReportCriteriaDlg& dialog, IMessageBoxes& boxes) : m_dialog(dialog), m_boxes(boxes) {}
    void Show(const std::string& text, MessageIcon icon) override {
        BoxUp up(m_dialog);
        m_boxes.Show(text, icon);
    }
    MessageAnswer Ask(const std::string& text, MessageIcon icon) override {
        BoxUp up(m_dialog);
        return m_boxes.Ask(text, icon);
    }
    bool Offer(const std::string& text, MessageIcon icon, const std::string& choice) override {
        BoxUp up(m_dialog);
        return m_boxes.Offer(text, icon, choice);
    }

private:
    struct BoxUp {
        explicit BoxUp(ReportCriteriaDlg& d) : dialog(d) { ++dialog.m_boxesUp; }
        ~BoxUp() {
            // What waited is delivered once the code that showed the box has finished.
            if (--dialog.m_boxesUp == 0 && !dialog.m_waiting.empty()) {
                QMetaObject::invokeMethod(
                    &dialog,
                    [d = QPointer<ReportCriteriaDlg>(&dialog)] {
                        if (d) d->DeliverWaiting();
                    },
                    Qt::QueuedConnection);
            }
        }
        ReportCriteriaDlg& dialog;
    };
    ReportCriteriaDlg& m_dialog;
    IMessageBoxes& m_boxes;
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
    m_browse = new QPushButton(QStringLiteral("..."), files);
    m_browse->setObjectName("browseButton");
    m_browse->setFixedWidth(32);
    connect(m_browse, &QPushButton::clicked, this, [this] { ChooseFile(); });
    m_planned = new QLabel(files);
    m_planned->setObjectName("plannedFiles");
    m_written = new QLabel(files);
    m_written->setObjectName("writtenFiles");
    m_written->hide();
    auto* fileGrid = new QGridLayout(files);
    fileGrid->addWidget(m_path, 0, 0);
    fileGrid->addWidget(m_browse, 0, 1);
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
    : QDialog(parent), m_boxes(std::make_unique<DialogBoxes>(*this, boxes)), m_dataFolder(std::move(dataFolder)) {
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

    m_form = new ReportFormAndFile(this, *m_boxes);
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
    // A new form clears the file, so the file's signal stands for both.
    connect(m_from, &QLineEdit::textChanged, this, [this] { OnSettingsChanged(); });
    connect(m_to, &QLineEdit::textChanged, this, [this] { OnSettingsChanged(); });
    connect(m_all, &QCheckBox::toggled, this, [this] { OnSettingsChanged(); });
    connect(m_form, &ReportFormAndFile::fileNameChanged, this, [this] { OnSettingsChanged(); });

    m_receiver = std::make_unique<QueuedReportReceiver>(this);
    m_generator = std::make_unique<CReportGenerator>(&database, m_receiver.get());
    m_receiver->SetGenerator(m_generator.get());
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

void ReportCriteriaDlg::ShowWrittenFiles(const Run& run) {
    const std::vector<std::string> written = run.filesWritten.value_or(std::vector<std::string>());
    m_form->SetWrittenFiles(written.empty() ? QString()
                                            : QStringLiteral("Written: ") +
                                                  QString::fromStdString(CReportCriteriaChecks::FilesText(written)));
}

void ReportCriteriaDlg::OnSettingsChanged() {
    // A run in progress keeps its count: it is still the one a restart would stop.
    if (RunInProgress()) return;
    m_form->SetWrittenFiles(QString());
    m_progressText->clear();
}

ReportCriteriaDlg::Run* ReportCriteriaDlg::FindRun(std::uint32_t job) {
    for (Run& run : m_runs) {
        if (run.job == job) return &run;
    }
    return nullptr;
}

bool ReportCriteriaDlg::RunInProgress() const { return !m_runs.empty() && !m_runs.back().over; }

void ReportCriteriaDlg::TakeWrittenFiles(Run& run) {
    if (!run.filesWritten) run.filesWritten = CReportCriteriaChecks::FilesWrittenSince(run.filesBefore);
}

void ReportCriteriaDlg::RunOver(Run& run) {
    TakeWrittenFiles(run);
    run.over = true;
}

void ReportCriteriaDlg::Deliver(std::function<void()> call) {
    if (m_boxesUp > 0 || !m_waiting.empty()) {
        m_waiting.push_back(std::move(call));
        return;
    }
    call();
}

void ReportCriteriaDlg::DeliverWaiting() {
    // A call that shows a box makes the rest wait again; the box's closing delivers them.
    while (m_boxesUp == 0 && !m_waiting.empty()) {
        std::function<void()> call = std::move(m_waiting.front());
        m_waiting.pop_front();
        call();
    }
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

void ReportCriteriaDlg::ShowWrittenCount(const Run& run) {
    const std::int64_t total =
        static_cast<std::int64_t>(run.criteria.m_nLastRecord) - run.criteria.m_nFirstRecord + 1;
    m_progressText->setText(QStringLiteral("%1 of %2 records written").arg(std::min(run.written, total)).arg(total));
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
        if (m_boxes->Ask(std::string(res::LoadString(res::IDS_REPORT_RESTART_QUESTION)), MessageIcon::None) !=
            MessageAnswer::Yes) {
            return;
        }
        if (!m_runs.empty()) m_runs.back().stopRequested = true;
        m_generator->Stop();
    }
    std::int32_t from = 0, to = 0;
    for (auto [edit, value] : {std::pair{m_from, &from}, std::pair{m_to, &to}}) {
        if (const auto refusal = CReportCriteriaChecks::ParseRangeField(edit->text().toStdString(), *value)) {
            m_boxes->Show(refusal->text, refusal->icon);
            edit->setFocus();
            return;
        }
    }
    const MessageLogGenerateCheck check = CReportCriteriaChecks::CheckMessageLogGenerate(
        m_form->FileName(), m_nRecordCount, m_all->isChecked(), from, to, m_form->FormIndex(),
        m_dataFolder ? m_dataFolder() : std::string());
    switch (check.decision) {
    case GenerateDecision::Refuse:
        m_boxes->Show(check.message.text, check.message.icon);
        return;
    case GenerateDecision::AskMultipleFiles:
    case GenerateDecision::AskLongPage:
        if (m_boxes->Ask(check.message.text, check.message.icon) != MessageAnswer::Yes) return;
        break;
    case GenerateDecision::Start:
        break;
    }
    // The runs before have ended: what they wrote is taken now, before this run replaces files of the same
    // names.
    for (Run& run : m_runs) TakeWrittenFiles(run);
    while (m_runs.size() > 3) m_runs.pop_front();
    m_form->SetWrittenFiles(QString());
    Run run;
    run.criteria = check.criteria;
    run.filesBefore = CReportCriteriaChecks::FileStates(check.criteria);
    m_generator->Start(check.criteria);
    run.job = m_generator->JobId();
    m_runs.push_back(std::move(run));
}

void ReportCriteriaDlg::OnCancel() {
    if (m_generator->IsRunning()) {
        m_generator->Pause();
        if (m_boxes->Ask(std::string(res::LoadString(res::IDS_REPORT_CANCEL_QUESTION)), MessageIcon::None) !=
            MessageAnswer::Yes) {
            m_generator->Resume();
            return;
        }
        if (!m_runs.empty()) {
            m_runs.back().cancelled = true;
            m_runs.back().stopRequested = true;
        }
        m_generator->Stop();
    }
    hide();
}

void ReportCriteriaDlg::reject() { hide(); }

void ReportCriteriaDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnCancel();
}

void ReportCriteriaDlg::OnStarted(std::uint32_t job) {
    Run* run = FindRun(job);
    if (!run) return;
    run->started = true;
    run->written = 0;
    SetProgress(0, true);
    ShowWrittenCount(*run);
    RefreshCursor();
}

void ReportCriteriaDlg::OnProgress(std::uint32_t job) {
    Run* run = FindRun(job);
    if (!run) return;
    SetProgress(CReportCriteriaChecks::NextProgressPosition(m_position), true);
    run->written += ReportProgressStep(static_cast<std::int64_t>(run->criteria.m_nLastRecord) -
                                       run->criteria.m_nFirstRecord + 1);
    ShowWrittenCount(*run);
}

void ReportCriteriaDlg::OnCompleted(std::uint32_t job) {
    m_generator->JoinIfEnded();
    Run* found = FindRun(job);
    if (!found) return;
    Run& run = *found;
    SetProgress(200, false);
    if (!run.stopRequested) {
        run.written = static_cast<std::int64_t>(run.criteria.m_nLastRecord) - run.criteria.m_nFirstRecord + 1;
    }
    RunOver(run);
    ShowWrittenCount(run);
    RefreshCursor();
    ShowWrittenFiles(run);
    if (!run.cancelled) {
        QWidget* focused = focusWidget();
        m_boxes->Show(std::string(res::LoadString(res::IDS_REPORT_GENERATED)), MessageIcon::None);
        FocusBackHere(focused);
    }
    SetProgress(0, false);
}

void ReportCriteriaDlg::OnFailed(std::uint32_t job) {
    m_generator->JoinIfEnded();
    Run* run = FindRun(job);
    if (!run) return;
    SetProgress(0, false);
    RunOver(*run);
    RefreshCursor();
    ShowWrittenFiles(*run);
}

void ReportCriteriaDlg::OnMessage(std::uint32_t job, const std::string& text, MessageIcon icon) {
    // A message before the run started is all the run says: its output could not be opened.
    if (Run* run = FindRun(job); run && !run->started) RunOver(*run);
    m_boxes->Show(text, icon);
}

void ReportCriteriaDlg::OnOpenDocument(const std::string& path) { OpenReportInBrowser(path, *m_boxes); }

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
