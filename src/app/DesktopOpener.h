#pragma once
// Hands a file to the program the desktop has for its kind. The desktop's open call succeeds as soon as its
// opener starts, even when the opener then finds no program, so the program is looked up first.

#include <QString>
#include <string>

#include "controller/MessageBoxes.h"

namespace vyx::gui {

// False when the desktop has no program for the MIME type or the opener could not be started.
bool OpenWithDesktop(const QString& path, const QString& mimeType);

// A finished HTML report, for the desktop's web browser; when there is none the user is told where the
// report is instead of seeing nothing happen.
void OpenReportInBrowser(const std::string& path, IMessageBoxes& boxes);

}  // namespace vyx::gui
