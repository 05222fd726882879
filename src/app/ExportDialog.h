#pragma once
// File > Export...: the documented export of the list shown (every record, or the selected ones) as CSV,
// JSON Lines, SQLite or an .xlsx workbook, written by a worker thread with a count, a busy bar and Cancel.
// Modal: while it runs, nothing else may reload the records it reads.

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/ExportRequest.h"
#include "export/RecordExport.h"
#include "logdata/SerialNumber.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vyx {
class CExportJob;
class CRecordDatabase;
class IMessageBoxes;
}  // namespace vyx

namespace vyx::gui {

// What may be exported: the whole list, and the selected rows when there are any.
struct ExportScope {
    SerialNumber total = 0;
    std::vector<SerialSpan> selection;  // ascending, apart; empty when nothing is selected
};

// Asks for the output: a file (partition false) or a folder, starting at start (a folder, or a file to offer in
// its folder); empty means cancelled. A file that is already there has been confirmed by the chooser, as a save
// dialog does. Tests replace it.
using ExportPathChooser =
    std::function<QString(QWidget* parent, ExportForm form, bool partition, const QString& start)>;

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    // request carries the data folder, the load's filters and the program; the dialog fills in the rest.
    ExportDialog(QWidget* parent, const CRecordDatabase& database, IMessageBoxes& boxes, ExportScope scope,
                 ExportRequest request);
    ~ExportDialog() override;

    void SetPathChooser(ExportPathChooser chooser) { m_chooser = std::move(chooser); }
    bool IsRunning() const;
    // The request the dialog would start now.
    ExportRequest CurrentRequest() const;
    QString ProgressText() const;

protected:
    void reject() override;  // Escape and Cancel: cancel a run, else close
    void closeEvent(QCloseEvent* event) override;

private:
    void OnExport();
    void OnEnded();
    void OnTick();
    void ChoosePath();
    // False when an output that is there would be replaced and the user says No.
    bool ConfirmReplace(const ExportRequest& request);
    // The files of a partitioned export's day files already in its folder.
    int ExistingPartitionFiles(const ExportRequest& request) const;
    void UpdateControls();
    ExportForm Form() const;

    const CRecordDatabase& m_database;
    IMessageBoxes& m_boxes;
    ExportScope m_scope;
    ExportRequest m_base;
    ExportPathChooser m_chooser;
    std::string m_confirmedPath;  // the file the chooser gave, which it confirmed when it was there
    std::unique_ptr<CExportJob> m_job;
    bool m_closeWhenEnded = false;  // the close box was used during the run
    bool m_cancelling = false;

    QButtonGroup* m_forms;
    QRadioButton* m_all;
    QRadioButton* m_selected;
    QLineEdit* m_path;
    QPushButton* m_browse;
    QCheckBox* m_partition;
    QLineEdit* m_site;
    QLineEdit* m_utcOffset;
    QProgressBar* m_progress;
    QLabel* m_progressText;
    QPushButton* m_export;
    QPushButton* m_cancel;
    class QTimer* m_ticker;
};

}  // namespace vyx::gui
