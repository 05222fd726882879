#pragma once

#include <QString>
#include <QWidget>

#include "controller/HelpDocument.h"
#include "controller/MessageBoxes.h"

namespace vyx::gui {

// "VyxViewer.pdf" in the places it is looked for; result tells whether it was found and can be read.
QString FindHelpDocument(HelpOpenResult& result);

// Opens "VyxViewer.pdf" with the desktop's viewer; a failure is shown with its text and the stop icon. With no
// viewer for it, the message offers the help window inside the program (shown for window).
void OpenHelpDocument(IMessageBoxes& boxes, QWidget* window);

}  // namespace vyx::gui
