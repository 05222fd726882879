#pragma once
// The two report dialogs: "Report - Message" (modeless; owns the Message Log report generator, shows its
// progress, handles stopping and cancelling) and "Report - FCU" (modal; form and file only).

#include <QDialog>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "controller/MessageBoxes.h"
#include "report/ReportCriteriaChecks.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vyx {
class CRecordDatabase;
class CReportGenerator;
}  // namespace vyx

namespace vyx::gui {

class QueuedReportReceiver;

// Asks the user for a file to write; an empty text means cancelled. Tests replace it.
using ReportFileChooser = std::function<QString(QWidget* parent, const ReportFileChoice& choice)>;
ReportFileChooser DefaultReportFileChooser();

// The data folder the records come from at the moment of asking (empty before any folder is open): a
// report is never written into it.
using DataFolderSource = std::function<std::string()>;

// The form radios and the file choice, shared by both dialogs.
class ReportFormAndFile : public QObject {
    Q_OBJECT
public:
    ReportFormAndFile(QDialog* dialog, IMessageBoxes& boxes);
    QWidget* FormGroup() const { return m_formGroup; }
    QWidget* FileGroup() const { return m_fileGroup; }
    int FormIndex() const;  // 0 HTML, 1 CSV, 2 spreadsheet
    void SetFormIndex(int index);
    const std::string& FileName() const { return m_fileName; }
    void SetFileChooser(ReportFileChooser chooser) { m_chooser = std::move(chooser); }
    void ChooseFile();  // "..."
    // The line beside the path with the files the report will write, and the one under it with the files
    // the last run wrote.
    void SetPlannedFiles(const QString& text);
    void SetWrittenFiles(const QString& text);
    QString PlannedFiles() const;
    QString WrittenFiles() const;

    // The folder the save dialog opens in: the one of the last report file chosen, else the home folder.
    static QString LastReportFolder();

signals:
    void fileNameChanged();

private:
    void OnFormClicked();
    void ShowFileName();

    QDialog* m_dialog;
    QWidget* m_formGroup;
    QWidget* m_fileGroup;
    QButtonGroup* m_forms;
    QPushButton* m_browse;
    QLabel* m_path;
    QLabel* m_planned;
    QLabel* m_written;
    std::string m_fileName;
    int m_lastForm = 1;
    ReportFileChooser m_chooser;
};

class ReportCriteriaDlg : public QDialog {
    Q_OBJECT
public:
    ReportCriteriaDlg(QWidget* parent, const CRecordDatabase& database, IMessageBoxes& boxes,
                      DataFolderSource dataFolder);
    ~ReportCriteriaDlg() override;

    // The generator is running or still opening its output: the store must not be reloaded.
    bool IsRunning() const;
    void SetRecordCount(std::int64_t count);  // records available so far
    // A double-clicked row's Sr.No. goes into the range field that had the focus last.
    void SelectSerial(std::int64_t srNo);
    // A selection of several rows: its first and last Sr.No. become the range ("All" unchecked).
    void SetSelectionRange(std::int64_t fromSrNo, std::int64_t toSrNo);

    ReportFormAndFile& Form() { return *m_form; }
    CReportGenerator& Generator() { return *m_generator; }
    std::int32_t RecordCount() const { return m_nRecordCount; }
    int ProgressPosition() const;
    QString ProgressText() const;

    void OnGenerate();  // "&Generate !"
    void OnCancel();    // "&Cancel" and the close box

protected:
    void reject() override;  // Escape: hide, nothing else
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class QueuedReportReceiver;
    class DialogBoxes;

    // A run started here, known by the generator's job id; its notifications may still be on their way when
    // the next run starts (a restart).
    struct Run {
        std::uint32_t job = 0;
        CReportCriteria criteria;
        std::vector<ReportFileState> filesBefore;
        std::optional<std::vector<std::string>> filesWritten;  // taken once its worker has ended
        std::int64_t written = 0;    // records written, counted from its progress steps
        bool started = false;
        bool stopRequested = false;  // stopped, not finished
        bool cancelled = false;      // stopped by the cancel question: its completion says nothing
        bool over = false;
    };
    Run* FindRun(std::uint32_t job);
    bool RunInProgress() const;
    void RunOver(Run& run);
    void TakeWrittenFiles(Run& run);

    // The worker's notifications, tagged with the job that sent them. While a box of this dialog is up they
    // wait, so that no box opens over another and the lines under a box stay those of the run it is about.
    void Deliver(std::function<void()> call);
    void DeliverWaiting();
    void OnStarted(std::uint32_t job);
    void OnProgress(std::uint32_t job);
    void OnCompleted(std::uint32_t job);
    void OnFailed(std::uint32_t job);
    void OnMessage(std::uint32_t job, const std::string& text, MessageIcon icon);
    void OnOpenDocument(const std::string& path);
    void ApplyAll();
    void RefreshCursor();
    void ShowPlannedFiles();
    void ShowWrittenFiles(const Run& run);
    // A changed form, file or range: the lines of the last run no longer describe what is shown.
    void OnSettingsChanged();
    void FocusBackHere(QWidget* focused);
    void SetProgress(int position, bool busy);
    void ShowWrittenCount(const Run& run);

    std::unique_ptr<DialogBoxes> m_boxes;
    DataFolderSource m_dataFolder;
    std::unique_ptr<QueuedReportReceiver> m_receiver;
    std::unique_ptr<CReportGenerator> m_generator;
    std::int32_t m_nRecordCount = -1;
    std::deque<Run> m_runs;  // the latest last
    int m_boxesUp = 0;
    std::deque<std::function<void()>> m_waiting;
    QLineEdit* m_from;
    QLineEdit* m_to;
    QLineEdit* m_lastRangeField;
    QCheckBox* m_all;
    QProgressBar* m_progress;
    QLabel* m_progressText;
    int m_position = 0;  // the bar's cycling step position, kept while the bar shows as busy
    QPushButton* m_generate;
    QPushButton* m_cancel;
    ReportFormAndFile* m_form;
};

class FCUReportCriteriaDlg : public QDialog {
    Q_OBJECT
public:
    // dataFolder: the folder whose FCU table is reported.
    FCUReportCriteriaDlg(QWidget* parent, IMessageBoxes& boxes, std::string dataFolder);
    ReportFormAndFile& Form() { return *m_form; }
    void OnGenerate();

private:
    IMessageBoxes& m_boxes;
    std::string m_dataFolder;
    ReportFormAndFile* m_form;
};

}  // namespace vyx::gui
