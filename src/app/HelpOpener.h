#pragma once

#include "controller/MessageBoxes.h"

namespace vyx::gui {

// Opens "VyxViewer.pdf" with the desktop's viewer; a failure is shown with its text and the stop icon.
void OpenHelpDocument(IMessageBoxes& boxes);

}  // namespace vyx::gui
