#pragma once
// Report > FCU: the FCU table exactly as the window shows it, written in the form and file the FCU report
// dialog asks for, then opened (HTML) and announced.

#include <string>

class QTreeWidget;
class QWidget;

namespace vyx {
class IMessageBoxes;
}

namespace vyx::gui {

// folder: the data folder the table comes from (the dialog refuses output inside it); tempFolder: where the
// workbook form keeps its row files.
void RunFcuTableReport(QWidget* parent, const QTreeWidget& table, IMessageBoxes& boxes, const std::string& folder,
                       const std::string& tempFolder);

}  // namespace vyx::gui
