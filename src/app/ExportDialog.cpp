#include "app/ExportDialog.h"

#include <cctype>
#include <filesystem>
#include <set>
#include <utility>

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

#include "app/QueuedDelivery.h"
#include "controller/MessageBoxes.h"
#include "export/ExportColumns.h"
#include "export/ExportJob.h"
#include "export/TextExportSink.h"
#include "logdata/RecordDatabase.h"

namespace vyx::gui {
namespace {

constexpr const char* kExportFolderKey = "ExportFolder";
constexpr const char* kExportFormKey = "ExportForm";

QSettings AppSettings() { return QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer")); }

QString FormFilter(ExportForm form) {
    switch (form) {
        case ExportForm::Csv: return QStringLiteral("CSV Files (*.csv)");
        case ExportForm::JsonLines: return QStringLiteral("JSON Lines Files (*.jsonl)");
        case ExportForm::Sqlite: return QStringLiteral("SQLite Databases (*.sqlite *.db)");
        case ExportForm::Xlsx: return QStringLiteral("Excel Files (*.xlsx)");
    }
    return {};
}

// A file name without an extension gets the form's. One the user gave stays, whichever form it names (the
// question before replacing a file guards one that is there); so does a folder, which the export refuses.
QString WithFormExtension(const QString& path, ExportForm form) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.isEmpty() || name.lastIndexOf(QLatin1Char('.')) > 0 || info.isDir()) return path;
    return path + QString::fromLatin1(ExportFormExtension(form));
}

QString LastExportFolder() {
    const QString folder = AppSettings().value(kExportFolderKey).toString();
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QDir::homePath();
}

ExportPathChooser DefaultExportPathChooser() {
    return [](QWidget* parent, ExportForm form, bool partition, const QString& start) {
        if (partition) return QFileDialog::getExistingDirectory(parent, QStringLiteral("Export into folder"), start);
        const QFileInfo info(start);
        const bool file = !info.isDir();
        QFileDialog dialog(parent, QStringLiteral("Export as"), file ? info.absolutePath() : start, FormFilter(form));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QString::fromLatin1(ExportFormExtension(form) + 1));
        if (file) dialog.selectFile(info.fileName());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
        return dialog.selectedFiles().front();
    };
}

// What the last export of this run of the program wrote to, for the next opening of the dialog.
struct LastOutput {
    QString path;
    bool partition = false;
    QString site;
};

LastOutput& LastOutputOfThisRun() {
    static LastOutput last;
    return last;
}

}  // namespace

ExportDialog::ExportDialog(QWidget* parent, const CRecordDatabase& database, IMessageBoxes& boxes,
                           ExportScope scope, ExportRequest request)
    : QDialog(parent),
      m_database(database),
      m_boxes(boxes),
      m_scope(scope),
      m_base(std::move(request)),
      m_chooser(DefaultExportPathChooser()) {
    setWindowTitle(QStringLiteral("Export"));
    setObjectName("exportDialog");

    auto* formBox = new QGroupBox(QStringLiteral("Form"), this);
    auto* formRow = new QHBoxLayout(formBox);
    m_forms = new QButtonGroup(this);
    const std::pair<ExportForm, const char*> forms[] = {{ExportForm::Csv, "&CSV"},
                                                        {ExportForm::JsonLines, "&JSON Lines"},
                                                        {ExportForm::Sqlite, "S&QLite"},
                                                        {ExportForm::Xlsx, "&Workbook (.xlsx)"}};
    for (const auto& [form, label] : forms) {
        auto* radio = new QRadioButton(QString::fromUtf8(label), formBox);
        radio->setObjectName(QStringLiteral("exportForm_") + QString::fromLatin1(ExportFormName(form)));
        m_forms->addButton(radio, static_cast<int>(form));
        formRow->addWidget(radio);
    }
    const int savedForm = AppSettings().value(kExportFormKey, 0).toInt();
    QAbstractButton* checked = m_forms->button(savedForm);
    (checked ? checked : m_forms->button(0))->setChecked(true);

    auto* recordBox = new QGroupBox(QStringLiteral("Records"), this);
    auto* recordColumn = new QVBoxLayout(recordBox);
    m_all = new QRadioButton(QStringLiteral("Every record of the list (%1)").arg(scope.total), recordBox);
    m_all->setObjectName("exportAll");
    const bool hasSelection = !scope.selection.empty();
    std::int64_t selectedRows = 0;
    for (const SerialSpan& span : scope.selection) selectedRows += span.count;
    QString selectedText = QStringLiteral("The selected records (none selected)");
    if (hasSelection && selectedRows == 1) {
        selectedText = QStringLiteral("The selected record (Sr.No. %1)").arg(scope.selection.front().first + 1);
    } else if (hasSelection) {
        const SerialSpan& last = scope.selection.back();
        selectedText = QStringLiteral("The selected records (%1 records from Sr.No. %2 to %3)")
                           .arg(selectedRows)
                           .arg(scope.selection.front().first + 1)
                           .arg(last.first + last.count);
    }
    m_selected = new QRadioButton(selectedText, recordBox);
    m_selected->setObjectName("exportSelected");
    m_selected->setEnabled(hasSelection);
    // Several rows selected are most likely what is to go out; one row is only where the list stands.
    (selectedRows > 1 ? m_selected : m_all)->setChecked(true);
    recordColumn->addWidget(m_all);
    recordColumn->addWidget(m_selected);

    auto* outputBox = new QGroupBox(QStringLiteral("Output"), this);
    auto* outputForm = new QFormLayout(outputBox);
    m_path = new QLineEdit(outputBox);
    m_path->setObjectName("exportPath");
    m_path->setMinimumWidth(360);
    m_browse = new QPushButton(QStringLiteral("..."), outputBox);
    m_browse->setObjectName("exportBrowse");
    m_browse->setFixedWidth(32);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    auto* pathLabel = new QLabel(QStringLiteral("&File:"), outputBox);
    pathLabel->setBuddy(m_path);
    outputForm->addRow(pathLabel, pathRow);
    m_partition = new QCheckBox(QStringLiteral("&One file per day file under site=NAME/date=YYYY-MM-DD/"), outputBox);
    m_partition->setObjectName("exportPartition");
    outputForm->addRow(QString(), m_partition);
    m_site = new QLineEdit(outputBox);
    m_site->setObjectName("exportSite");
    m_site->setPlaceholderText(QStringLiteral("the site's name"));
    outputForm->addRow(QStringLiteral("&Site:"), m_site);
    m_utcOffset = new QLineEdit(outputBox);
    m_utcOffset->setObjectName("exportUtcOffset");
    m_utcOffset->setPlaceholderText(QStringLiteral("+HH:MM, or empty when not known"));
    outputForm->addRow(QStringLiteral("&UTC offset:"), m_utcOffset);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName("exportProgress");
    m_progress->setTextVisible(false);
    m_progressText = new QLabel(this);
    m_progressText->setObjectName("exportProgressText");
    m_export = new QPushButton(QStringLiteral("&Export"), this);
    m_export->setObjectName("exportButton");
    m_export->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Close"), this);
    m_cancel->setObjectName("exportCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progressText, 1);
    buttons->addWidget(m_export);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(formBox);
    layout->addWidget(recordBox);
    layout->addWidget(outputBox);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);

    m_ticker = new QTimer(this);
    m_ticker->setInterval(100);
    connect(m_ticker, &QTimer::timeout, this, [this] { OnTick(); });
    connect(m_browse, &QPushButton::clicked, this, [this] { ChoosePath(); });
    connect(m_export, &QPushButton::clicked, this, [this] { OnExport(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_forms, &QButtonGroup::idToggled, this, [this] { UpdateControls(); });
    connect(m_partition, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    const LastOutput& last = LastOutputOfThisRun();
    m_path->setText(last.path);
    m_partition->setChecked(last.partition);
    m_site->setText(last.site);
    UpdateControls();
}

ExportDialog::~ExportDialog() = default;  // the job's destructor cancels and waits

// Until its end has been shown: the job goes only then.
bool ExportDialog::IsRunning() const { return m_job != nullptr; }

ExportForm ExportDialog::Form() const { return static_cast<ExportForm>(m_forms->checkedId()); }

ExportRequest ExportDialog::CurrentRequest() const {
    ExportRequest request = m_base;
    request.form = Form();
    const bool partition = m_partition->isEnabled() && m_partition->isChecked();
    const QString typed = m_path->text().trimmed();
    request.out = partition ? std::string() : WithFormExtension(typed, request.form).toStdString();
    request.partition = partition ? typed.toStdString() : std::string();
    request.site = partition ? m_site->text().trimmed().toStdString() : std::string();
    request.utcOffset = m_utcOffset->text().trimmed().toStdString();
    return request;
}

QString ExportDialog::ProgressText() const { return m_progressText->text(); }

void ExportDialog::UpdateControls() {
    const bool running = IsRunning();
    const ExportForm form = Form();
    const bool text = form == ExportForm::Csv || form == ExportForm::JsonLines;
    m_partition->setEnabled(text && !running);
    m_site->setEnabled(text && m_partition->isChecked() && !running);
    for (QAbstractButton* button : m_forms->buttons()) button->setEnabled(!running);
    m_all->setEnabled(!running);
    m_selected->setEnabled(!running && !m_scope.selection.empty());
    m_path->setEnabled(!running);
    m_browse->setEnabled(!running);
    m_utcOffset->setEnabled(!running);
    m_export->setEnabled(!running);
    m_cancel->setText(running ? QStringLiteral("&Cancel") : QStringLiteral("Close"));
}

void ExportDialog::ChoosePath() {
    const bool partition = m_partition->isEnabled() && m_partition->isChecked();
    // At the typed path when its folder is there, else in the folder last exported to.
    const QFileInfo typed(m_path->text().trimmed());
    QString start = LastExportFolder();
    if (!typed.filePath().isEmpty() && (partition ? typed.isDir() : typed.absoluteDir().exists())) {
        start = typed.absoluteFilePath();
    }
    const QString chosen = m_chooser(this, Form(), partition, start);
    if (chosen.isEmpty()) return;
    const QString path = partition ? chosen : WithFormExtension(chosen.trimmed(), Form());
    m_path->setText(path);
    // A save dialog asks before it gives a file that is there; a folder dialog does not.
    m_confirmedPath = !partition && QFileInfo(path).isFile() ? path.toStdString() : std::string();
    AppSettings().setValue(kExportFolderKey, partition ? chosen : QFileInfo(chosen).absolutePath());
}

void ExportDialog::OnExport() {
    if (IsRunning()) return;
    const ExportRequest request = CurrentRequest();
    const std::string& output = request.partition.empty() ? request.out : request.partition;
    if (!request.out.empty()) m_path->setText(QString::fromStdString(request.out));  // the name written
    if (output.empty()) {
        m_boxes.Show(m_partition->isChecked() ? "Choose the folder to export into." : "Choose the file to export to.",
                     MessageIcon::Exclamation);
        m_path->setFocus();
        return;
    }
    if (!request.utcOffset.empty() && !ParseUtcOffset(request.utcOffset)) {
        m_boxes.Show("The UTC offset takes the form +HH:MM or -HH:MM, from -14:00 to +14:00.",
                     MessageIcon::Exclamation);
        m_utcOffset->setFocus();
        return;
    }
    if (!request.partition.empty() && request.site.empty()) {
        m_boxes.Show("A partitioned export needs the site's name.", MessageIcon::Exclamation);
        m_site->setFocus();
        return;
    }
    if (const std::string why = CheckExportRequest(request); !why.empty()) {
        std::string text = why;
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        m_boxes.Show("The export cannot be written: " + text + ".", MessageIcon::Exclamation);
        return;
    }
    if (!ConfirmReplace(request)) return;
    std::vector<SerialSpan> spans{SerialSpan{0, m_scope.total}};
    if (m_selected->isChecked()) spans = m_scope.selection;
    std::int64_t count = 0;
    for (const SerialSpan& span : spans) count += span.count;
    AppSettings().setValue(kExportFormKey, static_cast<int>(request.form));
    LastOutputOfThisRun() = {m_path->text().trimmed(), !request.partition.empty(), m_site->text().trimmed()};
    m_closeWhenEnded = false;
    m_cancelling = false;
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_progressText->setText(QStringLiteral("Exporting... 0 of %1 records").arg(count));
    const QueuedDelivery delivery(this);
    // The ticker shows the count; the end is shown as soon as the worker posts it.
    m_job = std::make_unique<CExportJob>(m_database, request, std::move(spans),
                                         [this, delivery] { delivery.Post([this] { OnTick(); }); });
    m_ticker->start();
    UpdateControls();
}

int ExportDialog::ExistingPartitionFiles(const ExportRequest& request) const {
    const TextExportForm form = request.form == ExportForm::Csv ? TextExportForm::Csv : TextExportForm::JsonLines;
    // The day files the export goes through, as it names them: each has its file written, or removed when it
    // gives no records.
    std::set<std::string> existing;
    for (const CRecordFile* file : m_database.AllFiles()) {
        if (m_database.Settings().window.Excludes(file->DayStart())) continue;
        ExportedDayFile day;
        day.name = std::filesystem::path(file->Path()).filename().string();
        day.dayStart = file->DayStart();
        const std::string path = CTextExportSink::PartitionFile(form, request.partition, request.site, day);
        if (QFileInfo(QString::fromStdString(path)).isFile()) existing.insert(path);
    }
    return static_cast<int>(existing.size());
}

bool ExportDialog::ConfirmReplace(const ExportRequest& request) {
    // The save dialog's own question covers the file it chose, for this export only.
    const std::string confirmed = std::exchange(m_confirmedPath, std::string());
    std::string question;
    if (request.partition.empty()) {
        const QFileInfo info(QString::fromStdString(request.out));
        if (!info.exists() || info.isDir() || request.out == confirmed) return true;
        question = request.out + " already exists.\nDo you want to replace it?";
    } else {
        const int existing = ExistingPartitionFiles(request);
        if (existing == 0) return true;
        const std::string where = request.partition + "/site=" + request.site;
        question = existing == 1 ? where + " already holds 1 file of these day files.\nDo you want to replace it?"
                                 : where + " already holds " + std::to_string(existing) +
                                       " files of these day files.\nDo you want to replace them?";
    }
    if (m_boxes.Ask(question, MessageIcon::Exclamation) == MessageAnswer::Yes) return true;
    m_path->setFocus();
    return false;
}

void ExportDialog::OnTick() {
    if (!m_job) return;
    const std::int64_t written = m_job->Written();
    const std::int64_t count = std::max<std::int64_t>(m_job->Count(), 1);
    m_progress->setValue(static_cast<int>(written * 1000 / count));
    if (m_job->Outcome() == ExportOutcome::Running) {
        if (m_cancelling) {
            m_progressText->setText(QStringLiteral("Cancelling..."));
            return;
        }
        m_progressText->setText(QStringLiteral("Exporting... %1 of %2 records").arg(written).arg(m_job->Count()));
        return;
    }
    OnEnded();
}

void ExportDialog::OnEnded() {
    m_ticker->stop();
    const ExportOutcome outcome = m_job->Outcome();
    const ExportRequest request = m_job->Request();
    const std::int64_t count = m_job->Count();
    const std::string failure = m_job->FailureText();
    m_job.reset();
    UpdateControls();
    const std::string where = request.partition.empty() ? request.out : request.partition;
    switch (outcome) {
        case ExportOutcome::Completed:
            m_progress->setValue(1000);
            m_progressText->setText(QStringLiteral("Exported %1 records to %2").arg(count).arg(QString::fromStdString(where)));
            break;
        case ExportOutcome::Cancelled:
            // An unfinished file is removed under its temporary name; the day files of a partitioned export
            // done before keep theirs.
            m_progress->setValue(0);
            m_progressText->setText(request.partition.empty()
                                        ? QStringLiteral("Export cancelled: no file was written.")
                                        : QStringLiteral("Export cancelled: the files of the day files already "
                                                         "done were written; the one in progress was not."));
            break;
        case ExportOutcome::Failed:
        case ExportOutcome::Running:
            m_progress->setValue(0);
            m_progressText->setText(QStringLiteral("Export failed."));
            m_boxes.Show("The export failed: " + failure, MessageIcon::Stop);
            break;
    }
    if (m_closeWhenEnded) QDialog::reject();
}

// Escape and Cancel stop a run and leave the dialog open to say so; once nothing runs they close it.
void ExportDialog::reject() {
    if (IsRunning()) {
        m_job->Cancel();
        m_cancelling = true;
        OnTick();
        return;
    }
    QDialog::reject();
}

// The close box cancels a run and closes once the worker has let go of its output.
void ExportDialog::closeEvent(QCloseEvent* event) {
    if (IsRunning()) {
        event->ignore();
        m_closeWhenEnded = true;
        reject();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace vyx::gui
