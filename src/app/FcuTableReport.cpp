#include "app/FcuTableReport.h"

#include <QApplication>
#include <QTreeWidget>

#include "app/DesktopOpener.h"
#include "app/ReportDialogs.h"
#include "controller/MessageBoxes.h"
#include "report/FCULogReport.h"

namespace vyx::gui {

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

void RunFcuTableReport(QWidget* parent, const QTreeWidget& table, IMessageBoxes& boxes, const std::string& folder,
                       const std::string& tempFolder) {
    const FcuTableRows rows(table);
    if (const auto refusal = CheckFCUReportRows(rows)) {
        boxes.Show(refusal->text, refusal->icon);
        return;
    }
    FCUReportCriteriaDlg dialog(parent, boxes, folder);
    if (dialog.exec() != QDialog::Accepted) return;
    const CFCUReportCriteria criteria(dialog.Form().FileName(),
                                      CFCUReportCriteria::TypeFromFormIndex(dialog.Form().FormIndex()));
    FCUReportOptions options;
    options.workbookTempFolder = tempFolder;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const FCUReportOutcome outcome = WriteFCULogReport(rows, criteria, options);
    QApplication::restoreOverrideCursor();
    if (!outcome.documentToOpen.empty()) OpenReportInBrowser(outcome.documentToOpen, boxes);
    boxes.Show(outcome.message.text, outcome.message.icon);
}


}  // namespace vyx::gui
